#include "support/PlayerProcess.h"

#include "support/ChildProcess.h"
#include "support/PrivateXServer.h"
#include "support/TestPaths.h"
#include "support/WindowPixels.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <thread>

PlayerProcess::~PlayerProcess() {
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

bool PlayerProcess::available() {
    return testing_x::startPrivateXServer() && std::filesystem::exists(testing_paths::executable()) &&
           std::system("command -v xdotool >/dev/null && command -v import >/dev/null") == 0;
}

bool PlayerProcess::start(const std::filesystem::path& document, int width, int height,
                          const std::vector<std::string>& more) {
    std::vector<std::string> arguments{"-a", "-w", "-x" + std::to_string(width), "-y" + std::to_string(height),
                                       "-d" + document.string()};
    arguments.insert(arguments.end(), more.begin(), more.end());
    pid = startExecutable(arguments, folder.string());
    windowId = pid > 0 ? testing_x::waitForWindow("Zod'e Revez", 300, [&] { return ended(); }) : "";
    return !windowId.empty();
}

bool PlayerProcess::ended() {
    if (pid <= 0) return true;
    if (waitpid(pid, &status, WNOHANG) != pid) return false;
    pid = -1;
    return true;
}

bool PlayerProcess::waitFor(const std::function<bool()>& state, int tries) {
    for (int i = 0; i < tries; ++i) {
        if (state()) return true;
        if (ended()) return state();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

void PlayerProcess::input(const std::vector<std::string>& arguments) {
    EXPECT_TRUE(testing_x::xdotool(arguments));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
}

void PlayerProcess::moveTo(int x, int y) { input({"mousemove", "--window", windowId, std::to_string(x), std::to_string(y)}); }

void PlayerProcess::click(int x, int y, const char* button) {
    moveTo(x, y);
    input({"click", button});
}

void PlayerProcess::drag(int fromX, int fromY, int toX, int toY, const char* button) {
    moveTo(fromX, fromY);
    input({"mousedown", button});
    moveTo((fromX + toX) / 2, (fromY + toY) / 2);
    moveTo(toX, toY);
    input({"mouseup", button});
}

bool PlayerProcess::openEditor() {
    for (int tries = 0; tries < 50 && !ended(); ++tries) {
        if (tries % 10 == 0) input({"key", "space"});
        if (WindowPixels(windowId, 4, 12, 1, 1).at(0, 0) == 0xffffff) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

std::string PlayerProcess::caption() const { return testing_paths::commandOutput("xdotool getwindowname " + windowId); }

bool PlayerProcess::quit() {
    input({"key", "Escape"});
    return waitFor([&] { return ended(); }, 200) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string PlayerProcess::errors() const { return testing_paths::readFile((folder / "stderr.txt").string()); }

void PlayerProcess::signal(int number) const {
    if (pid > 0) kill(pid, number);
}
