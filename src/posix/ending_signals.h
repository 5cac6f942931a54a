#pragma once

// The signals that end a run, and what is put right before it ends: the
// dialog on the screen is ended with it, and a terminal whose modes a
// question changed is given back as it was found (posix/terminal.h).

#include <signal.h>
#include <sys/types.h>

// SIGTERM, SIGHUP and SIGINT.
sigset_t EndingSignalSet();

// From now on SIGTERM, and SIGHUP and SIGINT unless the launcher ignored them,
// end the sender with status 0.
void EndQuietlyOnEndingSignals();

// The dialog that an ending signal ends first; 0 for none. Set while the
// ending signals are blocked, so that none arrives halfway.
void EndWithSender(pid_t dialog);
