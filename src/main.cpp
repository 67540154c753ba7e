// Entry point: one Application, run once; its result is the process exit code.
#include "app/Application.h"
#include "platform/win/win32.h"
#include "resources/Pack.h"

#include <cctype>
#include <filesystem>
#include <memory>
#include <string>

int main(int argc, char** argv) {
    // A player with a production packed onto it plays that one; a damaged pack is never played half.
    std::string problem;
    std::error_code unknown;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe", unknown).string();
    if (Pack::installFrom("/proc/self/exe", &problem, self) == Pack::Opened::Damaged) {
        problem[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(problem[0])));
        MessageBoxA(nullptr, (problem + ".\nNothing of it is played.").c_str(), "Zod'e Revez!", MB_OK | MB_ICONERROR);
        return 1;
    }
    auto application = std::make_unique<Application>();
    int result = application->run(argc, argv);
    application.reset();
    return result;
}
