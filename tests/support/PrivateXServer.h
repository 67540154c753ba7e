// A private X server (Xvfb, 1280x1024x24) for tests that drive real input with xdotool: the
// pointer and the keyboard focus are then theirs alone, whatever else runs in parallel.
// startPrivateXServer must run before SDL video starts; the server ends with the process.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace testing_x {

bool startPrivateXServer();                     // sets DISPLAY; once per process
bool xdotool(const std::vector<std::string>& arguments);  // runs it and waits; true on exit 0
int xdotoolInBackground(const std::vector<std::string>& arguments);  // its process id, or -1
bool finish(int pid);                                     // waits for it; true on exit 0
// The id of the first window titled `title`, or empty: asks xdotool once.
std::string windowNamed(const std::string& title);
// Asks every 100 ms, at most `tries` times, until the window appears (then it gets the keyboard)
// or `ended` says its program is gone; empty when it never came.
std::string waitForWindow(const std::string& title, int tries, const std::function<bool()>& ended);

// Asks the window to close as a window manager's close does (WM_DELETE_WINDOW): xdotool's
// windowclose destroys the window instead. False when the request could not be sent.
bool closeAsWindowManager(const std::string& window);
}  // namespace testing_x
