// Frame: one child inside margins, drawn on a gradient panel with a black border. The panel's
// render state is one state block shared by every Frame, released with the last Frame.
#pragma once

#include "gui/Container.h"
#include "platform/d3d9/d3d9.h"

class Frame : public Container {
public:
    Frame();
    ~Frame() override;

    bool draw(float time, float delta) override;  // panel, then the child's result

    bool focusChild(int direction) override;
    bool updateHover(Point p) override;
    void layout() override;
    void childChanged() override;

    virtual void setChild(Widget* widget);  // not owned; null leaves the frame empty
    virtual void setMargins(Point margins);
    Widget* getChild() const { return child; }
    Point getMargins() const { return margins; }

protected:
    void drawPanel();

    Widget* child = nullptr;  // not owned
    Point margins{5, 5};      // pixels on each side (mx, my)

private:
    static int instances;                               // live Frames (and Guis)
    static ComRef<IDirect3DStateBlock9> stateBlock;     // recorded at the first draw
};
