// Drives a window of this process with real X input (xdotool) from a second thread while the
// main thread runs the window's modal loop. If the loop has not ended some seconds after the
// steps, the driver asks it to quit (SDL_QUIT, which a dialog takes as Cancel), so no test hangs.
#pragma once

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

class XdotoolDriver {
public:
    explicit XdotoolDriver(std::string title, int seconds = 30) : title(std::move(title)), seconds(seconds) {}
    ~XdotoolDriver() { finish(); }

    // Runs the steps on the driver's thread once the window is visible and focused.
    void start(std::function<void(XdotoolDriver&)> steps) {
        thread = std::thread([this, steps] {
            if (waitForWindow()) {
                steps(*this);
            }
            auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
            while (!done && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (!done) {
                timedOut = true;
                SDL_Event quit{};
                quit.type = SDL_QUIT;
                SDL_PushEvent(&quit);
            }
        });
    }

    // The modal loop returned: stop waiting.
    void finish() {
        done = true;
        if (thread.joinable()) thread.join();
    }

    void click(int x, int y) {
        run("mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y) + " click 1");
    }
    void key(const std::string& keys) { run("key --delay 30 " + keys); }
    void pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

    // A loaded machine can be slow to show a window, so searches get longer than other commands.
    static std::string run(const std::string& arguments, int seconds = 10) {
        std::string command = "timeout " + std::to_string(seconds) + " xdotool " + arguments + " 2>/dev/null";
        std::string output;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[256];
            while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
            pclose(pipe);
        }
        while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.pop_back();
        return output;
    }

    std::atomic<bool> timedOut{false};
    std::atomic<bool> found{false};
    std::string window;  // X window id, once found

private:
    bool waitForWindow() {
        std::string ids = run("search --sync --onlyvisible --name '^" + title + "$'", seconds);
        std::size_t end = ids.find('\n');
        window = ids.substr(0, end);
        if (window.empty()) return false;
        found = true;
        // No window manager under Xvfb: give the keyboard focus and put the pointer inside.
        run("mousemove --window " + window + " 2 2");
        run("windowfocus --sync " + window);
        pause(100);
        return true;
    }

    std::string title;
    int seconds;
    std::thread thread;
    std::atomic<bool> done{false};
};
