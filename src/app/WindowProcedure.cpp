#include "app/WindowProcedure.h"

#include "app/Display.h"

namespace {

constexpr float notchesPerDelta = 0.008333334f;  // 1 / WHEEL_DELTA

Point pointOf(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

}  // namespace

LRESULT windowProcedure(HWND window, unsigned message, WPARAM wParam, LPARAM lParam) {
    auto* display = reinterpret_cast<Display*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_CLOSE) {
        // The window stays: the main loop takes the request (the editor may ask before it ends),
        // and shutdown destroys the window.
        if (display) display->quitRequested = true;
        return 0;
    }
    if (display && display->root &&
        (routeKeyboard(*display, message, wParam, lParam) || routeMouse(*display, message, wParam, lParam)))
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

bool routeKeyboard(Display& display, unsigned message, WPARAM wParam, LPARAM lParam) {
    Widget* root = display.root;
    switch (message) {
    case WM_SETFOCUS: root->focusIn(0); return true;
    case WM_KILLFOCUS: root->focusOut(); return true;
    case WM_KEYDOWN: root->key(static_cast<int>(wParam), true); return true;
    case WM_KEYUP: root->key(static_cast<int>(wParam), false); return true;
    case WM_CHAR: root->character(static_cast<int>(wParam)); return true;
    default: return false;
    }
}

bool routeMouse(Display& display, unsigned message, WPARAM wParam, LPARAM lParam) {
    auto target = [&display] { return display.capture ? display.capture : display.root; };
    switch (message) {
    case WM_MOUSEMOVE:
        if (!display.mouseTracked) {
            // The cursor has just come in: tell the root where it is, and ask to hear when it goes.
            display.mouseTracked = true;
            display.root->hitTest(display.cursorPosition());
            TRACKMOUSEEVENT track;
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = display.window;
            track.dwHoverTime = HOVER_DEFAULT;
            TrackMouseEvent(&track);
        }
        if (Widget* w = target()) w->mouseMove(pointOf(lParam));
        return true;
    case WM_LBUTTONDOWN: target()->leftButton(pointOf(lParam), 0); return true;
    case WM_LBUTTONUP: target()->leftButton(pointOf(lParam), 2); return true;
    case WM_LBUTTONDBLCLK: target()->leftButton(pointOf(lParam), 1); return true;
    case WM_MBUTTONDOWN: target()->middleButton(pointOf(lParam), 0); return true;
    case WM_MBUTTONUP: target()->middleButton(pointOf(lParam), 2); return true;
    case WM_MBUTTONDBLCLK: target()->middleButton(pointOf(lParam), 1); return true;
    case WM_RBUTTONDOWN: target()->rightButton(pointOf(lParam), 0); return true;
    case WM_RBUTTONUP: target()->rightButton(pointOf(lParam), 2); return true;
    case WM_RBUTTONDBLCLK: target()->rightButton(pointOf(lParam), 1); return true;
    case WM_MOUSEWHEEL: {
        POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(display.window, &screen);
        Point p{static_cast<int>(screen.x), static_cast<int>(screen.y)};
        target()->wheel(p, GET_WHEEL_DELTA_WPARAM(wParam) * notchesPerDelta);
        return true;
    }
    case WM_CAPTURECHANGED: display.capture = nullptr; return true;
    case WM_MOUSELEAVE:
        display.mouseTracked = false;
        display.root->mouseLeave();
        return true;
    default: return false;
    }
}
