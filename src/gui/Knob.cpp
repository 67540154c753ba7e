#include "gui/Knob.h"

#include "app/Device.h"
#include "gui/KnobListener.h"
#include "gui/ScreenDrawing.h"
#include "gui/WidgetHost.h"

#include <cmath>

namespace {
constexpr int VirtualKeyPageUp = 33;
constexpr int VirtualKeyPageDown = 34;
constexpr int VirtualKeyLeft = 37;
constexpr int VirtualKeyUp = 38;
constexpr int VirtualKeyRight = 39;
constexpr int VirtualKeyDown = 40;
constexpr int KnobImageResource = 126;
}  // namespace

int Knob::instances = 0;
ComRef<IDirect3DTexture9> Knob::image;
ComRef<IDirect3DStateBlock9> Knob::stateBlock;

Knob::Knob() {
    ++instances;
    setSizeHint(16, 16, true, true);
}

Knob::~Knob() {
    if (--instances == 0) {
        image.reset();
        stateBlock.reset();
    }
}

bool Knob::setListener(int newId, KnobListener* newListener) {
    id = newId;
    listener = newListener;
    return image || loadIconTexture(KnobImageResource, image);
}

// --- behaviour -------------------------------------------------------------------------------------

void Knob::notify() {
    if (listener) listener->valueChanged(this, value + offset);
}

void Knob::endDrag() {
    const bool wasDragging = dragging;
    dragging = false;
    value += offset;
    offset = 0.0f;
    if (wasDragging && listener) listener->dragEnded(this);
}

bool Knob::key(int virtualKey, bool down) {
    if (!down) return false;
    switch (virtualKey) {
    case VirtualKeyPageUp: value += 10.0f * step; break;
    case VirtualKeyPageDown: value -= 10.0f * step; break;
    case VirtualKeyLeft:
    case VirtualKeyDown: value -= step; break;
    case VirtualKeyUp:
    case VirtualKeyRight: value += step; break;
    default: return false;
    }
    notify();
    return true;
}

void Knob::leftButton(Point p, int action) {
    if (action == 0) {
        if (host && host->setCapture(this)) {
            dragging = true;
            dragStart = p;
        }
        return;
    }
    endDrag();
    if (host) host->releaseCapture();
}

void Knob::mouseMove(Point p) {
    if (!dragging) return;
    // The distance sets the magnitude, the sign comes from right-or-up against left-or-down;
    // s / (1 + |s|) keeps a short drag gentle.
    const float dy = static_cast<float>(dragStart.y - p.y) * step * 0.25f;
    const float dx = static_cast<float>(p.x - dragStart.x) * step * 0.25f;
    const float s = dx + dy;
    offset = s / (1.0f + std::fabs(s)) * std::sqrt(dx * dx + dy * dy);
    notify();
}

void Knob::wheel(Point, float notches) {
    value += notches * step;
    notify();
}

void Knob::mouseLeave() {
    hovered = false;
    endDrag();
}

// --- drawing ---------------------------------------------------------------------------------------

bool Knob::draw(float, float) {
    if (!device) return true;
    if (!stateBlock) {
        recordScreenState(
            {
                {D3DRS_CULLMODE, D3DCULL_NONE},
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

    const D3DCOLOR colour = (hovered || focused) ? 0xffffffff : 0x80ffffff;
    const D3DCOLOR colours[4] = {colour, colour, colour, colour};
    drawTexturedQuad(static_cast<float>(rect.x), static_cast<float>(rect.y), static_cast<float>(rect.width),
                     static_cast<float>(rect.height), colours);
    if (focused) focusMark.draw(rect);
    return true;
}
