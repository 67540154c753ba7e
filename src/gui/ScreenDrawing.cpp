#include "gui/ScreenDrawing.h"

#include "app/Device.h"
#include "platform/d3dx/d3dx9.h"

namespace {

// The states every toolkit block shares; a widget's own table may override any of them.
constexpr RenderStateLine commonStates[] = {
    {D3DRS_LIGHTING, FALSE},
    {D3DRS_ALPHATESTENABLE, FALSE},
    {D3DRS_ZFUNC, D3DCMP_ALWAYS},
    {D3DRS_ZWRITEENABLE, FALSE},
    {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
    {D3DRS_ALPHABLENDENABLE, TRUE},
};

}  // namespace

bool recordScreenState(std::initializer_list<RenderStateLine> renderStates,
                       std::initializer_list<StageStateLine> stage0, DWORD fvf,
                       ComRef<IDirect3DStateBlock9>* block) {
    if (!device) return false;
    if (device->BeginStateBlock() < 0) return false;
    for (const RenderStateLine& line : commonStates) device->SetRenderState(line.state, line.value);
    for (const RenderStateLine& line : renderStates) device->SetRenderState(line.state, line.value);
    for (const StageStateLine& line : stage0) device->SetTextureStageState(0, line.state, line.value);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device->SetFVF(fvf);
    ComRef<IDirect3DStateBlock9> recorded;
    if (device->EndStateBlock(&recorded) < 0 || !recorded) return false;
    *block = recorded;
    return true;
}

bool recordColourState(std::initializer_list<RenderStateLine> renderStates, DWORD fvf,
                       ComRef<IDirect3DStateBlock9>* block) {
    return recordScreenState(renderStates,
                             {
                                 {D3DTSS_COLOROP, D3DTOP_SELECTARG1},
                                 {D3DTSS_COLORARG1, D3DTA_DIFFUSE},
                                 {D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
                                 {D3DTSS_ALPHAARG1, D3DTA_DIFFUSE},
                             },
                             fvf, block);
}

void applyScreenState(IDirect3DStateBlock9* block, DWORD fvf) {
    if (block) block->Apply();
    device->SetVertexShader(nullptr);
    device->SetFVF(fvf);
}

void quadCorners(float x, float y, float width, float height, float corners[4][2]) {
    const float left = x - 0.5f, top = y - 0.5f;
    const float right = left + width, bottom = top + height;
    corners[0][0] = left;  corners[0][1] = top;
    corners[1][0] = right; corners[1][1] = top;
    corners[2][0] = right; corners[2][1] = bottom;
    corners[3][0] = left;  corners[3][1] = bottom;
}

bool loadIconTexture(int resource, ComRef<IDirect3DTexture9>& texture) {
    texture.reset();
    if (!device) return false;
    ComRef<IDirect3DTexture9> loaded;
    if (FAILED(D3DXCreateTextureFromResourceA(device, nullptr, resource, &loaded)) || !loaded) return false;
    texture = loaded;
    return true;
}

void drawTexturedQuad(float x, float y, float width, float height, const D3DCOLOR colours[4]) {
    float c[4][2];
    quadCorners(x, y, width, height, c);
    const TexturedVertex quad[4] = {
        {c[0][0], c[0][1], 0, 1, colours[0], 0, 0},
        {c[1][0], c[1][1], 0, 1, colours[1], 1, 0},
        {c[2][0], c[2][1], 0, 1, colours[2], 1, 1},
        {c[3][0], c[3][1], 0, 1, colours[3], 0, 1},
    };
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(TexturedVertex));
}

void drawFramedPanel(float x, float y, float w, float h, D3DCOLOR left, D3DCOLOR right, D3DCOLOR border, bool inset) {
    const ColourVertex fill[4] = {
        {x + 0.5f, y + 0.5f, 0, 1, left},
        {x + w - 1.5f, y + 0.5f, 0, 1, right},
        {x + w - 1.5f, y + h - 1.5f, 0, 1, right},
        {x + 0.5f, y + h - 1.5f, 0, 1, left},
    };
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fill, sizeof(ColourVertex));
    for (float d = 0; d <= (inset ? 1.0f : 0.0f); d += 1.0f) {
        const ColourVertex outline[5] = {
            {x + d, y + d, 0, 1, border},
            {x + w - 1 - d, y + d, 0, 1, border},
            {x + w - 1 - d, y + h - 1 - d, 0, 1, border},
            {x + d, y + h - 1 - d, 0, 1, border},
            {x + d, y + d, 0, 1, border},
        };
        device->DrawPrimitiveUP(D3DPT_LINESTRIP, 4, outline, sizeof(ColourVertex));
    }
}
