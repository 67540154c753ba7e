// Entry point: one Application, run once; its result is the process exit code.
#include "app/Application.h"

#include <memory>

int main(int argc, char** argv) {
    auto application = std::make_unique<Application>();
    int result = application->run(argc, argv);
    application.reset();
    return result;
}
