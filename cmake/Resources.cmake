# Links every file under a folder into the executable.
# A file is found by its whole name without regard to case ("Demo.xml" finds DEMO.XML), and a
# file whose name starts with a number followed by '-' or '.' ("130-Loading.png") is also found
# by that number. The bytes are assembled in with .incbin, so large files cost no compile time.
function(zod_embed_resources folder out_var)
  file(GLOB files CONFIGURE_DEPENDS LIST_DIRECTORIES false "${folder}/*")
  list(SORT files)
  set(asm "${CMAKE_BINARY_DIR}/generated/resources.S")
  set(table "${CMAKE_BINARY_DIR}/generated/ResourceTable.cpp")
  set(asm_text "\t.section .rodata\n")
  set(decls "")
  set(rows "")
  set(index 0)
  foreach(file IN LISTS files)
    get_filename_component(name "${file}" NAME)
    if(name MATCHES "^\\." OR name MATCHES "~$" OR name STREQUAL "README.md" OR name STREQUAL "SOURCES.md")
      continue()
    endif()
    set(number 0)
    if(name MATCHES "^([0-9]+)[-.]")
      set(number ${CMAKE_MATCH_1})
    endif()
    string(APPEND asm_text "\t.balign 16\n\t.globl zod_resource_${index}\nzod_resource_${index}:\n\t.incbin \"${file}\"\n\t.globl zod_resource_${index}_end\nzod_resource_${index}_end:\n\t.byte 0\n")
    string(APPEND decls "extern const unsigned char zod_resource_${index}[];\nextern const unsigned char zod_resource_${index}_end[];\n")
    string(APPEND rows "    {\"${name}\", ${number}, zod_resource_${index}, zod_resource_${index}_end},\n")
    math(EXPR index "${index} + 1")
  endforeach()
  string(APPEND asm_text "\t.section .note.GNU-stack,\"\",@progbits\n")
  file(CONFIGURE OUTPUT "${asm}" CONTENT "${asm_text}")
  file(CONFIGURE OUTPUT "${table}" CONTENT
"// Generated from the files under resources/: do not edit.
#include \"platform/win/ResourceTable.h\"
extern \"C\" {
${decls}}
namespace win {
const EmbeddedResource embeddedResources[] = {
${rows}    {nullptr, 0, nullptr, nullptr},
};
const int embeddedResourceCount = ${index};
}
")
  set_source_files_properties("${asm}" PROPERTIES OBJECT_DEPENDS "${files}")
  set(${out_var} "${asm}" "${table}" PARENT_SCOPE)
endfunction()
