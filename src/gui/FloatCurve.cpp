#include "gui/FloatCurve.h"

#include "app/Device.h"
#include "clock/Music.h"
#include "database/Database.h"
#include "database/FloatObject.h"
#include "gui/EditHistory.h"
#include "gui/TimeLine.h"
#include "gui/WidgetHost.h"

#include <algorithm>
#include <cstdlib>
#include <cmath>

ComRef<IDirect3DStateBlock9> FloatCurve::stateBlock;
int FloatCurve::instances = 0;

namespace {

constexpr int VirtualKeyShift = 16, VirtualKeyControl = 17, VirtualKeyDelete = 0x2E, VirtualKeyE = 'E';
constexpr int KeyReach = 4;  // pixels from a key's point that still take it

constexpr D3DCOLOR background = 0xff202830, loopShade = 0xff304860, curveColour = 0xffffd040,
                   keyColour = 0xffffffff, cursorColour = 0xffff4040;

Music* musicOf(const FloatObject* owner) {
    Object* found = owner && owner->database ? owner->database->music(TypeMusic) : nullptr;
    return found ? static_cast<Music*>(found->castTo(TypeMusic)) : nullptr;
}

void fill(float x, float y, float w, float h, D3DCOLOR colour) {
    const ColourVertex quad[4] = {
        {x, y, 0, 1, colour}, {x + w, y, 0, 1, colour}, {x + w, y + h, 0, 1, colour}, {x, y + h, 0, 1, colour}};
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(ColourVertex));
}

}  // namespace

FloatCurve::FloatCurve(FloatObject* owner) : owner(owner) {
    ++instances;
    setTakesFocus(false);
    sizeHint.height = height;
    sizeHint.fixedHeight = true;
}

FloatCurve::~FloatCurve() {
    if (--instances == 0) stateBlock.reset();
}

void FloatCurve::span(float& start, float& end) const {
    if (TimeLine* line = TimeLine::shown()) {
        const Rect r = line->getRect();
        if (r.width > 0) {
            start = line->timeAt(r.x);
            end = line->timeAt(r.x + r.width);
            return;
        }
    }
    const Music* music = musicOf(owner);
    start = 0.0f;
    end = music && music->length() > 0.0f ? music->length() : 60.0f;
}

void FloatCurve::valueRange(float& low, float& high) const {
    if (dragged >= 0) {  // the scale holds still under a dragged key
        low = dragLow;
        high = dragHigh;
        return;
    }
    low = high = owner ? owner->value : 0.0f;
    if (owner && !owner->track.empty()) low = high = owner->track.keys.front().value;
    if (owner)
        for (const FloatKey& key : owner->track.keys) {
            low = std::min(low, key.value);
            high = std::max(high, key.value);
        }
    const float margin = high > low ? (high - low) * 0.1f : 1.0f;
    low -= margin;
    high += margin;
}

int FloatCurve::xAt(float time) const {
    float start, end;
    span(start, end);
    return rect.x + static_cast<int>(std::lround((time - start) / (end - start) * static_cast<float>(rect.width)));
}

int FloatCurve::yAt(float value) const {
    float low, high;
    valueRange(low, high);
    return rect.y + rect.height - 1 -
           static_cast<int>(std::lround((value - low) / (high - low) * static_cast<float>(rect.height - 1)));
}

float FloatCurve::timeAtX(int x) const {
    float start, end;
    span(start, end);
    return start + (end - start) * static_cast<float>(x - rect.x) / static_cast<float>(std::max(rect.width, 1));
}

float FloatCurve::valueAtY(int y) const {
    float low, high;
    valueRange(low, high);
    return low + (high - low) * static_cast<float>(rect.y + rect.height - 1 - y) / static_cast<float>(std::max(rect.height - 1, 1));
}

int FloatCurve::keyAt(Point p) const {
    if (!owner) return -1;
    int best = -1, bestDistance = KeyReach + 1;
    for (size_t i = 0; i < owner->track.keys.size(); ++i) {
        const FloatKey& key = owner->track.keys[i];
        const int distance = std::max(std::abs(xAt(key.time) - p.x), std::abs(yAt(key.value) - p.y));
        if (distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}

// A click takes the keyboard (Delete and E over the keys); Tab passes by, as the panel's knob is
// its control.
bool FloatCurve::focusIn(int direction) {
    focused = direction == 2;
    return focused;
}

// --- editing ---------------------------------------------------------------------------------------

void FloatCurve::leftButton(Point p, int action) {
    if (action == 2) return endDrag();
    if (dragged >= 0 || (action != 0 && action != 1)) return;
    const int index = keyAt(p);
    if (index < 0 || !host || !host->setCapture(this)) return;
    valueRange(dragLow, dragHigh);
    dragged = index;
    EditHistory::beginEdit(owner);
}

void FloatCurve::mouseMove(Point p) {
    pointer = p;
    if (dragged < 0 || !owner || dragged >= static_cast<int>(owner->track.keys.size())) return;
    std::vector<FloatKey>& keys = owner->track.keys;
    float time = timeAtX(p.x);
    if (!(host && host->isKeyDown(VirtualKeyShift))) {
        const Music* music = musicOf(owner);
        const float beat = music ? music->beatLength() : 0.0f;
        if (TimeLine* line = TimeLine::shown())
            time = line->snap(time);
        else if (beat > 0.0f)
            time = std::round(time / beat) * beat;
    }
    time = std::max(time, 0.0f);
    // The order of the keys is their meaning: a key stops at its neighbours.
    if (dragged > 0) time = std::max(time, keys[dragged - 1].time);
    if (dragged + 1 < static_cast<int>(keys.size())) time = std::min(time, keys[dragged + 1].time);
    // A value to a hundredth of the scale shown, so that the file holds round numbers.
    float value = valueAtY(p.y);
    const float grain = std::pow(10.0f, std::floor(std::log10((dragHigh - dragLow) / 100.0f)));
    if (grain > 0.0f && std::isfinite(grain)) value = std::round(value / grain) * grain;
    keys[dragged].time = time;
    keys[dragged].value = value;
    owner->refreshEditor();
}

void FloatCurve::endDrag() {
    if (dragged < 0) return;
    dragged = -1;
    if (host) host->releaseCapture();
    EditHistory::endEdit();
}

void FloatCurve::mouseLeave() {
    hovered = false;
    if (dragged < 0) pointer = {-1, -1};
}

void FloatCurve::rightButton(Point p, int action) {
    if (action == 0 && dragged < 0) removeKey(keyAt(p));
}

bool FloatCurve::key(int virtualKey, bool down) {
    // With Control the keys are the editor's shortcuts.
    if (!down || dragged >= 0 || !owner || (host && host->isKeyDown(VirtualKeyControl))) return false;
    if (virtualKey == VirtualKeyDelete) return removeKey(keyAt(pointer));
    if (virtualKey != VirtualKeyE || owner->track.empty()) return false;
    int index = keyAt(pointer);
    if (index < 0) {  // the key nearest the current time
        const Music* music = musicOf(owner);
        const float now = music ? music->time() : 0.0f;
        index = 0;
        for (size_t i = 1; i < owner->track.keys.size(); ++i)
            if (std::fabs(owner->track.keys[i].time - now) < std::fabs(owner->track.keys[index].time - now))
                index = static_cast<int>(i);
    }
    return cycleEase(index);
}

bool FloatCurve::removeKey(int index) {
    if (!owner || index < 0 || index >= static_cast<int>(owner->track.keys.size())) return false;
    EditHistory::beginEdit(owner);
    owner->track.keys.erase(owner->track.keys.begin() + index);
    EditHistory::endEdit();
    owner->refreshEditor();
    return true;
}

bool FloatCurve::cycleEase(int index) {
    if (!owner || index < 0 || index >= static_cast<int>(owner->track.keys.size())) return false;
    EditHistory::beginEdit(owner);
    Ease& ease = owner->track.keys[index].ease;
    ease = static_cast<Ease>((static_cast<int>(ease) + 1) % (static_cast<int>(Ease::Ramp) + 1));
    EditHistory::endEdit();
    owner->refreshEditor();
    return true;
}

// --- drawing ---------------------------------------------------------------------------------------

bool FloatCurve::draw(float time, float) {
    if (!device || !owner || rect.width <= 1 || rect.height <= 1) return true;
    if (!stateBlock) recordColourState({{D3DRS_ALPHABLENDENABLE, FALSE}, {D3DRS_CULLMODE, D3DCULL_NONE}}, ColourVertexFvf, &stateBlock);
    applyScreenState(stateBlock.get(), ColourVertexFvf);
    device->SetTexture(0, nullptr);

    const float x = static_cast<float>(rect.x), y = static_cast<float>(rect.y);
    const float w = static_cast<float>(rect.width), h = static_cast<float>(rect.height);
    fill(x, y, w, h, background);
    float start, end;
    span(start, end);
    if (!(end > start)) return true;
    if (TimeLine* line = TimeLine::shown(); line && line->hasLoop()) {
        const float left = std::max(x, static_cast<float>(xAt(line->getLoopStart())));
        const float right = std::min(x + w, static_cast<float>(xAt(line->getLoopEnd())));
        if (right > left) fill(left, y, right - left, h, loopShade);
    }

    const int samples = std::min(rect.width, maximumSamples);
    for (int i = 0; i < samples; ++i) {
        const float t = start + (end - start) * static_cast<float>(i) / static_cast<float>(samples - 1);
        strip[i] = {x + w * static_cast<float>(i) / static_cast<float>(samples - 1), static_cast<float>(yAt(owner->valueAt(t))),
                    0, 1, curveColour};
    }
    device->DrawPrimitiveUP(D3DPT_LINESTRIP, samples - 1, strip, sizeof(ColourVertex));

    for (const FloatKey& key : owner->track.keys) {
        if (key.time < start || key.time > end) continue;
        fill(static_cast<float>(xAt(key.time) - 2), static_cast<float>(yAt(key.value) - 2), 5, 5, keyColour);
    }
    if (time >= start && time <= end) fill(static_cast<float>(xAt(time)), y, 1, h, cursorColour);
    return true;
}
