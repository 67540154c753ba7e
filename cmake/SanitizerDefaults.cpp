// Options built into every executable of a sanitized build; ASAN_OPTIONS from the environment are
// read after them and may change them.
//
// intercept_tls_get_addr=0: the runtimes of GCC up to 13 and LLVM up to 16 take any dynamic TLS
// block that lies 16 bytes past a page boundary for one of glibc 2.19, with its start and size
// stored just before it. glibc allocates these blocks with malloc for libraries loaded with dlopen
// (the GL driver and its dispatch libraries that SDL loads), so now and then one lands there by
// chance; LeakSanitizer's tracer then scans a range made of heap bytes at the process's exit and
// dies ("Tracer caught signal 11") after a run that passed. Our own thread-locals are static TLS,
// which LeakSanitizer still scans.
extern "C" __attribute__((visibility("default"), used)) const char* __asan_default_options() {
    return "intercept_tls_get_addr=0";
}
