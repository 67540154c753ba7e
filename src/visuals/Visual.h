// Visual: the abstract family of time-line elements that draw into a rectangle of the current
// render target. render answers whether anything was drawn; callers set the rectangle first.
// Owns its editor panel (a VisualPreview), created by the first getEditor.
#pragma once

#include "database/Object.h"
#include "gui/Widget.h"

#include <memory>

class Visual : public Object {
public:
    using Object::Object;
    ~Visual() override;

    Widget* getEditor() override;
    virtual bool render(float time, float delta) { return true; }
    virtual void setRect(const Rect& r) { rect = r; }
    virtual Rect getRect() { return rect; }

    // How many pixels of the target one pixel of a visual's own placement (an overlay's position)
    // covers: 1 in the player; zodrender sets it while it draws the player's layout scaled to its
    // output, and back to 1 before anything else is drawn.
    static void setPixelScale(float scale);
    static float pixelScale();

protected:
    Rect rect{0, 0, 0, 0};           // viewport in pixels of the current render target
    std::unique_ptr<Widget> editor;  // owned; created by the first getEditor
};
