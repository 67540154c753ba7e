// PathPanel: the editor panel of a spline path: a 3-D view of the path (around the current key,
// or through it; the curve button toggles) above a row of tension, continuity and bias knobs, a
// row with the current key's position and orientation (yaw, pitch and roll in degrees; the
// document keeps the quaternion) and a row to pick a key, insert or delete one, and change its
// time and the path's scale. Every knob also takes a typed number. Owned by
// its path, which calls refresh after every edit; owns both views and all its widgets.
#pragma once

#include "gui/Button.h"
#include "gui/ButtonListener.h"
#include "gui/HBox.h"
#include "gui/Knob.h"
#include "gui/KnobListener.h"
#include "gui/NumberLabel.h"
#include "gui/PathKeyView.h"
#include "gui/PathOrbitView.h"
#include "gui/Separator.h"
#include "gui/Spacer.h"
#include "gui/TimeLabel.h"
#include "gui/VBox.h"

class PathSpline;

class PathPanel : public VBox, public KnobListener, public ButtonListener {
public:
    explicit PathPanel(PathSpline* path);
    ~PathPanel() override;

    bool init();     // false without a music object or when a widget cannot be set up
    void refresh();  // shows the current key and the scale; both views follow the key

    void valueChanged(Knob* knob, float value) override;
    void dragEnded(Knob* knob) override;  // one drag is one step of the editor's undo
    std::string valueTyped(Knob* knob, float value) override;
    void clicked(Button* button) override;

    enum KnobId {
        PointKnob = 2, TimeKnob = 3, ScaleKnob = 4, TensionKnob = 6, ContinuityKnob = 7, BiasKnob = 8,
        XKnob = 9, YKnob = 10, ZKnob = 11, YawKnob = 12, PitchKnob = 13, RollKnob = 14
    };
    enum ButtonId { InsertButton = 0, DeleteButton = 1, ViewButton = 5 };

    void showOrbitView(bool orbit);  // as the curve button: the orbit view, or the one through the key
    PathOrbitView* getOrbitView() { return &orbitView; }
    PathKeyView* getKeyView() { return &keyView; }
    Widget* getActiveView() { return panelChildren[0]; }
    Knob* getKnob(KnobId id);
    Button* getButton(ButtonId id);
    NumberLabel* getPointLabel() { return &pointLabel; }
    NumberLabel* getScaleLabel() { return &scaleLabel; }
    TimeLabel* getTimeLabel() { return &timeLabel; }
    NumberLabel* getTensionLabel() { return &tensionLabel; }
    NumberLabel* getPoseLabel(KnobId id);  // X, Y, Z, Yaw, Pitch, Roll; none for the others

private:
    static void showValue(Knob& knob, float value);  // the knob reports `value` plus its drag

    PathSpline* path;  // not owned; owns this panel
    PathOrbitView orbitView;
    PathKeyView keyView;

    HBox curveRow;
    Spacer curveSpacers[2];
    NumberLabel tensionLabel, continuityLabel, biasLabel;
    Knob tensionKnob, continuityKnob, biasKnob;

    HBox poseRow;
    Spacer poseSpacers[2];
    NumberLabel poseLabels[6];  // x, y, z, yaw, pitch, roll
    Knob poseKnobs[6];
    Separator poseSeparator;

    Separator rowSeparator{false};

    HBox keyRow;
    Spacer keySpacers[2];
    NumberLabel pointLabel;
    Knob pointKnob;
    Button insertButton, deleteButton;
    Separator keySeparators[3];
    TimeLabel timeLabel;
    Knob timeKnob;
    NumberLabel scaleLabel;
    Knob scaleKnob;
    Button viewButton;  // highlighted: the orbit view is shown

    Widget* curveChildren[8] = {};
    Widget* keyChildren[14] = {};
    Widget* poseChildren[15] = {};
    Widget* panelChildren[5] = {};
};
