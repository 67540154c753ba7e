// The audio library and the timer resolution, started once after the window exists and stopped
// once at shutdown, before the music object is deleted.
#pragma once

#include "platform/d3d9/d3d9types.h"  // HWND

extern unsigned timerPeriod;  // milliseconds; 1 until startAudio takes the finest the timer offers

bool startAudio(HWND window);  // false when the audio library cannot start
void stopAudio();
