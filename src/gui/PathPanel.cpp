#include "gui/PathPanel.h"

#include "clock/Music.h"
#include "database/Database.h"
#include "gui/EditHistory.h"
#include "paths/PathSpline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
constexpr int PlusIcon = 124, MinusIcon = 125, CurveIcon = 128;
constexpr float ControlStep = 0.05f;
constexpr float ScaleStep = 0.1f;  // of the natural logarithm of the scale
constexpr float AngleStep = 5.0f;  // degrees
constexpr float FarthestPosition = 1e9f;  // the document keeps positions as whole numbers of an int
constexpr double Pi = 3.14159265358979323846;
constexpr double Degree = Pi / 180.0;

struct Angles {
    double yaw = 0, pitch = 0, roll = 0;  // degrees
};

// The orientation as a turn by roll about z, then pitch about x, then yaw about y (yaw-pitch-roll
// of Direct3D): q = yaw (x) pitch (x) roll.
Quaternion fromAngles(const Angles& a) {
    const Quaternion yaw = quaternionFromAxisAngle({0, 1, 0}, static_cast<float>(a.yaw * Degree));
    const Quaternion pitch = quaternionFromAxisAngle({1, 0, 0}, static_cast<float>(a.pitch * Degree));
    const Quaternion roll = quaternionFromAxisAngle({0, 0, 1}, static_cast<float>(a.roll * Degree));
    return multiplyQuaternion(multiplyQuaternion(yaw, pitch), roll);
}

// The angles of a unit quaternion, from its rotation matrix; straight up or down (no yaw apart
// from roll) the roll is 0.
Angles toAngles(const Quaternion& q) {
    const double w = q.w, x = q.x, y = q.y, z = q.z;
    const double r02 = 2 * (x * z + w * y), r22 = 1 - 2 * (x * x + y * y), r12 = 2 * (y * z - w * x);
    const double r10 = 2 * (x * y + w * z), r11 = 1 - 2 * (x * x + z * z);
    const double r00 = 1 - 2 * (y * y + z * z), r20 = 2 * (x * z - w * y);
    Angles a;
    a.pitch = std::asin(std::clamp(-r12, -1.0, 1.0)) / Degree;
    if (std::fabs(r12) < 0.99999) {
        a.yaw = std::atan2(r02, r22) / Degree;
        a.roll = std::atan2(r10, r11) / Degree;
    } else {
        a.yaw = std::atan2(-r20, r00) / Degree;
    }
    return a;
}
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
    static const char* const poseNames[6] = {"X: ", "Y: ", "Z: ", "Yaw: ", "Pitch: ", "Roll: "};
    for (int i = 0; i < 6; ++i) {
        if (!poseLabels[i].init(poseNames[i], i < 3 ? 5 : 4) || !poseKnobs[i].setListener(XKnob + i, this))
            return false;
        poseKnobs[i].step = i < 3 ? 1.0f : AngleStep;
    }
    for (int i = 0; i < 3; ++i) {
        poseKnobs[i].whole = true;  // the document keeps whole units
        poseKnobs[i].lowest = -FarthestPosition;
        poseKnobs[i].highest = FarthestPosition;
    }
    poseKnobs[3].lowest = poseKnobs[5].lowest = -360.0f;
    poseKnobs[3].highest = poseKnobs[5].highest = 360.0f;
    poseKnobs[4].lowest = -90.0f;
    poseKnobs[4].highest = 90.0f;
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
    scaleKnob.positive = true;  // typed as the scale itself
    pointKnob.whole = true;
    tensionKnob.lowest = continuityKnob.lowest = biasKnob.lowest = -1.0f;
    tensionKnob.highest = continuityKnob.highest = biasKnob.highest = 1.0f;
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

    int n = 0;
    poseChildren[n++] = &poseSpacers[0];
    for (int i = 0; i < 6; ++i) {
        if (i == 3) poseChildren[n++] = &poseSeparator;
        poseChildren[n++] = &poseLabels[i];
        poseChildren[n++] = &poseKnobs[i];
    }
    poseChildren[n++] = &poseSpacers[1];
    poseRow.setChildren(poseChildren, n);

    panelChildren[0] = &orbitView;
    panelChildren[1] = &curveRow;
    panelChildren[2] = &poseRow;
    panelChildren[3] = &rowSeparator;
    panelChildren[4] = &keyRow;
    setChildren(panelChildren, 5);
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
    const Angles angles = toAngles(key.orientation);
    const float pose[6] = {key.position.x, key.position.y, key.position.z, static_cast<float>(angles.yaw),
                           static_cast<float>(angles.pitch), static_cast<float>(angles.roll)};
    for (int i = 0; i < 6; ++i) {
        poseLabels[i].setNumber(pose[i]);
        // A knob being dragged keeps its own value: the key's position is rounded down to whole
        // units, and starting each move from that would never get past the next unit.
        if (!poseKnobs[i].isDragging()) showValue(poseKnobs[i], pose[i]);
    }
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
        case XKnob:
        case YKnob:
        case ZKnob: {
            const SplineKey key = path->keyAt(path->getCurrentKey());
            PathState pose{key.position, key.orientation};
            const float v = std::clamp(value, -FarthestPosition, FarthestPosition);
            (knob->getId() == XKnob ? pose.position.x : knob->getId() == YKnob ? pose.position.y : pose.position.z) = v;
            path->setKeyPose(pose);
            break;
        }
        case YawKnob:
        case PitchKnob:
        case RollKnob: {
            const SplineKey key = path->keyAt(path->getCurrentKey());
            Angles angles = toAngles(key.orientation);
            if (!std::isfinite(value)) break;
            (knob->getId() == YawKnob ? angles.yaw : knob->getId() == PitchKnob ? angles.pitch : angles.roll) = value;
            path->setKeyPose({key.position, fromAngles(angles)});
            break;
        }
        default: break;
    }
    if (edit && !knob->isDragging()) EditHistory::endEdit();
}

// Typed numbers are the shown ones: the scale itself, not its logarithm; a key's time that would
// pass a neighbour is refused rather than pinned.
std::string PathPanel::valueTyped(Knob* knob, float value) {
    if (!path) return {};
    if (knob->getId() == ScaleKnob) {
        EditHistory::beginEdit(path);
        path->setScale(value);
        EditHistory::endEdit();
        return {};
    }
    if (knob->getId() == TimeKnob) {
        const int current = path->getCurrentKey();
        const float earliest = current > 0 ? path->keyAt(current - 1).time : 0.0f;
        const float latest = current + 1 < path->getKeyCount() ? path->keyAt(current + 1).time : -1.0f;
        char why[128] = "";
        if (value < 0.0f)
            std::snprintf(why, sizeof why, "must not be negative");
        else if (value < earliest)
            std::snprintf(why, sizeof why, "must not be before the previous key (%.3f s)", earliest);
        else if (latest >= 0.0f && value > latest)
            std::snprintf(why, sizeof why, "must not be after the next key (%.3f s)", latest);
        if (why[0] != '\0') return why;
    }
    valueChanged(knob, value);
    return {};
}

void PathPanel::dragEnded(Knob*) {
    EditHistory::endEdit();
    refresh();  // a position knob shows the whole units its drag left
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
    setChildren(panelChildren, 5);
}

Knob* PathPanel::getKnob(KnobId id) {
    switch (id) {
        case PointKnob: return &pointKnob;
        case TimeKnob: return &timeKnob;
        case ScaleKnob: return &scaleKnob;
        case TensionKnob: return &tensionKnob;
        case ContinuityKnob: return &continuityKnob;
        case BiasKnob: return &biasKnob;
        case XKnob:
        case YKnob:
        case ZKnob:
        case YawKnob:
        case PitchKnob:
        case RollKnob: return &poseKnobs[id - XKnob];
    }
    return nullptr;
}

NumberLabel* PathPanel::getPoseLabel(KnobId id) {
    return id >= XKnob && id <= RollKnob ? &poseLabels[id - XKnob] : nullptr;
}

Button* PathPanel::getButton(ButtonId id) {
    switch (id) {
        case InsertButton: return &insertButton;
        case DeleteButton: return &deleteButton;
        case ViewButton: return &viewButton;
    }
    return nullptr;
}
