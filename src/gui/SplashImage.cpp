#include "gui/SplashImage.h"

#include "app/Device.h"
#include "gui/ScreenDrawing.h"

namespace {
constexpr int PictureSize = 256;
}  // namespace

SplashImage::SplashImage() {
    setSizeHint(PictureSize, PictureSize, false, false);
    setTakesFocus(false);
}
SplashImage::~SplashImage() = default;

bool SplashImage::setIcon(int resource) {
    return loadIconTexture(resource, image);
}

bool SplashImage::draw(float, float) {
    if (!device) return true;
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
    if (!image) return true;  // an untextured quad would only be a blank block
    if (!stateBlock) {
        recordScreenState(
            {
                {D3DRS_CULLMODE, D3DCULL_CCW},
            },
            {
                {D3DTSS_COLOROP, D3DTOP_SELECTARG1},
                {D3DTSS_COLORARG1, D3DTA_TEXTURE},
                {D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
                {D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
            },
            PlainTexturedVertexFvf, &stateBlock);
    }
    applyScreenState(stateBlock.get(), PlainTexturedVertexFvf);
    device->SetTexture(0, image.get());

    const int left = rect.x + (rect.width - PictureSize) / 2 + 10;
    const int top = rect.y + (rect.height - PictureSize) / 2;
    float c[4][2];
    quadCorners(static_cast<float>(left), static_cast<float>(top), PictureSize, PictureSize, c);
    const PlainTexturedVertex quad[4] = {
        {c[0][0], c[0][1], 0, 1, 0, 0},
        {c[1][0], c[1][1], 0, 1, 1, 0},
        {c[2][0], c[2][1], 0, 1, 1, 1},
        {c[3][0], c[3][1], 0, 1, 0, 1},
    };
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(PlainTexturedVertex));
    return true;
}
