// TransportPanel: the music's controls in the editor's toolbar (play, pause, time, time knob,
// frames per second). Owned by the Music object, which calls accumulateFrame and refresh.
#pragma once

#include "gui/Widget.h"

class Music;

class TransportPanel : public Widget {
public:
    explicit TransportPanel(Music* music);
    ~TransportPanel() override;

    bool init();
    void accumulateFrame(float delta);  // counts frames for the frame-rate display
    void refresh();                     // shows the music's state and time

private:
    Music* music;  // not owned
};
