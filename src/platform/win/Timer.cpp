// The multimedia timer over SDL's millisecond counter. Periods only need to pair up: SDL's
// counter already has millisecond resolution whatever is asked for.
#include "platform/win/win32.h"

#include <SDL.h>

#include <map>

namespace {
constexpr unsigned TIMERR_NOCANDO = 97;
constexpr unsigned periodMin = 1;        // milliseconds
constexpr unsigned periodMax = 1000000;  // milliseconds
std::map<unsigned, int> periods;         // period -> begun and not yet ended
}  // namespace

DWORD timeGetTime() {
    return static_cast<DWORD>(SDL_GetTicks64());  // wraps at 2^32, as the system's counter does
}

unsigned timeGetDevCaps(TIMECAPS* caps, unsigned size) {
    if (!caps || size < sizeof(TIMECAPS)) {
        return TIMERR_NOCANDO;
    }
    caps->wPeriodMin = periodMin;
    caps->wPeriodMax = periodMax;
    return TIMERR_NOERROR;
}

unsigned timeBeginPeriod(unsigned period) {
    if (period < periodMin || period > periodMax) {
        return TIMERR_NOCANDO;
    }
    ++periods[period];
    return TIMERR_NOERROR;
}

unsigned timeEndPeriod(unsigned period) {
    auto found = periods.find(period);
    if (found == periods.end()) {
        return TIMERR_NOCANDO;  // never begun
    }
    if (--found->second == 0) {
        periods.erase(found);
    }
    return TIMERR_NOERROR;
}
