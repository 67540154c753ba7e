#include "gui/TitleImage.h"

#include "app/Device.h"
#include "gui/ScreenDrawing.h"
#include "gui/WidgetHost.h"

TitleImage::TitleImage() {
    setSizeHint(128, 16, false, true);
    setTakesFocus(false);
}
TitleImage::~TitleImage() = default;

bool TitleImage::setIcon(int resource) {
    return loadIconTexture(resource, image);
}

void TitleImage::leftButton(Point, int action) {
    if (action == 0 && host) host->beginWindowDrag();
}

bool TitleImage::draw(float, float) {
    if (!device) return true;
    if (!image) return true;  // an untextured quad would only be a blank block
    if (!stateBlock) {
        recordScreenState(
            {
                {D3DRS_CULLMODE, D3DCULL_CCW},
            },
            {
                {D3DTSS_COLOROP, D3DTOP_MODULATE},
                {D3DTSS_COLORARG1, D3DTA_TEXTURE},
                {D3DTSS_COLORARG2, D3DTA_DIFFUSE},
                {D3DTSS_ALPHAOP, D3DTOP_MODULATE},
                {D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
                {D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
            },
            TexturedVertexFvf, &stateBlock);
    }
    applyScreenState(stateBlock.get(), TexturedVertexFvf);
    device->SetTexture(0, image.get());

    // The picture keeps its own size at the left end, whatever room the toolbar gives.
    constexpr D3DCOLOR tint = 0xff80c040, corner = 0xff4080c0;
    const D3DCOLOR colours[4] = {tint, tint, corner, tint};
    drawTexturedQuad(static_cast<float>(rect.x), static_cast<float>(rect.y), 128.0f, 16.0f, colours);
    return true;
}
