// POSIX: wxWidgets runs a handler on the main loop when a signal arrives
// (its own handler only notes the signal and wakes the loop). A handler of
// this file's stands before it and counts: the second signal ends the
// process there and then, whatever the main loop is doing.
#include "EndSignals.h"

#include <wx/app.h>

#include <csignal>
#include <cstddef>
#include <iterator>
#include <unistd.h>

namespace {

constexpr int EndSignals[] = {SIGTERM, SIGHUP, SIGINT};

void (*CloseProgram)() = nullptr;
volatile std::sig_atomic_t Received = 0;
struct sigaction WakeMainLoop[3];

void CloseOnMainLoop(int)
{
    if (CloseProgram != nullptr) {
        CloseProgram();
    }
}

void OnEndSignal(int signal)
{
    if (Received != 0) {
        _exit(128 + signal);
    }
    Received = 1;
    for (std::size_t i = 0; i < std::size(EndSignals); ++i) {
        if (EndSignals[i] == signal && WakeMainLoop[i].sa_handler != nullptr) {
            WakeMainLoop[i].sa_handler(signal);
        }
    }
}

} // namespace

void CloseOnEndSignals(void (*close)())
{
    CloseProgram = close;
    for (std::size_t i = 0; i < std::size(EndSignals); ++i) {
        if (!wxTheApp->SetSignalHandler(EndSignals[i], &CloseOnMainLoop) ||
            sigaction(EndSignals[i], nullptr, &WakeMainLoop[i]) != 0 || (WakeMainLoop[i].sa_flags & SA_SIGINFO) != 0) {
            continue; // the library's own handling, or the default
        }
        struct sigaction counting = WakeMainLoop[i];
        counting.sa_handler = &OnEndSignal;
        sigaction(EndSignals[i], &counting, nullptr);
    }
}
