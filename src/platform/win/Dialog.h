// Modal dialogs built from a template, with Win32's vocabulary: the dialog procedure receives
// WM_INITDIALOG and WM_COMMAND, talks to its controls through SendDlgItemMessageA,
// CheckDlgButton and IsDlgButtonChecked, and ends the dialog with EndDialog. The dialog is a small
// window of its own (a win::NativeWindow, so SetWindowTextA names it), laid out in dialog units of
// its font and driven by mouse and keyboard as Windows dialogs are. Only the main thread calls these.
#pragma once

#include "platform/win/win32.h"

#include <cstdint>

using INT_PTR = std::intptr_t;
using DLGPROC = INT_PTR (*)(HWND dialog, unsigned message, WPARAM wParam, LPARAM lParam);

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// --- styles -----------------------------------------------------------------------------------------
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD DS_MODALFRAME = 0x0080;
constexpr DWORD DS_CENTER = 0x0800;
constexpr DWORD DS_SHELLFONT = 0x0048;
constexpr DWORD SS_BITMAP = 0x000E;         // a picture resource shown at its real size
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;  // Return presses it
constexpr DWORD BS_AUTOCHECKBOX = 0x0003;   // toggles itself on click or Space
constexpr DWORD CBS_DROPDOWNLIST = 0x0003;

// --- control messages and notifications -------------------------------------------------------------
constexpr unsigned BM_GETCHECK = 0x00F0;
constexpr unsigned BM_SETCHECK = 0x00F1;
constexpr unsigned BST_UNCHECKED = 0;
constexpr unsigned BST_CHECKED = 1;
constexpr unsigned CB_ADDSTRING = 0x0143;      // lParam: const char*; result: the new index
constexpr unsigned CB_GETCOUNT = 0x0146;
constexpr unsigned CB_GETCURSEL = 0x0147;      // CB_ERR when nothing is selected
constexpr unsigned CB_RESETCONTENT = 0x014B;
constexpr unsigned CB_SETCURSEL = 0x014E;      // wParam: index, or -1 for none
constexpr unsigned CB_SHOWDROPDOWN = 0x014F;   // wParam: TRUE opens the list
constexpr unsigned CB_GETDROPPEDSTATE = 0x0157;
constexpr LRESULT CB_ERR = -1;
constexpr unsigned BN_CLICKED = 0;
constexpr unsigned CBN_SELCHANGE = 1;

constexpr WPARAM MAKEWPARAM(unsigned low, unsigned high) {
    return static_cast<WPARAM>((low & 0xffff) | ((high & 0xffff) << 16));
}
constexpr unsigned LOWORD(WPARAM w) { return static_cast<unsigned>(w & 0xffff); }
constexpr unsigned HIWORD(WPARAM w) { return static_cast<unsigned>((w >> 16) & 0xffff); }

// --- templates --------------------------------------------------------------------------------------
enum class DialogControlClass { Static, Button, ComboBox };

struct DialogItemTemplate {
    DialogControlClass controlClass;
    DWORD style;         // the class's style bits with WS_TABSTOP, WS_VSCROLL ...
    int x, y, cx, cy;    // dialog units
    int id;              // -1 for none
    const char* text;    // "&" marks the accelerator letter
    int image;           // SS_BITMAP: the picture resource number; 0 otherwise
};

struct DialogTemplate {
    DWORD style;                       // DS_CENTER, DS_SHELLFONT, WS_POPUP, WS_BORDER, WS_SYSMENU ...
    int x, y, cx, cy;                  // dialog units
    const char* title;                 // the window text before WM_INITDIALOG
    int pointSize;                     // of the font; "MS Shell Dlg" stands for the linked DejaVu Sans
    const char* typeface;
    const DialogItemTemplate* items;
    int itemCount;
};

// The dialog's result from EndDialog; -1 when the window or its font cannot be made.
INT_PTR DialogBoxIndirectParamA(HINSTANCE instance, const DialogTemplate* dialogTemplate, HWND parent,
                                DLGPROC procedure, LPARAM initParam);
BOOL EndDialog(HWND dialog, INT_PTR result);
LRESULT SendDlgItemMessageA(HWND dialog, int id, unsigned message, WPARAM wParam, LPARAM lParam);
BOOL CheckDlgButton(HWND dialog, int id, unsigned check);
unsigned IsDlgButtonChecked(HWND dialog, int id);
BOOL MapDialogRect(HWND dialog, RECT* rect);  // dialog units to pixels of this dialog's font
BOOL GetDlgItemRect(HWND dialog, int id, RECT* rect);  // a control's pixels in the client area (tests, tools)
