#include "gui/FloatCurve.h"

#include "app/Device.h"
#include "clock/Music.h"
#include "database/Database.h"
#include "database/FloatObject.h"
#include "gui/TimeLine.h"

#include <algorithm>
#include <cmath>

ComRef<IDirect3DStateBlock9> FloatCurve::stateBlock;
int FloatCurve::instances = 0;

namespace {

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
