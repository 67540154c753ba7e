#include "visuals/VisualOverlay.h"

#include "app/Device.h"
#include "database/Database.h"
#include "database/ReferenceCycle.h"
#include "textures/Texture.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

ComRef<IDirect3DStateBlock9> VisualOverlay::overlayStateBlock;
int VisualOverlay::overlayCount = 0;

namespace {

struct OverlayVertex {
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
static_assert(sizeof(OverlayVertex) == 28);
constexpr DWORD overlayFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// Numbers are read as double and kept as float; an absent attribute keeps the default.
void readFloat(TiXmlElement* element, const char* name, float& value) {
    if (const char* text = element->Attribute(name)) value = static_cast<float>(std::atof(text));
}

// Like "%i": decimal, 0x hexadecimal or 0 octal.
float wholeNumber(const char* text) {
    return static_cast<float>(std::strtol(text, nullptr, 0));
}

// A driven position follows its float to the nearest whole pixel.
int pixels(float value) {
    return static_cast<int>(std::lround(value));
}

float smoothstep(float u) {
    return 3.0f * u * u - 2.0f * u * u * u;
}

void recordStateBlock() {
    device->BeginStateBlock();
    device->SetFVF(overlayFvf);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
}

}  // namespace

VisualOverlay::VisualOverlay(Database* database) : Visual(database) {
    ++overlayCount;
}

VisualOverlay::~VisualOverlay() {
    if (--overlayCount == 0) overlayStateBlock.reset();
}

Object* VisualOverlay::castTo(ObjectType type) {
    return answerFor(type, TypeVisual, TypeVisualOverlay);
}

bool VisualOverlay::load(TiXmlElement* element) {
    if (element->Attribute("start") == nullptr || element->Attribute("stop") == nullptr) return false;
    readFloat(element, "start", start);
    readFloat(element, "stop", stop);
    for (auto [name, number] : {std::pair{"t1", &t1}, {"t2", &t2}, {"u0", &u0}, {"v0", &v0}, {"u1", &u1},
                                 {"v1", &v1}, {"alpha", &alpha}})
        readDriven(database, element, name, *number);
    if (const char* text = element->Attribute("position")) {
        if (namesFloat(text)) {
            readDrivenList(database, text, position, 4, wholeNumber);
        } else {
            // Decimal, 0x hexadecimal or 0 octal; numbers missing from the text stay 0.
            int p[4] = {0, 0, 0, 0};
            std::sscanf(text, "%i %i %i %i", &p[0], &p[1], &p[2], &p[3]);
            for (int i = 0; i < 4; ++i) position[i].value = static_cast<float>(p[i]);
        }
    }
    const char* name = element->Attribute("texture");
    Object* found = database->find(name, TypeTexture);
    if (found == nullptr) return false;
    // A render target whose own visual holds this overlay would be sampled while drawn into.
    texture = refuseCycle(database, element, "texture", name, found) ? nullptr : static_cast<Texture*>(found);
    return true;
}

float VisualOverlay::fadeAt(float time) const {
    // With t1 or t2 at 0 the strict comparisons never hold inside the window: no division by 0.
    const float fadeIn = t1.at(time), fadeOut = t2.at(time);
    float f = 1.0f;
    if (time < start + fadeIn) f = smoothstep((time - start) / fadeIn);
    if (time > stop - fadeOut) f = smoothstep((stop - time) / fadeOut);  // the fade-out wins where both apply
    if (alpha.driven() || alpha.value != 1.0f) f *= std::min(std::max(alpha.at(time), 0.0f), 1.0f);
    return f;
}

void VisualOverlay::placement(float time, float& left, float& top, float& right, float& bottom) const {
    // Whole pixels of the target, so that texels keep meeting pixel centres when scaled.
    const float s = pixelScale();
    auto scaled = [s](int pixels) {
        return s == 1.0f ? pixels : static_cast<int>(std::lround(static_cast<double>(pixels) * s));
    };
    int at[4];
    for (int i = 0; i < 4; ++i) at[i] = pixels(position[i].at(time));
    const int px = scaled(at[0]), py = scaled(at[1]), pw = scaled(at[2]), ph = scaled(at[3]);
    const int width = at[2] != 0 ? pw : rect.width;
    const int height = at[3] != 0 ? ph : rect.height;
    int x = rect.x;
    if (at[0] > 0) x = rect.x + px;
    if (at[0] < 0) x = rect.x + rect.width + px;  // |px| pixels in from the right edge
    int y = rect.y;
    if (at[1] > 0) y = rect.y + py;
    if (at[1] < 0) y = rect.y + rect.height + py;
    left = static_cast<float>(x);
    top = static_cast<float>(y);
    right = static_cast<float>(x + width);
    bottom = static_cast<float>(y + height);
}

bool VisualOverlay::render(float time, float delta) {
    if (time < start || time > stop || texture == nullptr) return false;

    const DWORD opacity = static_cast<DWORD>(static_cast<int>(fadeAt(time) * 255.0f));
    // A track that holds the overlay invisible for a while costs no fill: active, nothing drawn.
    if (opacity == 0 && alpha.driven()) return true;
    const D3DCOLOR color = (opacity << 24) | 0x00FFFFFFu;

    float left, top, right, bottom;
    placement(time, left, top, right, bottom);
    const float tu0 = u0.at(time), tv0 = v0.at(time), tu1 = u1.at(time), tv1 = v1.at(time);
    // Corners half a pixel up and left, so that texels meet pixel centres.
    const OverlayVertex quad[4] = {
        {left - 0.5f, top - 0.5f, 0.0f, 1.0f, color, tu0, tv0},
        {right - 0.5f, top - 0.5f, 0.0f, 1.0f, color, tu1, tv0},
        {right - 0.5f, bottom - 0.5f, 0.0f, 1.0f, color, tu1, tv1},
        {left - 0.5f, bottom - 0.5f, 0.0f, 1.0f, color, tu0, tv1},
    };

    if (!overlayStateBlock) {
        recordStateBlock();
        device->EndStateBlock(&overlayStateBlock);
    }
    if (overlayStateBlock) overlayStateBlock->Apply();
    texture->select(0, time, delta);
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(OverlayVertex));
    return true;
}
