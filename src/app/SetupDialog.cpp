#include "app/SetupDialog.h"

#include "app/Options.h"
#include "platform/win/Dialog.h"

#include <iterator>

namespace {

constexpr int IDC_WINDOWED = 1001;
constexpr int IDC_ANTIALIASED = 1002;
constexpr int IDC_RESOLUTION = 1003;
constexpr int IDB_PICTURE = 103;

// Dialog resource 102.
constexpr DialogItemTemplate setupItems[] = {
    {DialogControlClass::Static, WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0, 240, 116, -1, nullptr, IDB_PICTURE},
    {DialogControlClass::Button, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 186, 125, 48, 14, IDOK, "OK", 0},
    {DialogControlClass::Button, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 6, 122, 48, 10, IDC_WINDOWED,
     "&Windowed", 0},
    {DialogControlClass::Button, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 6, 132, 48, 10, IDC_ANTIALIASED,
     "&Antialiased", 0},
    {DialogControlClass::ComboBox, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 60, 126, 66, 90,
     IDC_RESOLUTION, nullptr, 0},
    {DialogControlClass::Button, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 132, 125, 48, 14, IDCANCEL,
     "Cancel", 0},
};

constexpr DialogTemplate setupTemplate = {
    DS_SETFONT | DS_SHELLFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_BORDER | WS_SYSMENU,
    0, 0, 240, 148, "", 8, "MS Shell Dlg", setupItems, static_cast<int>(std::size(setupItems)),
};

struct Resolution {
    const char* text;
    int width;
    int height;
};
constexpr Resolution resolutions[] = {{"640 x 480", 640, 480}, {"800 x 600", 800, 600}, {"1024 x 768", 1024, 768}};

INT_PTR setupProcedure(HWND dialog, unsigned message, WPARAM wParam, LPARAM lParam) {
    // The options travel with the dialog window, as its user data.
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
    auto* dialogOptions = reinterpret_cast<Options*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
    if (dialogOptions == nullptr) return FALSE;

    switch (message) {
    case WM_INITDIALOG: {
        SetWindowTextA(dialog, "Welcome");
        for (const Resolution& resolution : resolutions)
            SendDlgItemMessageA(dialog, IDC_RESOLUTION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(resolution.text));
        SendDlgItemMessageA(dialog, IDC_RESOLUTION, CB_SETCURSEL, 1, 0);  // whatever the options say
        CheckDlgButton(dialog, IDC_ANTIALIASED, dialogOptions->antialias ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_WINDOWED, dialogOptions->windowed ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            dialogOptions->antialias = IsDlgButtonChecked(dialog, IDC_ANTIALIASED) == BST_CHECKED;
            dialogOptions->windowed = IsDlgButtonChecked(dialog, IDC_WINDOWED) == BST_CHECKED;
            LRESULT selected = SendDlgItemMessageA(dialog, IDC_RESOLUTION, CB_GETCURSEL, 0, 0);
            if (selected >= 0 && selected < static_cast<LRESULT>(std::size(resolutions))) {
                dialogOptions->width = resolutions[selected].width;
                dialogOptions->height = resolutions[selected].height;
            }
            EndDialog(dialog, 1);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        default: return FALSE;
        }
    default: return FALSE;
    }
}

}  // namespace

int SetupDialog::show(Options* options) {
    return static_cast<int>(
        DialogBoxIndirectParamA(nullptr, &setupTemplate, nullptr, setupProcedure, reinterpret_cast<LPARAM>(options)));
}
