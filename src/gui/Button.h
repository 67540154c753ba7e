// Button: a 16 x 16 icon that reports clicks (Space, Return, or a mouse press and release) to its
// listener. Each button owns its icon texture; the render state is one state block shared by all
// buttons and released with the last one.
#pragma once

#include "gui/FocusMark.h"
#include "gui/Widget.h"
#include "platform/d3d9/d3d9.h"

class ButtonListener;

class Button : public Widget {
public:
    Button();
    ~Button() override;

    void setListener(int id, ButtonListener* listener);  // listener not owned
    bool setIcon(int resource);  // an RCDATA picture by number; false keeps no icon
    int getId() const { return id; }
    bool isPressed() const { return pressed; }

    bool draw(float time, float delta) override;
    bool key(int virtualKey, bool down) override;
    void leftButton(Point p, int action) override;
    void mouseLeave() override;
    void setRect(const Rect& r) override;  // the hint follows the rectangle

    bool highlighted = false;  // set by the owner to show a state (playing, paused, a toggle)
    bool greyed = false;       // set by the owner: nothing to do now (drawn faint, clicks still reported)

private:
    FocusMark focusMark;
    void click();

    ComRef<IDirect3DTexture9> icon;      // owned; null draws the diffuse colour only
    ButtonListener* listener = nullptr;  // not owned
    int id = 0;
    bool pressed = false;  // the left button went down on it and has not come up

    static int instances;
    static ComRef<IDirect3DStateBlock9> stateBlock;
};
