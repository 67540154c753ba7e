// The window procedure of class "zqWindow": a close request sets the display's quit flag (the
// main loop hands it to the user interface, which may ask before it ends);
// keyboard and focus messages go to the root widget, mouse messages to the widget holding the
// capture or else the root. Everything else, and everything before the display has a root, goes
// to the default window procedure.
#pragma once

#include "platform/win/win32.h"

class Display;

LRESULT windowProcedure(HWND window, unsigned message, WPARAM wParam, LPARAM lParam);

// Each returns whether the message was routed (widget results do not count). The display must
// have a root widget.
bool routeKeyboard(Display& display, unsigned message, WPARAM wParam, LPARAM lParam);
bool routeMouse(Display& display, unsigned message, WPARAM wParam, LPARAM lParam);
