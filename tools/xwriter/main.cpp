// xwriter: converts a Wavefront OBJ file (with its MTL materials) into a binary X file.
//   xwriter [--scale S] input.obj output.x
#include "ObjImport.h"
#include "XWriter.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    float scale = 1.0f;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--scale" && i + 1 < argc) scale = std::strtof(argv[++i], nullptr);
        else files.push_back(argument);
    }
    if (files.size() != 2) {
        std::fprintf(stderr, "usage: xwriter [--scale S] input.obj output.x\n");
        return 2;
    }
    xwriter::Scene scene;
    std::string error;
    if (!xwriter::importObj(files[0], scale, scene, error) || !xwriter::writeFile(files[1], scene, error)) {
        std::fprintf(stderr, "xwriter: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
