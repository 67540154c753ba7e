// DialogWindow: one open modal dialog: its SDL window and renderer, its controls laid out from
// the template, focus and the open drop-down list, and the modal loop that turns SDL input into
// the dialog procedure's WM_COMMAND. Lives on the stack of DialogBoxIndirectParamA.
#pragma once

#include "platform/win/Dialog.h"
#include "platform/win/DialogFont.h"
#include "platform/win/NativeWindow.h"

#include <string>
#include <vector>

struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;

class DialogWindow : public win::NativeWindow {
public:
    DialogWindow(const DialogTemplate* dialogTemplate, DLGPROC procedure, LPARAM initParam);
    ~DialogWindow();

    INT_PTR runModal();  // -1 when the window cannot be made
    void end(INT_PTR result);
    LRESULT controlMessage(int id, unsigned message, WPARAM wParam, LPARAM lParam);
    bool mapRect(RECT& rect) const;
    bool controlRect(int id, RECT& rect) const;

    static DialogWindow* fromHandle(HWND handle);  // null unless an open dialog

private:
    struct Control {
        DialogItemTemplate item{};
        int x = 0, y = 0, width = 0, height = 0;  // pixels in the client area
        std::string label;                        // text without the "&"
        int mnemonicAt = -1;                      // index of the accelerator letter in label
        bool checked = false;
        bool pressed = false;                     // mouse held down on it
        std::vector<std::string> strings;         // combo box items
        int selected = -1;                        // combo box selection
        SDL_Texture* picture = nullptr;           // owned
    };

    bool create();
    void layout();
    void handle(const SDL_Event& event);
    void keyDown(int key, int modifiers);
    void mouseDown(int x, int y);
    void mouseUp(int x, int y);
    void mouseMove(int x, int y);
    void command(int id, unsigned notification);
    void click(Control& control);      // a button or check box activated
    void moveFocus(bool backward);
    void focusControl(int index);
    void openList(bool open);
    void selectItem(Control& control, int index, bool notify);
    bool isTabStop(const Control& control) const;
    bool isPushButton(const Control& control) const;
    bool isCheckBox(const Control& control) const;
    bool isCombo(const Control& control) const;
    int hit(int x, int y) const;        // control index or -1
    int listItemAt(int x, int y) const; // item of the open list or -1
    void listArea(int& x, int& y, int& width, int& height) const;
    Control* byId(int id);
    const Control* byId(int id) const;
    void render();

    const DialogTemplate* dialogTemplate;  // not owned
    DLGPROC dialogProcedure;
    LPARAM initParam;
    DialogFont font;
    SDL_Renderer* renderer = nullptr;  // owned
    std::vector<Control> controls;
    int clientWidth = 0;
    int clientHeight = 0;
    int focus = -1;         // control index with the keyboard focus
    int openCombo = -1;     // control index whose list is open
    int hotItem = -1;       // highlighted item of the open list
    int itemHeight = 0;     // pixels per list item
    bool ended = false;
    INT_PTR result = 0;
    bool dirty = true;      // redraw before the next wait
};
