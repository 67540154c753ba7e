// What the window, message and input halves of the Win32 stand-in share: the set of live
// windows (a destroyed handle is refused, never followed), SDL start-up, and the message queue.
// Internal to platform/win; the rest of the program uses win32.h.
#pragma once

#include "platform/win/NativeWindow.h"
#include "platform/win/XServerSync.h"
#include "platform/win/win32.h"

struct SDL_Window;

namespace win {

bool startVideo();                          // SDL video with the hints this layer relies on
bool isLive(HWND window);                   // created here and not yet destroyed
bool isUsable(HWND window);                 // live, or a window of another part (a dialog) with an SDL window
HWND windowFromSdl(SDL_Window* sdlWindow);  // none for windows this layer did not create
void forgetMessages(HWND window);           // drops queued messages of a window being destroyed
void postInput(HWND window, unsigned message, WPARAM wParam, LPARAM lParam);  // behind the input
void endCapture(HWND window);               // capture gone: WM_CAPTURECHANGED, deferred leave
void windowDestroyed(HWND window);          // clears focus, capture and key state held for it
bool cursorOverClient(HWND window);         // now, from the pointer's screen position
unsigned pointerOnScreen(int* x, int* y);   // now: screen position; SDL_BUTTON masks held
HWND anyWindow();                           // some live window, or none
short keyStateOf(int virtualKey);           // as of the messages retrieved so far
HWND focusedWindow();                       // as of the messages retrieved so far

}  // namespace win
