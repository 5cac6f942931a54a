#pragma once

// The terminal the sender was started from, and the modes a question sets on
// it. The program that ran before may have left it raw, without echo,
// reading nothing (MIN and TIME 0) or not blocking; a shell puts its own
// modes back whenever the sender is stopped (Ctrl-Z). For a question it
// reads a line at a time, echoed, Enter (CR) ending it and Ctrl-C a signal,
// set again each time the sender comes back to the foreground; then, and on
// every way out, the terminal is given back as it was found, but never by a
// sender in the background, whose shell has the terminal now.

#include <termios.h>
#include <unistd.h>

// True when the sender is in the foreground process group of the terminal on
// `fd`: outside it, reading the terminal stops the process (SIGTTIN), and so
// does writing to it under `stty tostop` or changing its modes (SIGTTOU).
inline bool InTerminalForeground(int fd) {
    return tcgetpgrp(fd) == getpgrp();
}

// Sets the terminal on `fd` for a question, until ReleaseTerminal(); false
// when it is not a terminal.
bool HoldTerminalForQuestion(int fd);
void ReleaseTerminal();

// Gives the held terminal back as it was found, unless the sender is in its
// background; async-signal-safe, for the signals that end the run.
void GiveBackTerminal();
