// SplashImage: the loading picture shown while the document loads: the whole target cleared to
// black and the 256 x 256 picture in the middle. Owns its image and its state block.
#pragma once

#include "gui/Widget.h"
#include "platform/d3d9/d3d9.h"

class SplashImage : public Widget {
public:
    SplashImage();
    ~SplashImage() override;

    bool setIcon(int resource);  // an RCDATA picture by number; false keeps no image

    bool draw(float time, float delta) override;

private:
    ComRef<IDirect3DTexture9> image;          // owned
    ComRef<IDirect3DStateBlock9> stateBlock;  // owned, recorded at the first draw
};
