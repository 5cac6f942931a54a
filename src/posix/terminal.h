#pragma once

// The terminal the sender was started from.

#include <unistd.h>

// True when the sender is in the foreground process group of the terminal on
// `fd`: outside it, reading the terminal stops the process (SIGTTIN), and so
// does writing to it under `stty tostop` or changing its modes (SIGTTOU).
inline bool InTerminalForeground(int fd) {
    return tcgetpgrp(fd) == getpgrp();
}
