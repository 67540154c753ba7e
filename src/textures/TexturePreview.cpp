#include "textures/TexturePreview.h"

#include "app/Device.h"
#include "platform/d3dx/d3dx9.h"
#include "textures/Texture.h"

ComRef<IDirect3DTexture9> TexturePreview::checkerBoard;
ComRef<IDirect3DStateBlock9> TexturePreview::previewStateBlock;
int TexturePreview::previewCount = 0;

namespace {

struct PreviewVertex {
    float x, y, z, rhw;
    float u, v;
};
static_assert(sizeof(PreviewVertex) == 24);

constexpr int checkerResource = 127;

void recordStateBlock() {
    device->BeginStateBlock();
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
}

}  // namespace

TexturePreview::TexturePreview(Texture* texture) : texture(texture) {
    ++previewCount;
}

TexturePreview::~TexturePreview() {
    if (--previewCount == 0) {
        checkerBoard.reset();
        previewStateBlock.reset();
    }
}

bool TexturePreview::init() {
    if (checkerBoard) return true;
    return SUCCEEDED(D3DXCreateTextureFromResourceA(device, nullptr, checkerResource, &checkerBoard));
}

bool TexturePreview::draw(float time, float delta) {
    int w = 0, h = 0;
    texture->getSize(w, h);
    const float X = static_cast<float>(rect.x), Y = static_cast<float>(rect.y);
    const float W = static_cast<float>(rect.width), H = static_cast<float>(rect.height);
    // A texture larger than the panel is squeezed into it.
    float mx = (W - static_cast<float>(w) * zoom) / 2.0f;
    float my = (H - static_cast<float>(h) * zoom) / 2.0f;
    if (mx < 0.0f) mx = 0.0f;
    if (my < 0.0f) my = 0.0f;
    const PreviewVertex quad[4] = {
        {X + mx - 0.5f, Y + my - 0.5f, 0.0f, 1.0f, 0.0f, 0.0f},
        {X + W - mx - 0.5f, Y + my - 0.5f, 0.0f, 1.0f, 1.0f, 0.0f},
        {X + W - mx - 0.5f, Y + H - my - 0.5f, 0.0f, 1.0f, 1.0f, 1.0f},
        {X + mx - 0.5f, Y + H - my - 0.5f, 0.0f, 1.0f, 0.0f, 1.0f},
    };

    if (!previewStateBlock) {
        recordStateBlock();
        device->EndStateBlock(&previewStateBlock);
    }
    if (previewStateBlock) previewStateBlock->Apply();

    device->SetTexture(0, checkerBoard.get());
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(PreviewVertex));

    texture->select(0, time, delta);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(PreviewVertex));
    if (focused) focusMark.draw(rect);
    return true;
}

bool TexturePreview::key(int virtualKey, bool down) {
    if (!down) return false;
    switch (virtualKey) {
        case '1':
        case 0x20:  // Space
            zoom = 1.0f;
            return true;
        case '2': zoom = 2.0f; return true;
        case '3': zoom = 3.0f; return true;
        case '4': zoom = 4.0f; return true;
        case '5': zoom = 5.0f; return true;
        default: return false;
    }
}

void TexturePreview::wheel(Point, float notches) {
    zoom = zoom * (1.0f + notches / 16.0f);
}

void TexturePreview::leftButton(Point p, int action) {
    if (action == 2 && hitTest(p)) zoom = 1.0f;
}
