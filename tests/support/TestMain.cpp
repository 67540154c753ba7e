// The main of every test executable. After the tests it ends SDL as a whole: the window layer
// keeps video running for the process's lifetime, and with it the X connection, the GL driver's
// screen and the software renderer's threads. Ending them here, while the process is still whole,
// leaves the exit (and the leak check that runs there) to the main thread alone.
#include <SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

namespace {

// SDL unloads the X and GL libraries it opened when it quits. What they keep allocated would then
// be reported from "<unknown module>", which no suppression can name: they stay loaded.
void keepLibrariesLoaded() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name && *info->dlpi_name) {
                if (void* handle = dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE)) dlclose(handle);
            }
            return 0;
        },
        nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    keepLibrariesLoaded();
    SDL_Quit();
    return result;
}
