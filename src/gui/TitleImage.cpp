#include "gui/TitleImage.h"

#include "app/Device.h"
#include "gui/ScreenDrawing.h"
#include "gui/WidgetHost.h"
#include "platform/d3dx/d3dx9.h"

TitleImage::TitleImage() { setSizeHint(128, 16, false, true); }
TitleImage::~TitleImage() = default;

bool TitleImage::setIcon(int resource) {
    image.reset();
    if (!device) return false;
    ComRef<IDirect3DTexture9> loaded;
    if (D3DXCreateTextureFromResourceA(device, nullptr, resource, &loaded) < 0 || !loaded) return false;
    image = loaded;
    return true;
}

bool TitleImage::focusIn(int) {
    focused = false;
    return false;
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
    float c[4][2];
    quadCorners(static_cast<float>(rect.x), static_cast<float>(rect.y), 128.0f, 16.0f, c);
    const TexturedVertex quad[4] = {
        {c[0][0], c[0][1], 0, 1, tint, 0, 0},
        {c[1][0], c[1][1], 0, 1, tint, 1, 0},
        {c[2][0], c[2][1], 0, 1, corner, 1, 1},
        {c[3][0], c[3][1], 0, 1, tint, 0, 1},
    };
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(TexturedVertex));
    return true;
}
