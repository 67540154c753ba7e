// Separator: a thin line that fades out towards both ends, vertical (between toolbar groups) or
// horizontal. It is 2 * half + 1 pixels thick; each orientation shares one state block.
#pragma once

#include "gui/Widget.h"
#include "platform/d3d9/d3d9.h"

class Separator : public Widget {
public:
    explicit Separator(bool vertical = true);
    ~Separator() override;

    void setHalf(int half);  // line offset from the edge and half the thickness, in pixels
    bool isVertical() const { return vertical; }

    bool draw(float time, float delta) override;

private:
    const bool vertical;
    int half = 2;

    static int instances;
    static ComRef<IDirect3DStateBlock9> verticalBlock;
    static ComRef<IDirect3DStateBlock9> horizontalBlock;
};
