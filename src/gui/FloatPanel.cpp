#include "gui/FloatPanel.h"

#include "gui/EditHistory.h"

#include "clock/Music.h"
#include "database/Database.h"
#include "database/FloatObject.h"
#include "gui/TimeLine.h"

#include <cmath>

FloatPanel::FloatPanel(FloatObject* owner) : owner(owner), curve(owner) {}
FloatPanel::~FloatPanel() = default;

bool FloatPanel::init() {
    if (!valueLabel.init("Value: ", 4)) return false;
    if (!knob.setListener(0, this)) return false;
    // The object's own step: 1 unless its element says otherwise.
    knob.step = owner ? owner->step : 1.0f;
    innerChildren[0] = &spacers[0];
    innerChildren[1] = &valueLabel;
    innerChildren[2] = &knob;
    innerChildren[3] = &spacers[1];
    inner.setChildren(innerChildren, 4);
    panelChildren[0] = &spacers[2];
    panelChildren[1] = &inner;
    panelChildren[2] = &curve;
    panelChildren[3] = &spacers[3];
    setChildren(panelChildren, 4);
    refresh();
    return true;
}

namespace {

Music* musicOf(const FloatObject* owner) {
    Object* found = owner && owner->database ? owner->database->music(TypeMusic) : nullptr;
    return found ? static_cast<Music*>(found->castTo(TypeMusic)) : nullptr;
}

}  // namespace

float FloatPanel::keyTime() const {
    const Music* music = musicOf(owner);
    const float now = music ? music->time() : 0.0f;
    if (TimeLine* line = TimeLine::shown()) return line->snap(now);
    const float beat = music ? music->beatLength() : 1.0f;
    return std::round(now / beat) * beat;
}

void FloatPanel::refresh() {
    if (!owner) return;
    const float shown = owner->track.empty() ? owner->value : owner->track.valueAt(keyTime());
    valueLabel.setNumber(shown);
    knob.value = shown - knob.getOffset();
}

bool FloatPanel::draw(float time, float delta) {
    // With keys the value shown moves with the time; a drag in progress keeps what it shows.
    if (owner && !owner->track.empty() && !knob.isDragging()) refresh();
    return VBox::draw(time, delta);
}

bool FloatPanel::key(int virtualKey, bool down) {
    if (VBox::key(virtualKey, down)) return true;
    return curve.isFocused() ? false : curve.key(virtualKey, down);
}

void FloatPanel::valueChanged(Knob* changed, float) {
    if (!owner || changed->getId() != 0) return;
    EditHistory::beginEdit(owner);
    if (owner->track.empty()) {
        owner->setValue(changed->value + changed->getOffset());
    } else {
        owner->track.setKey(keyTime(), changed->value + changed->getOffset());
        refresh();
    }
    if (!changed->isDragging()) EditHistory::endEdit();
}

void FloatPanel::dragEnded(Knob*) {
    EditHistory::endEdit();
}
