#include "platform/win/StopSignals.h"

#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>

namespace win {
namespace {

volatile std::sig_atomic_t stopped = 0;

void noteStop(int) { stopped = 1; }

std::atomic<pid_t> waitingProcess{0};  // while a StopSignalsEndTheProgram lives

void forkedWhileWaiting() {
    const pid_t owner = waitingProcess;
    if (owner == 0) return;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != owner) _exit(1);  // the owner was gone before the line above
}

void handleBoth(void (*handler)(int), struct sigaction* oldInterrupt, struct sigaction* oldTerminate) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, oldInterrupt);
    sigaction(SIGTERM, &action, oldTerminate);
}

}  // namespace

void catchStopSignals() { handleBoth(noteStop, nullptr, nullptr); }

bool stopSignalled() { return stopped != 0; }

StopSignalsEndTheProgram::StopSignalsEndTheProgram() {
    static const bool watched = pthread_atfork(nullptr, nullptr, forkedWhileWaiting) == 0;
    (void)watched;
    handleBoth(SIG_DFL, &interrupt, &terminate);
    waitingProcess = getpid();
}

StopSignalsEndTheProgram::~StopSignalsEndTheProgram() {
    waitingProcess = 0;
    sigaction(SIGINT, &interrupt, nullptr);
    sigaction(SIGTERM, &terminate, nullptr);
}

}  // namespace win
