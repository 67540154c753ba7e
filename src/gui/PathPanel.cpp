#include "gui/PathPanel.h"

#include "clock/Music.h"
#include "database/Database.h"
#include "gui/EditHistory.h"
#include "paths/PathSpline.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int PlusIcon = 124, MinusIcon = 125, CurveIcon = 128;
constexpr float ControlStep = 0.05f;
constexpr float ScaleStep = 0.1f;  // of the natural logarithm of the scale
}  // namespace

PathPanel::PathPanel(PathSpline* path) : path(path), orbitView(path), keyView(path) {}
PathPanel::~PathPanel() = default;

bool PathPanel::init() {
    Object* found = (path && path->database) ? path->database->music(TypeMusic) : nullptr;
    Music* music = found ? static_cast<Music*>(found->castTo(TypeMusic)) : nullptr;
    if (!music) return false;

    if (!tensionLabel.init("Tension: ", 3) || !continuityLabel.init("Continuity: ", 3) ||
        !biasLabel.init("Bias: ", 3) || !pointLabel.init("Point: ", 2) || !timeLabel.init("Time: ") ||
        !scaleLabel.init("Scale: ", 4))
        return false;
    if (!tensionKnob.setListener(TensionKnob, this) || !continuityKnob.setListener(ContinuityKnob, this) ||
        !biasKnob.setListener(BiasKnob, this) || !pointKnob.setListener(PointKnob, this) ||
        !timeKnob.setListener(TimeKnob, this) || !scaleKnob.setListener(ScaleKnob, this))
        return false;
    insertButton.setListener(InsertButton, this);
    deleteButton.setListener(DeleteButton, this);
    viewButton.setListener(ViewButton, this);
    if (!insertButton.setIcon(PlusIcon) || !deleteButton.setIcon(MinusIcon) || !viewButton.setIcon(CurveIcon))
        return false;
    tensionKnob.step = continuityKnob.step = biasKnob.step = ControlStep;
    pointKnob.step = 1.0f;
    timeKnob.step = music->beatLength();
    scaleKnob.step = ScaleStep;
    viewButton.highlighted = true;

    orbitView.init();
    keyView.init();

    Widget* const curve[8] = {&curveSpacers[0], &tensionLabel, &tensionKnob, &continuityLabel,
                              &continuityKnob,  &biasLabel,    &biasKnob,    &curveSpacers[1]};
    std::copy(curve, curve + 8, curveChildren);
    curveRow.setChildren(curveChildren, 8);

    Widget* const keys[14] = {&keySpacers[0], &pointLabel,       &pointKnob,  &insertButton, &deleteButton,
                              &keySeparators[0], &timeLabel,     &timeKnob,   &keySeparators[1], &scaleLabel,
                              &scaleKnob,     &keySeparators[2], &viewButton, &keySpacers[1]};
    std::copy(keys, keys + 14, keyChildren);
    keyRow.setChildren(keyChildren, 14);

    panelChildren[0] = &orbitView;
    panelChildren[1] = &curveRow;
    panelChildren[2] = &rowSeparator;
    panelChildren[3] = &keyRow;
    setChildren(panelChildren, 4);
    refresh();
    return true;
}

void PathPanel::showValue(Knob& knob, float value) {
    knob.value = value - knob.getOffset();
}

void PathPanel::refresh() {
    if (!path) return;
    const SplineKey key = path->keyAt(path->getCurrentKey());
    pointLabel.setNumber(static_cast<float>(path->getCurrentKey()));
    showValue(pointKnob, static_cast<float>(path->getCurrentKey()));
    timeLabel.setTime(key.time);
    showValue(timeKnob, key.time);
    scaleLabel.setNumber(path->getScale());
    showValue(scaleKnob, std::log(path->getScale()));
    tensionLabel.setNumber(key.tension);
    showValue(tensionKnob, key.tension);
    continuityLabel.setNumber(key.continuity);
    showValue(continuityKnob, key.continuity);
    biasLabel.setNumber(key.bias);
    showValue(biasKnob, key.bias);
    orbitView.updateCamera();
    keyView.updateCamera();
}

void PathPanel::valueChanged(Knob* knob, float value) {
    if (!path) return;
    // Every knob but the key's number edits the path: one step per drag, key press or notch.
    const bool edit = knob->getId() != PointKnob;
    if (edit) EditHistory::beginEdit(path);
    switch (knob->getId()) {
        case PointKnob: path->selectKey(static_cast<int>(std::trunc(std::fmax(std::fmin(value, 1e9f), -1e9f)))); break;
        case TimeKnob: path->setKeyTime(value); break;
        case ScaleKnob: {
            // A scale of 0 or below shows as no number on the knob; it never becomes one.
            const float scale = std::exp(value);
            if (std::isfinite(scale)) path->setScale(scale);
            break;
        }
        case TensionKnob: path->setKeyTension(value); break;
        case ContinuityKnob: path->setKeyContinuity(value); break;
        case BiasKnob: path->setKeyBias(value); break;
        default: break;
    }
    if (edit && !knob->isDragging()) EditHistory::endEdit();
}

void PathPanel::dragEnded(Knob*) {
    EditHistory::endEdit();
}

void PathPanel::clicked(Button* button) {
    if (!path) return;
    switch (button->getId()) {
        case InsertButton:
            EditHistory::beginEdit(path);
            path->insertKey();
            EditHistory::endEdit();
            break;
        case DeleteButton:
            EditHistory::beginEdit(path);
            path->deleteKey();
            EditHistory::endEdit();
            break;
        case ViewButton: showOrbitView(!viewButton.highlighted); break;
        default: break;
    }
}

void PathPanel::showOrbitView(bool orbit) {
    viewButton.highlighted = orbit;
    panelChildren[0] = orbit ? static_cast<Widget*>(&orbitView) : &keyView;
    setChildren(panelChildren, 4);
}

Knob* PathPanel::getKnob(KnobId id) {
    switch (id) {
        case PointKnob: return &pointKnob;
        case TimeKnob: return &timeKnob;
        case ScaleKnob: return &scaleKnob;
        case TensionKnob: return &tensionKnob;
        case ContinuityKnob: return &continuityKnob;
        case BiasKnob: return &biasKnob;
    }
    return nullptr;
}

Button* PathPanel::getButton(ButtonId id) {
    switch (id) {
        case InsertButton: return &insertButton;
        case DeleteButton: return &deleteButton;
        case ViewButton: return &viewButton;
    }
    return nullptr;
}
