#pragma once
// SIGTERM and SIGINT (a venue's shutdown, "systemctl stop", Ctrl+C) close the
// station the orderly way instead of killing it: the signal only notes its
// arrival; the close runs on the GUI thread from the event loop.
#include <functional>

// Installs the handlers; `stop` runs on the GUI thread once per signal that
// arrives while the event loop runs (a signal that arrives during start-up
// is handled as soon as the loop starts). Call once, after the application
// object exists.
void InstallStopSignals(std::function<void()> stop);
