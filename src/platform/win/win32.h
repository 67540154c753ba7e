// The Win32 user-interface services the application shell calls, with Win32's names, message
// numbers and virtual-key codes, realised over SDL2: the window class and window, the message
// queue and window procedures, mouse capture and leave tracking, key state, the cursor, message
// boxes, modal dialogs built from a template, and the multimedia timer.
// Only the main thread calls these.
#pragma once

#include "platform/d3d9/d3d9types.h"  // DWORD, BOOL, RECT, HWND

#include <cstdint>

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using ATOM = WORD;
using LONG_PTR = std::intptr_t;
using HINSTANCE = void*;  // the executable; there is only one
using HICON = int;        // an icon resource number, 0 for none
using HCURSOR = int;      // 0 for none, IDC_ARROW for the arrow

struct POINT { long x, y; };

struct MSG {
    HWND hwnd;
    unsigned message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

using WNDPROC = LRESULT (*)(HWND, unsigned, WPARAM, LPARAM);

struct WNDCLASSEXA {
    unsigned cbSize = sizeof(WNDCLASSEXA);
    unsigned style = 0;
    WNDPROC lpfnWndProc = nullptr;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    HINSTANCE hInstance = nullptr;
    HICON hIcon = 0;
    HCURSOR hCursor = 0;
    int hbrBackground = 0;
    const char* lpszMenuName = nullptr;
    const char* lpszClassName = nullptr;
    HICON hIconSm = 0;
};

// --- window messages ------------------------------------------------------------------------------
constexpr unsigned WM_DESTROY = 0x0002;
constexpr unsigned WM_SETFOCUS = 0x0007;
constexpr unsigned WM_KILLFOCUS = 0x0008;
constexpr unsigned WM_CLOSE = 0x0010;
constexpr unsigned WM_QUIT = 0x0012;
constexpr unsigned WM_NCLBUTTONDOWN = 0x00A1;
constexpr unsigned WM_KEYDOWN = 0x0100;
constexpr unsigned WM_KEYUP = 0x0101;
constexpr unsigned WM_CHAR = 0x0102;
constexpr unsigned WM_SYSKEYDOWN = 0x0104;
constexpr unsigned WM_SYSKEYUP = 0x0105;
constexpr unsigned WM_INITDIALOG = 0x0110;
constexpr unsigned WM_COMMAND = 0x0111;
constexpr unsigned WM_MOUSEMOVE = 0x0200;
constexpr unsigned WM_LBUTTONDOWN = 0x0201;
constexpr unsigned WM_LBUTTONUP = 0x0202;
constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
constexpr unsigned WM_RBUTTONDOWN = 0x0204;
constexpr unsigned WM_RBUTTONUP = 0x0205;
constexpr unsigned WM_RBUTTONDBLCLK = 0x0206;
constexpr unsigned WM_MBUTTONDOWN = 0x0207;
constexpr unsigned WM_MBUTTONUP = 0x0208;
constexpr unsigned WM_MBUTTONDBLCLK = 0x0209;
constexpr unsigned WM_MOUSEWHEEL = 0x020A;
constexpr unsigned WM_CAPTURECHANGED = 0x0215;
constexpr unsigned WM_MOUSELEAVE = 0x02A3;

constexpr WPARAM HTCAPTION = 2;
constexpr int WHEEL_DELTA = 120;

// lParam of mouse messages: client x in the low 16 bits, y in the high 16 bits, both signed.
constexpr int GET_X_LPARAM(LPARAM l) { return static_cast<short>(l & 0xffff); }
constexpr int GET_Y_LPARAM(LPARAM l) { return static_cast<short>((l >> 16) & 0xffff); }
constexpr LPARAM MAKELPARAM(int low, int high) {
    return static_cast<LPARAM>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(low))) |
                               (static_cast<std::uint32_t>(static_cast<std::uint16_t>(high)) << 16));
}
constexpr int GET_WHEEL_DELTA_WPARAM(WPARAM w) { return static_cast<short>((w >> 16) & 0xffff); }

// --- virtual-key codes ------------------------------------------------------------------------------
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;  // Alt
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;  // Page Up
constexpr int VK_NEXT = 0x22;   // Page Down
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_NUMPAD0 = 0x60;  // VK_NUMPAD1 .. VK_NUMPAD9 follow
constexpr int VK_F1 = 0x70;       // VK_F2 .. VK_F12 follow
// Letters and digits are their upper-case ASCII codes ('A' = 0x41, '0' = 0x30).

// --- window classes, styles and windows -------------------------------------------------------------
constexpr unsigned CS_DBLCLKS = 0x0008;
constexpr int IDC_ARROW = 32512;
constexpr int BLACK_BRUSH = 4;

constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;

constexpr int GWLP_USERDATA = -21;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr unsigned PM_REMOVE = 0x0001;

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass);
HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style, int x, int y,
                     int width, int height, HWND parent, void* menu, HINSTANCE instance, void* param);
BOOL DestroyWindow(HWND window);
LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
LONG_PTR GetWindowLongPtrA(HWND window, int index);
BOOL GetWindowRect(HWND window, RECT* rect);  // screen coordinates of the outer frame
BOOL GetClientRect(HWND window, RECT* rect);  // 0, 0, client width, client height
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
BOOL ShowWindow(HWND window, int command);
int GetSystemMetrics(int index);
BOOL SetWindowTextA(HWND window, const char* text);

// --- messages ----------------------------------------------------------------------------------------
BOOL PeekMessageA(MSG* message, HWND window, unsigned filterMin, unsigned filterMax, unsigned remove);
BOOL TranslateMessage(const MSG* message);  // key downs of characters also post WM_CHAR
LRESULT DispatchMessageA(const MSG* message);
LRESULT DefWindowProcA(HWND window, unsigned message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND window, unsigned message, WPARAM wParam, LPARAM lParam);
BOOL PostMessageA(HWND window, unsigned message, WPARAM wParam, LPARAM lParam);

// --- keyboard focus, mouse and cursor ----------------------------------------------------------------
HWND GetFocus();
HWND SetCapture(HWND window);  // the previous capture window
BOOL ReleaseCapture();
HWND GetCapture();
short GetKeyState(int virtualKey);  // high bit set while the key is down
int ShowCursor(BOOL show);          // the display counter after the change
BOOL GetCursorPos(POINT* point);    // screen coordinates
BOOL ScreenToClient(HWND window, POINT* point);

constexpr DWORD TME_LEAVE = 0x00000002;
constexpr DWORD HOVER_DEFAULT = 0xFFFFFFFF;
struct TRACKMOUSEEVENT {
    DWORD cbSize = sizeof(TRACKMOUSEEVENT);
    DWORD dwFlags = 0;
    HWND hwndTrack = nullptr;
    DWORD dwHoverTime = 0;
};
BOOL TrackMouseEvent(TRACKMOUSEEVENT* track);

// --- message boxes --------------------------------------------------------------------------------------
// Modal; the text also goes to standard error, so nobody waits on a box without seeing it.
constexpr unsigned MB_OK = 0x00000000;
constexpr unsigned MB_ICONERROR = 0x00000010;
constexpr unsigned MB_ICONWARNING = 0x00000030;
int MessageBoxA(HWND owner, const char* text, const char* caption, unsigned type);

// --- the multimedia timer ----------------------------------------------------------------------------------
struct TIMECAPS {
    unsigned wPeriodMin;
    unsigned wPeriodMax;
};
constexpr unsigned TIMERR_NOERROR = 0;
DWORD timeGetTime();  // milliseconds, wrapping around at 2^32
unsigned timeGetDevCaps(TIMECAPS* caps, unsigned size);
unsigned timeBeginPeriod(unsigned period);
unsigned timeEndPeriod(unsigned period);
