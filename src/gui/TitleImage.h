// TitleImage: the editor's 128 x 16 title lettering, tinted with a gradient, drawn at the left of
// its rectangle. Pressing the left button on it moves the window (windowed mode). Owns its image
// and its state block.
#pragma once

#include "gui/Widget.h"
#include "platform/d3d9/d3d9.h"

class TitleImage : public Widget {
public:
    TitleImage();
    ~TitleImage() override;

    bool setIcon(int resource);  // an RCDATA picture by number; false keeps no image

    bool draw(float time, float delta) override;
    void leftButton(Point p, int action) override;

private:
    ComRef<IDirect3DTexture9> image;            // owned
    ComRef<IDirect3DStateBlock9> stateBlock;    // owned, recorded at the first draw
};
