#include "app/Application.h"

Application::Application() = default;
Application::~Application() = default;

int Application::run(int, char**) {
    return 0;
}
