#include "gui/TransportPanel.h"

#include "clock/Music.h"

namespace {
constexpr int PlayIcon = 122;
constexpr int PauseIcon = 123;
constexpr float FrameRatePeriod = 0.2f;  // seconds: the display changes at most five times a second
}  // namespace

TransportPanel::TransportPanel(Music* music) : music(music) {}
TransportPanel::~TransportPanel() = default;

bool TransportPanel::init() {
    playButton.setListener(PlayButton, this);
    pauseButton.setListener(PauseButton, this);
    // A button without its icon still works; it is only harder to see.
    playButton.setIcon(PlayIcon);
    pauseButton.setIcon(PauseIcon);
    if (!knob.setListener(0, this)) return false;
    knob.step = music ? music->beatLength() : 1.0f;
    if (!timeLabel.init("Time: ")) return false;
    if (!fpsLabel.init("FPS: ", 4)) return false;
    panelChildren[0] = &playButton;
    panelChildren[1] = &pauseButton;
    panelChildren[2] = &separator;
    panelChildren[3] = &timeLabel;
    panelChildren[4] = &knob;
    panelChildren[5] = &fpsLabel;
    setChildren(panelChildren, 6);
    refresh();
    return true;
}

void TransportPanel::accumulateFrame(float delta) {
    ++frameCount;
    accumulatedTime += delta;
    if (accumulatedTime > FrameRatePeriod) {
        fpsLabel.setNumber(static_cast<float>(frameCount) / accumulatedTime);
        frameCount = 0;
        accumulatedTime = 0.0f;
    }
}

void TransportPanel::refresh() {
    if (!music) return;
    const bool paused = music->isPaused();
    pauseButton.highlighted = paused;
    playButton.highlighted = !paused;
    const float now = music->time();
    timeLabel.setTime(now);
    // The knob reports the current time plus the drag in progress.
    knob.value = now - knob.getOffset();
}

void TransportPanel::clicked(Button* button) {
    if (!music) return;
    if (button->getId() == PlayButton)
        music->setPaused(false);
    else if (button->getId() == PauseButton)
        music->setPaused(true);
}

void TransportPanel::valueChanged(Knob*, float value) {
    if (music) music->seek(value);
}
