// Box: a row (HBox) or column (VBox) of children laid out along one axis with fixed spacing;
// fixed children keep their hint, stretching ones share the spare space. Tab moves the focus
// through the children; past either end the box answers false so its parent moves on.
#pragma once

#include "gui/Container.h"

class Box : public Container {
public:
    bool draw(float time, float delta) override;  // every child; true only if all were
    bool key(int virtualKey, bool down) override;
    void leftButton(Point p, int action) override;  // a press focuses the child under the mouse

    bool focusChild(int direction) override;
    bool updateHover(Point p) override;
    void layout() override;
    void childChanged() override;

    // The list stays the caller's and must live as long as it is set.
    virtual void setChildren(Widget* const* list, int count);
    bool focusNext();
    bool focusPrevious();

    int getChildCount() const { return count; }
    Widget* childAt(int index) const { return children[index]; }
    int getSpacing() const { return spacing; }
    void setSpacing(int pixels) { spacing = pixels; }

protected:
    explicit Box(bool horizontal) : horizontal(horizontal) {}

    const bool horizontal;             // true lays out along x (HBox), false along y (VBox)
    Widget* const* children = nullptr;  // not owned; the owner keeps the array
    int count = 0;
    int spacing = 4;       // pixels between neighbours
    int stretchCount = 0;  // children that stretch along the axis
};
