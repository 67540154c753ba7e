// Ctrl+C and SIGTERM for a program with a main loop. Caught, they only set a flag that the loop
// reads, so a run ends between two frames (and can keep what it must first). A modal wait that reads no flag (a message
// box) lets them end the program outright while it lasts.
#pragma once

#include <signal.h>

namespace win {

void catchStopSignals();  // from here on a stop signal sets the flag
bool stopSignalled();     // a stop signal came since catchStopSignals

// For its lifetime a stop signal ends the program at once, as it would any process, and a process
// that SDL forks meanwhile (the X11 message box) ends with this one.
class StopSignalsEndTheProgram {
public:
    StopSignalsEndTheProgram();
    ~StopSignalsEndTheProgram();
    StopSignalsEndTheProgram(const StopSignalsEndTheProgram&) = delete;
    StopSignalsEndTheProgram& operator=(const StopSignalsEndTheProgram&) = delete;

private:
    struct sigaction interrupt {}, terminate {};
};

}  // namespace win
