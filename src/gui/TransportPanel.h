// TransportPanel: the music's controls in the editor's toolbar (play, pause, time, time knob,
// frames per second). Owned by the Music object, which calls accumulateFrame and refresh every
// frame and refresh after each pause, play and seek. The time knob seeks by beats.
#pragma once

#include "gui/Button.h"
#include "gui/ButtonListener.h"
#include "gui/HBox.h"
#include "gui/Knob.h"
#include "gui/KnobListener.h"
#include "gui/NumberLabel.h"
#include "gui/Separator.h"
#include "gui/TimeLabel.h"

class Music;

class TransportPanel : public HBox, public ButtonListener, public KnobListener {
public:
    explicit TransportPanel(Music* music);
    ~TransportPanel() override;

    bool init();
    void accumulateFrame(float delta);  // counts frames for the frame-rate display
    void refresh();                     // shows the music's state and time

    void clicked(Button* button) override;
    void valueChanged(Knob* knob, float value) override;

    Button* getPlayButton() { return &playButton; }
    Button* getPauseButton() { return &pauseButton; }
    Knob* getKnob() { return &knob; }
    TimeLabel* getTimeLabel() { return &timeLabel; }
    NumberLabel* getFpsLabel() { return &fpsLabel; }

    enum ButtonId { PlayButton = 0, PauseButton = 1 };

private:
    Music* music;  // not owned
    int frameCount = 0;           // frames since the frame rate was last shown
    float accumulatedTime = 0.0f; // seconds since the frame rate was last shown

    Button playButton;
    Button pauseButton;
    Separator separator{true};
    TimeLabel timeLabel;
    Knob knob;
    NumberLabel fpsLabel;
    Widget* panelChildren[6] = {};
};
