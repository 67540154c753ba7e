// xwriter: converts a Wavefront OBJ file (with its MTL materials) into an X file, binary with
// 32-bit floats unless told otherwise.
//   xwriter [--scale S] [--text] [--doubles] [--compressed] input.obj output.x
#include "ObjImport.h"
#include "XCompress.h"
#include "XWriter.h"

#include <fstream>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    float scale = 1.0f;
    xwriter::Format format;
    bool compressed = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--scale" && i + 1 < argc) scale = std::strtof(argv[++i], nullptr);
        else if (argument == "--text") format.text = true;
        else if (argument == "--doubles") format.doubles = true;
        else if (argument == "--compressed") compressed = true;
        else files.push_back(argument);
    }
    if (files.size() != 2) {
        std::fprintf(stderr, "usage: xwriter [--scale S] [--text] [--doubles] [--compressed] input.obj output.x\n");
        return 2;
    }
    xwriter::Scene scene;
    std::string error;
    std::vector<unsigned char> bytes;
    if (xwriter::importObj(files[0], scale, scene, error)) bytes = xwriter::encode(scene, format, error);
    if (!bytes.empty() && compressed) bytes = xwriter::compress(bytes, error);
    if (!bytes.empty()) {
        std::ofstream file(files[1], std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        file.close();
        if (!file) {
            bytes.clear();
            error = "cannot write " + files[1];
        }
    }
    if (bytes.empty()) {
        std::fprintf(stderr, "xwriter: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
