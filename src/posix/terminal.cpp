#include "posix/terminal.h"

#include <fcntl.h>

#include <cerrno>
#include <csignal>

namespace {

// The terminal a question holds. The one state of the sender's outside its
// call chain, because only a signal handler can reach it otherwise.
volatile sig_atomic_t heldTerminal = -1;
termios foundModes, askingModes;
int foundFlags;

// A terminal of which the sender is a background process; not one that is
// not its controlling terminal at all, whose modes it may set at any time.
bool InTerminalBackground(int fd) {
    const pid_t foreground = tcgetpgrp(fd);
    return foreground >= 0 && foreground != getpgrp();
}

void SetModes(int fd, const termios& modes, int flags) {
    tcsetattr(fd, TCSANOW, &modes);
    fcntl(fd, F_SETFL, flags);
}

// Back in the foreground after a stop (`fg`): the shell has its own modes on
// the terminal again.
extern "C" void SetAskingModesAgain(int) {
    const int saved = errno;
    const int fd = heldTerminal;
    if (fd >= 0 && !InTerminalBackground(fd))
        SetModes(fd, askingModes, foundFlags & ~O_NONBLOCK);
    errno = saved;
}

}  // namespace

bool HoldTerminalForQuestion(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    termios found;
    if (flags < 0 || tcgetattr(fd, &found) != 0)
        return false;
    heldTerminal = -1;
    foundModes = askingModes = found;
    foundFlags = flags;
    askingModes.c_lflag |= ICANON | ECHO | ECHOE | ECHOK | ISIG;
    askingModes.c_iflag = (askingModes.c_iflag | ICRNL) & ~(IGNCR | INLCR);
    askingModes.c_oflag |= OPOST | ONLCR;
    heldTerminal = fd;
    struct sigaction resumed = {};
    resumed.sa_handler = SetAskingModesAgain;
    resumed.sa_flags = SA_RESTART;
    sigfillset(&resumed.sa_mask);
    sigaction(SIGCONT, &resumed, nullptr);
    SetAskingModesAgain(0);
    return true;
}

void ReleaseTerminal() {
    signal(SIGCONT, SIG_DFL);
    GiveBackTerminal();
    heldTerminal = -1;
}

void GiveBackTerminal() {
    const int fd = heldTerminal;
    if (fd >= 0 && !InTerminalBackground(fd))
        SetModes(fd, foundModes, foundFlags);
}
