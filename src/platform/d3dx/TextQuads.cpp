#include "platform/d3dx/TextQuads.h"

#include <iterator>
#include <tuple>

namespace d3dx {

namespace {

const struct {
    D3DRENDERSTATETYPE state;
    DWORD value;
} renderStates[] = {
    {D3DRS_FILLMODE, D3DFILL_SOLID},
    {D3DRS_CULLMODE, D3DCULL_NONE},
    {D3DRS_LIGHTING, FALSE},
    {D3DRS_ZENABLE, D3DZB_FALSE},
    {D3DRS_ZWRITEENABLE, FALSE},
    {D3DRS_ALPHATESTENABLE, FALSE},
    {D3DRS_ALPHABLENDENABLE, TRUE},
    {D3DRS_BLENDOP, D3DBLENDOP_ADD},
    {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
    {D3DRS_FOGENABLE, FALSE},
    {D3DRS_STENCILENABLE, FALSE},
    {D3DRS_COLORWRITEENABLE, 0xf},
};

const struct {
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE type;
    DWORD value;
} stageStates[] = {
    {0, D3DTSS_COLOROP, D3DTOP_MODULATE},
    {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE},
    {0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
    {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
    {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
    {0, D3DTSS_TEXCOORDINDEX, 0},
    {0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
    {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
    {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE},
};

const struct {
    D3DSAMPLERSTATETYPE type;
    DWORD value;
} samplerStates[] = {
    {D3DSAMP_MINFILTER, D3DTEXF_POINT},
    {D3DSAMP_MAGFILTER, D3DTEXF_POINT},
    {D3DSAMP_MIPFILTER, D3DTEXF_NONE},
    {D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP},
    {D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP},
};

static_assert(std::size(renderStates) <= std::tuple_size_v<decltype(SavedTextStates::render)>);
static_assert(std::size(stageStates) <= std::tuple_size_v<decltype(SavedTextStates::stage)>);
static_assert(std::size(samplerStates) <= std::tuple_size_v<decltype(SavedTextStates::sampler)>);

void setStates(IDirect3DDevice9* device) {
    device->SetVertexShader(nullptr);
    device->SetFVF(textVertexFormat);
    for (const auto& s : renderStates) device->SetRenderState(s.state, s.value);
    for (const auto& s : stageStates) device->SetTextureStageState(s.stage, s.type, s.value);
    for (const auto& s : samplerStates) device->SetSamplerState(0, s.type, s.value);
}

}  // namespace

void TextQuads::saveStates(IDirect3DDevice9* device, SavedTextStates& saved) {
    for (std::size_t i = 0; i < std::size(renderStates); ++i) device->GetRenderState(renderStates[i].state, &saved.render[i]);
    for (std::size_t i = 0; i < std::size(stageStates); ++i)
        device->GetTextureStageState(stageStates[i].stage, stageStates[i].type, &saved.stage[i]);
    for (std::size_t i = 0; i < std::size(samplerStates); ++i)
        device->GetSamplerState(0, samplerStates[i].type, &saved.sampler[i]);
}

void TextQuads::restoreStates(IDirect3DDevice9* device, const SavedTextStates& saved) {
    for (std::size_t i = 0; i < std::size(renderStates); ++i) device->SetRenderState(renderStates[i].state, saved.render[i]);
    for (std::size_t i = 0; i < std::size(stageStates); ++i)
        device->SetTextureStageState(stageStates[i].stage, stageStates[i].type, saved.stage[i]);
    for (std::size_t i = 0; i < std::size(samplerStates); ++i)
        device->SetSamplerState(0, samplerStates[i].type, saved.sampler[i]);
}

void TextQuads::applyStates(IDirect3DDevice9* device, ComRef<IDirect3DStateBlock9>& block) {
    if (!block && SUCCEEDED(device->BeginStateBlock())) {
        setStates(device);
        if (FAILED(device->EndStateBlock(&block))) block.reset();
    }
    if (block) block->Apply();
    else setStates(device);  // without a block the states are still right, only slower
}

void TextQuads::draw(IDirect3DDevice9* device, const TextQuad* const* quads, std::size_t count, TextVertex* scratch,
                     std::size_t scratchQuads) {
    if (count == 0) return;
    device->SetTexture(0, quads[0]->texture);
    std::size_t used = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const TextVertex* c = quads[i]->corners;
        TextVertex* out = scratch + used * 6;
        out[0] = c[0], out[1] = c[1], out[2] = c[2];  // clockwise, as front faces are
        out[3] = c[0], out[4] = c[2], out[5] = c[3];
        if (++used == scratchQuads) {
            device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(used * 2), scratch, sizeof(TextVertex));
            used = 0;
        }
    }
    if (used > 0) device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(used * 2), scratch, sizeof(TextVertex));
}

}  // namespace d3dx
