// stop_signals.h -- the signals that end a run cleanly, and a console reader that goes away
#pragma once

namespace platform {

// From now on SIGINT, SIGTERM, SIGHUP and SIGQUIT only set a flag, so the caller can give the
// desktop back before it ends. A signal ignored when the program started stays ignored.
void catchStopSignals();
// The number of the last stop signal caught, or 0.
int caughtStopSignal();
// A write to a pipe nobody reads fails instead of ending the program.
void ignoreBrokenPipe();

}  // namespace platform
