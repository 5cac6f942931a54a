#include "posix/ending_signals.h"

#include <unistd.h>

#include "posix/terminal.h"

namespace {

// What an ending signal puts right. The one state the run keeps outside its
// own call chain, because only a signal handler can reach it otherwise.
volatile sig_atomic_t dialogToEnd = 0;

constexpr int EndingSignals[] = {SIGTERM, SIGHUP, SIGINT};

extern "C" void EndRun(int) {
    const pid_t dialog = dialogToEnd;
    if (dialog > 0)  // never 0 or -1, which would reach the launcher's group or everyone
        kill(dialog, SIGTERM);
    GiveBackTerminal();
    _exit(0);
}

}  // namespace

sigset_t EndingSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signalNumber : EndingSignals)
        sigaddset(&set, signalNumber);
    return set;
}

void EndQuietlyOnEndingSignals() {
    struct sigaction action = {};
    action.sa_handler = EndRun;
    sigfillset(&action.sa_mask);
    for (const int signalNumber : EndingSignals) {
        struct sigaction current;
        // nohup and a shell's background jobs ignore SIGHUP and SIGINT on purpose.
        if (signalNumber != SIGTERM && sigaction(signalNumber, nullptr, &current) == 0 &&
            current.sa_handler == SIG_IGN)
            continue;
        sigaction(signalNumber, &action, nullptr);
    }
}

void EndWithSender(pid_t dialog) {
    dialogToEnd = dialog;
}
