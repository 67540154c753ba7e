#include "platform/win/Dialog.h"

#include "platform/win/DialogWindow.h"

INT_PTR DialogBoxIndirectParamA(HINSTANCE, const DialogTemplate* dialogTemplate, HWND, DLGPROC procedure,
                                LPARAM initParam) {
    if (dialogTemplate == nullptr || procedure == nullptr) return -1;
    DialogWindow dialog(dialogTemplate, procedure, initParam);
    return dialog.runModal();
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    DialogWindow* window = DialogWindow::fromHandle(dialog);
    if (window == nullptr) return FALSE;
    window->end(result);
    return TRUE;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, unsigned message, WPARAM wParam, LPARAM lParam) {
    DialogWindow* window = DialogWindow::fromHandle(dialog);
    return window ? window->controlMessage(id, message, wParam, lParam) : 0;
}

BOOL CheckDlgButton(HWND dialog, int id, unsigned check) {
    DialogWindow* window = DialogWindow::fromHandle(dialog);
    if (window == nullptr) return FALSE;
    window->controlMessage(id, BM_SETCHECK, check, 0);
    return TRUE;
}

unsigned IsDlgButtonChecked(HWND dialog, int id) {
    return static_cast<unsigned>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}

BOOL MapDialogRect(HWND dialog, RECT* rect) {
    DialogWindow* window = DialogWindow::fromHandle(dialog);
    return window && rect && window->mapRect(*rect) ? TRUE : FALSE;
}

BOOL GetDlgItemRect(HWND dialog, int id, RECT* rect) {
    DialogWindow* window = DialogWindow::fromHandle(dialog);
    return window && rect && window->controlRect(id, *rect) ? TRUE : FALSE;
}
