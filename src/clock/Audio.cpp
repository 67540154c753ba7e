#include "clock/Audio.h"

#include "platform/audio/bass.h"
#include "platform/win/win32.h"

unsigned timerPeriod = 1;

bool startAudio(HWND window) {
    if (!BASS_Init(BASS_DEVICE_FIRST, 44100, 0, window, nullptr)) {
        return false;
    }
    TIMECAPS caps{};
    if (timeGetDevCaps(&caps, sizeof(caps)) == TIMERR_NOERROR) {
        timerPeriod = caps.wPeriodMin;
    }
    timeBeginPeriod(timerPeriod);
    return true;
}

void stopAudio() {
    BASS_Free();
    timeEndPeriod(timerPeriod);
}
