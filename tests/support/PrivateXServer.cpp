#include "support/PrivateXServer.h"

#include "support/TestPaths.h"

#include <X11/Xlib.h>
#include <dlfcn.h>

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

bool closeAsWindowManager(const std::string& window) {
    // libX11 as SDL loads it, so that the tests need no X library at link time.
    void* x11 = dlopen("libX11.so.6", RTLD_LAZY);
    if (!x11) return false;
    auto open = reinterpret_cast<Display* (*)(const char*)>(dlsym(x11, "XOpenDisplay"));
    auto atom = reinterpret_cast<Atom (*)(Display*, const char*, Bool)>(dlsym(x11, "XInternAtom"));
    auto send = reinterpret_cast<Status (*)(Display*, Window, Bool, long, XEvent*)>(dlsym(x11, "XSendEvent"));
    auto sync = reinterpret_cast<int (*)(Display*, Bool)>(dlsym(x11, "XSync"));
    auto close = reinterpret_cast<int (*)(Display*)>(dlsym(x11, "XCloseDisplay"));
    Display* display = open && atom && send && sync && close ? open(nullptr) : nullptr;
    if (!display) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::strtoul(window.c_str(), nullptr, 10);
    event.xclient.message_type = atom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(atom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = send(display, event.xclient.window, False, NoEventMask, &event) != 0;
    sync(display, False);
    close(display);
    return sent;
}

}  // namespace testing_x
