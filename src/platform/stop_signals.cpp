// stop_signals.cpp -- stop signals as a flag the frame loop reads; SIGPIPE as a failed write
#include "platform/stop_signals.h"

#include <csignal>
#include <initializer_list>

namespace platform {

namespace {

// A signal handler can reach nothing but a global; this one flag is the exception.
volatile std::sig_atomic_t pendingSignal = 0;

void onStopSignal(int signal) { pendingSignal = signal; }

}  // namespace

void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        // Whoever started us with a signal ignored (nohup, a background job) asked for that.
        struct sigaction before {};
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
        sigaction(signal, &action, nullptr);
    }
}

int caughtStopSignal() { return pendingSignal; }

void ignoreBrokenPipe() {
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    sigaction(SIGPIPE, &action, nullptr);
}

}  // namespace platform
