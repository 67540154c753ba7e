// A window that records every message its procedure receives, and a bounded message pump that
// runs until an expected message has arrived (or about three seconds have passed).
#pragma once

#include "platform/win/win32.h"
#include "support/PrivateXServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

namespace message_log {

struct Entry {
    HWND window;
    unsigned message;
    WPARAM wParam;
    LPARAM lParam;
};

inline std::vector<Entry>& entries() {
    static std::vector<Entry> log;
    return log;
}

inline bool closeDestroys = false;  // WM_CLOSE goes on to the default procedure

inline LRESULT recordingProcedure(HWND window, unsigned message, WPARAM wParam, LPARAM lParam) {
    entries().push_back({window, message, wParam, lParam});
    if (message == WM_CLOSE && !closeDestroys) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

inline void pumpOnce() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// Pumps until done() holds; false after about three seconds without it.
inline bool pumpUntil(const std::function<bool()>& done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (;;) {
        pumpOnce();
        if (done()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// For checks that something does not come: pumps a fixed while.
inline void pumpFor(int milliseconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
        pumpOnce();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

inline std::vector<Entry> only(std::initializer_list<unsigned> messages) {
    std::vector<Entry> result;
    for (const auto& e : entries())
        for (unsigned m : messages)
            if (e.message == m) result.push_back(e);
    return result;
}

inline std::size_t count(unsigned message) { return only({message}).size(); }

inline bool arrived(unsigned message) { return pumpUntil([message] { return count(message) > 0; }); }

// A shown window of a recording class at (x, y) with the given client size, holding the focus.
inline HWND openWindow(int x, int y, int width, int height, DWORD style = WS_POPUP | WS_BORDER | WS_SYSMENU) {
    WNDCLASSEXA windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = recordingProcedure;
    windowClass.lpszClassName = "zodRecording";
    if (!RegisterClassExA(&windowClass)) return nullptr;
    HWND window = CreateWindowExA(0, "zodRecording", "recording", style, x, y, width, height, nullptr, nullptr,
                                  nullptr, nullptr);
    if (!window) return nullptr;
    MoveWindow(window, x, y, width, height, FALSE);
    ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

}  // namespace message_log
