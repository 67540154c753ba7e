// VisualOverlay: one textured rectangle drawn in screen space over whatever the target holds,
// between `start` and `stop` (both inclusive), with smoothstep fades in and out. Its output is a
// pure function of the time and its rectangle. Its position, texture coordinates, fades and an
// overall opacity ("alpha") may follow floats ("@Name"). All overlays share one state block.
#pragma once

#include "database/DrivenAttributes.h"
#include "platform/d3d9/d3d9.h"
#include "visuals/Visual.h"

class Texture;

class VisualOverlay : public Visual {
public:
    explicit VisualOverlay(Database* database);
    ~VisualOverlay() override;

    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;
    bool render(float time, float delta) override;  // false, drawing nothing, outside the window

    // The opacity factor at a time inside the window, 0..1: the fades times the overall alpha.
    float fadeAt(float time) const;
    // The screen rectangle (left, top, right, bottom) inside `rect` given by `position` at a time.
    void placement(float time, float& left, float& top, float& right, float& bottom) const;

    float getStart() const { return start; }  // the editor's time line shows the window
    float getStop() const { return stop; }

private:
    float start = 0;           // seconds
    float stop = 0;            // seconds
    Driven t1;                 // fade-in seconds from start
    Driven t2;                 // fade-out seconds back from stop
    Texture* texture = nullptr;  // not owned; none when it would be drawn into itself: nothing drawn
    Driven u0, v0;             // texture coordinates of the top-left corner
    Driven u1{1}, v1{1};       // of the bottom-right corner
    Driven position[4];        // px, py, pw, ph: placement inside rect; 0 means the rect's own
    Driven alpha{1};           // overall opacity, 0..1, times the fades

    static ComRef<IDirect3DStateBlock9> overlayStateBlock;  // shared; recorded at the first draw
    static int overlayCount;                                // live overlays; the last releases the block
};
