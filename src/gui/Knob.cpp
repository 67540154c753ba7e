#include "gui/Knob.h"

#include "app/Device.h"
#include "gui/KnobListener.h"
#include "gui/ScreenDrawing.h"
#include "gui/WidgetHost.h"
#include "database/NumberCheck.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>

namespace {
constexpr int VirtualKeyPageUp = 33;
constexpr int VirtualKeyPageDown = 34;
constexpr int VirtualKeyLeft = 37;
constexpr int VirtualKeyUp = 38;
constexpr int VirtualKeyRight = 39;
constexpr int VirtualKeyDown = 40;
constexpr int KnobImageResource = 126;
constexpr int VirtualKeyTab = 9;
constexpr int VirtualKeyBackspace = 8;
constexpr int VirtualKeyReturn = 13;
constexpr int VirtualKeyEscape = 27;
constexpr std::size_t LongestEntry = 32;
constexpr int EntryMinimumWidth = 64;
constexpr D3DCOLOR EntryBack = 0xffffffff, EntryEdge = 0xff204080, EntryInk = 0xff000000, EntryError = 0xffc04040;

std::string shortNumber(double number) {
    std::ostringstream text;
    text << number;
    return text.str();
}
}  // namespace

int Knob::instances = 0;
ComRef<IDirect3DTexture9> Knob::image;
ComRef<IDirect3DStateBlock9> Knob::stateBlock;
ComRef<IDirect3DStateBlock9> Knob::entryState;

Knob::Knob() {
    ++instances;
    setSizeHint(16, 16, true, true);
}

Knob::~Knob() {
    if (--instances == 0) {
        image.reset();
        stateBlock.reset();
        entryState.reset();
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
    if (entering) {
        // The entry has the keys it uses and keeps the others from acting behind it; Tab moves
        // on (and the focus leaving cancels it).
        if (virtualKey == VirtualKeyTab) return false;
        if (!down) return true;
        if (virtualKey == VirtualKeyReturn) {
            applyEntry();
        } else if (virtualKey == VirtualKeyEscape) {
            endEntry();
        } else if (virtualKey == VirtualKeyBackspace) {
            if (!entry.empty()) entry.pop_back();
            entryProblem.clear();
        }
        return true;
    }
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

// --- a typed number ---------------------------------------------------------------------------------

void Knob::character(int code) {
    if (code < 32 || code > 126 || code == ' ') return;
    const char c = static_cast<char>(code);
    if (!entering) {
        // Only what can begin a number starts an entry; other letters stay shortcuts.
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.')) return;
        entering = true;
        entry.clear();
    }
    if (entry.size() < LongestEntry) entry += c;
    entryProblem.clear();
}

void Knob::focusOut() {
    endEntry();
    Widget::focusOut();
}

void Knob::endEntry() {
    entering = false;
    entry.clear();
    entryProblem.clear();
}

std::string Knob::checkTyped(const std::string& text, float* number) const {
    double typed = 0.0;
    std::string why = NumberCheck::realProblem(text.c_str(), &typed);
    if (why.empty()) {
        if (positive && !(typed > 0.0))
            why = "must be above 0";
        else if (typed < lowest || typed > highest)
            why = lowest == -FLT_MAX   ? "must be at most " + shortNumber(highest)
                  : highest == FLT_MAX ? "must be at least " + shortNumber(lowest)
                                       : "must be from " + shortNumber(lowest) + " to " + shortNumber(highest);
        else if (whole && typed != std::floor(typed))
            why = "is not a whole number";
    }
    if (!why.empty()) return "\"" + text + "\" " + why;
    *number = static_cast<float>(typed);
    return {};
}

void Knob::applyEntry() {
    float typed = 0.0f;
    entryProblem = checkTyped(entry, &typed);
    if (!entryProblem.empty()) return;
    const float before = value;
    endDrag();
    value = typed;
    if (listener) {
        const std::string refused = listener->valueTyped(this, typed);
        if (!refused.empty()) {
            entryProblem = "\"" + entry + "\" " + refused;
            value = before;
            return;
        }
    }
    endEntry();
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
    if (entering) drawEntry();
    return true;
}

// Over the label at the knob's left, ending at the knob's right edge: the typed text, and in red
// with the reason when Return refused it.
void Knob::drawEntry() {
    const std::string shown = entryProblem.empty() ? entry + "_" : entryProblem;
    if (!entryText.setText(shown.c_str())) return;
    const int width = std::max(EntryMinimumWidth, entryText.getSizeHint().width + 6);
    const int right = rect.x + rect.width;
    const float x0 = static_cast<float>(std::max(0, right - width)), x1 = x0 + static_cast<float>(width);
    const float y0 = static_cast<float>(rect.y - 1), y1 = static_cast<float>(rect.y + rect.height + 1);
    if (!entryState) recordColourState({{D3DRS_CULLMODE, D3DCULL_NONE}}, ColourVertexFvf, &entryState);
    applyScreenState(entryState.get(), ColourVertexFvf);
    device->SetTexture(0, nullptr);
    auto quad = [&](float a, float b, float c, float d, D3DCOLOR colour) {
        const ColourVertex v[4] = {{a - 0.5f, b - 0.5f, 0, 1, colour},
                                   {c - 0.5f, b - 0.5f, 0, 1, colour},
                                   {c - 0.5f, d - 0.5f, 0, 1, colour},
                                   {a - 0.5f, d - 0.5f, 0, 1, colour}};
        device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(ColourVertex));
    };
    quad(x0, y0, x1, y1, EntryEdge);
    quad(x0 + 1, y0 + 1, x1 - 1, y1 - 1, EntryBack);
    const Rect area{static_cast<int>(x0) + 3, rect.y + (rect.height - entryText.getSizeHint().height) / 2, width - 4,
                    rect.height + 2};
    Label::drawText(shown.c_str(), area, entryProblem.empty() ? EntryInk : EntryError);
}
