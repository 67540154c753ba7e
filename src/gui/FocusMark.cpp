#include "gui/FocusMark.h"

#include "app/Device.h"
#include "gui/ScreenDrawing.h"

void FocusMark::draw(const Rect& r) {
    if (!device || r.width < 3 || r.height < 3) return;
    if (!stateBlock) {
        recordColourState(
            {
                {D3DRS_ALPHABLENDENABLE, FALSE},
                {D3DRS_CULLMODE, D3DCULL_NONE},
            },
            ColourVertexFvf, &stateBlock);
    }
    applyScreenState(stateBlock.get(), ColourVertexFvf);
    device->SetTexture(0, nullptr);
    // Four bars two pixels wide along the edges, as filled quads: every corner pixel is covered.
    const float x0 = static_cast<float>(r.x) - 0.5f, y0 = static_cast<float>(r.y) - 0.5f;
    const float x1 = x0 + static_cast<float>(r.width), y1 = y0 + static_cast<float>(r.height);
    const float bars[4][4] = {
        {x0, y0, x1, y0 + 2}, {x0, y1 - 2, x1, y1}, {x0, y0, x0 + 2, y1}, {x1 - 2, y0, x1, y1},
    };
    ColourVertex triangles[4 * 6];
    int n = 0;
    for (const auto& b : bars) {
        const ColourVertex a{b[0], b[1], 0, 1, colour}, c{b[2], b[1], 0, 1, colour};
        const ColourVertex d{b[2], b[3], 0, 1, colour}, e{b[0], b[3], 0, 1, colour};
        for (const ColourVertex& v : {a, c, d, a, d, e}) triangles[n++] = v;
    }
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 8, triangles, sizeof(ColourVertex));
}
