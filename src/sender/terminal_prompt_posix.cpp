#include <termios.h>
#include <unistd.h>

#include <cstdio>

#include "common/texts.h"
#include "posix/retry.h"
#include "sender/presenters_posix.h"

// The terminal the sender was started from, where no desktop can be reached.
// Ctrl-C, a hang-up or SIGTERM while the user thinks end the run as a No (the
// run's setup made them so).

bool InTerminalForeground(int fd) {
    return tcgetpgrp(fd) == getpgrp();
}

Presented ReadTerminalAnswer(int fd) {
    char answer = '\0';
    for (char typed; RetryOnInterrupt([&] { return read(fd, &typed, 1); }) == 1 && typed != '\n';) {
        if (answer == '\0' && typed != ' ' && typed != '\t')
            answer = typed;
    }
    return answer == 'y' || answer == 'Y' ? Presented::Yes : Presented::Closed;
}

Presented AskOnTerminal(BoxKind kind, const char* text) {
    if (!IsQuestion(kind) || !InTerminalForeground(STDIN_FILENO) || !InTerminalForeground(STDERR_FILENO))
        return Presented::NotShown;
    // What was typed before the question was shown (while the mail program
    // ran, say) does not answer it.
    tcflush(STDIN_FILENO, TCIFLUSH);
    std::fprintf(stderr, "%s\n%s\n%s", ProductCaption, text, TerminalPrompt);
    return ReadTerminalAnswer(STDIN_FILENO);
}
