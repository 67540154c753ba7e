#include "support/PrivateXServer.h"

#include "support/TestPaths.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <thread>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testing_x {
namespace {

pid_t serverPid = 0;

void stopServer() {
    if (serverPid > 0) {
        kill(serverPid, SIGTERM);
        waitpid(serverPid, nullptr, 0);
        serverPid = 0;
    }
}

bool run(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const auto& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool startPrivateXServer() {
    static bool started = false;
    if (started) return true;
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return false;
    pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        close(pipeFds[0]);
        prctl(PR_SET_PDEATHSIG, SIGTERM);  // no server outlives a test that crashed
        std::string fd = std::to_string(pipeFds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    // Xvfb writes its display number once it accepts connections.
    std::string number;
    char c;
    while (read(pipeFds[0], &c, 1) == 1 && c != '\n') number.push_back(c);
    close(pipeFds[0]);
    if (number.empty()) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return false;
    }
    serverPid = pid;
    std::atexit(stopServer);
    setenv("DISPLAY", (":" + number).c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // Without a session bus, libdbus would try to start one for SDL by forking: slow at best.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
    started = true;
    return true;
}

int xdotoolInBackground(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{"xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (const auto& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

bool finish(int pid) {
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool xdotool(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{"xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return run(command);
}

std::string windowNamed(const std::string& title) {
    std::string window;
    std::istringstream(testing_paths::commandOutput("xdotool search --name \"" + title + "\" 2>/dev/null")) >> window;
    return window;
}

std::string waitForWindow(const std::string& title, int tries, const std::function<bool()>& ended) {
    std::string window;
    for (int k = 0; k < tries && window.empty(); ++k) {
        if (ended()) return {};
        window = windowNamed(title);
        if (window.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (window.empty()) return window;
    // The focus is given, then looked at: a window that went away meanwhile cannot take it, and a
    // program that is slow to map its window gets it once it can.
    for (int k = 0; k < tries; ++k) {
        if (ended()) return {};
        testing_paths::commandOutput("timeout 2 xdotool windowfocus --sync " + window + " 2>/dev/null");
        if (testing_paths::commandOutput("xdotool getwindowfocus 2>/dev/null").rfind(window, 0) == 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return window;
}

}  // namespace testing_x
