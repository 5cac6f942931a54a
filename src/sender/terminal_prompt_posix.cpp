#include <unistd.h>

#include <cstdio>

#include "common/texts.h"
#include "sender/presenters_posix.h"

// The terminal the sender was started from, where no desktop can be reached.
// Ctrl-C, a hang-up or SIGTERM while the user thinks end the run as a No (the
// run's setup made them so).

bool InTerminalForeground(int fd) {
    return tcgetpgrp(fd) == getpgrp();
}

Presented AskOnTerminal(BoxKind kind, const char* text) {
    if (!IsQuestion(kind) || !InTerminalForeground(STDIN_FILENO) || !InTerminalForeground(STDERR_FILENO))
        return Presented::NotShown;
    std::fprintf(stderr, "%s\n%s\n%s", ProductCaption, text, TerminalPrompt);
    char answer[16];
    if (!std::fgets(answer, sizeof answer, stdin))
        return Presented::Closed;
    return answer[0] == 'y' || answer[0] == 'Y' ? Presented::Yes : Presented::Closed;
}
