// Drives a window of this process with real X input (xdotool) from a second thread while the
// main thread runs the window's modal loop. If the loop has not ended some seconds after the
// steps, the driver asks it to quit (SDL_QUIT, which a dialog takes as Cancel), so no test hangs.
// Everything waits for a state, never for a time: the steps start once the window is shown and
// holds the keyboard focus, and finish returns once the window is gone from the X server, so that
// the next window of the same title is never mistaken for this one.
#pragma once

#include <SDL.h>

#include <algorithm>
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

    // The modal loop returned: stop waiting, and wait until the window is gone.
    void finish() {
        done = true;
        if (thread.joinable()) thread.join();
        if (!window.empty()) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
            while (!run("getwindowname " + window).empty() && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            window.clear();
        }
    }

    // The window titled `title` once it is shown and holds the keyboard focus (it is given the
    // focus and the pointer, as there is no window manager under Xvfb); empty if that does not
    // happen within `seconds`. A window of the title that goes away meanwhile is not the one.
    static std::string focusedWindow(const std::string& title, int seconds) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < deadline) {
            std::string ids = run("search --onlyvisible --name '^" + title + "$'");
            for (std::size_t at = 0; at < ids.size();) {
                std::size_t end = std::min(ids.find('\n', at), ids.size());
                const std::string id = ids.substr(at, end - at);
                at = end + 1;
                run("mousemove --window " + id + " 2 2");
                run("windowfocus --sync " + id, 2);
                if (run("getwindowfocus") == id) return id;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return {};
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
        window = focusedWindow(title, seconds);
        found = !window.empty();
        return found;
    }

    std::string title;
    int seconds;
    std::thread thread;
    std::atomic<bool> done{false};
};
