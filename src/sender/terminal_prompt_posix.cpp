#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/texts.h"
#include "posix/retry.h"
#include "posix/terminal.h"
#include "sender/presenters_posix.h"

// The terminal the sender was started from, where no desktop can be reached.
// Ctrl-C, a hang-up or SIGTERM while the user thinks end the run as a No (the
// run's setup made them so).

namespace {

// The terminal set for the question while it is asked; given back on every way out.
class TerminalForQuestion {
public:
    explicit TerminalForQuestion(int fd) : held_(HoldTerminalForQuestion(fd)) {}
    TerminalForQuestion(const TerminalForQuestion&) = delete;
    TerminalForQuestion& operator=(const TerminalForQuestion&) = delete;
    ~TerminalForQuestion() {
        if (held_)
            ReleaseTerminal();
    }

private:
    bool held_;
};

}  // namespace

Presented ReadTerminalAnswer(int fd) {
    char answer = '\0';
    while (true) {
        char typed;
        const ssize_t got = RetryOnInterrupt([&] { return read(fd, &typed, 1); });
        if (got < 0 && errno == EAGAIN) {  // nothing typed yet, and the read did not wait for it
            pollfd typing = {.fd = fd, .events = POLLIN, .revents = 0};
            if (RetryOnInterrupt([&] { return poll(&typing, 1, -1); }) < 0)
                break;
            continue;
        }
        if (got != 1 || typed == '\n')
            break;
        if (answer == '\0' && typed != ' ' && typed != '\t')
            answer = typed;
    }
    return answer == 'y' || answer == 'Y' ? Presented::Yes : Presented::Closed;
}

Presented PromptOnTerminal(int in, int out, const char* text) {
    const TerminalForQuestion asking(in);
    // What was typed before the question was shown (while the mail program
    // ran, say) does not answer it.
    tcflush(in, TCIFLUSH);
    dprintf(out, "%s\n%s\n%s", ProductCaption, text, TerminalPrompt);
    return ReadTerminalAnswer(in);
}

Presented AskOnTerminal(BoxKind, const char* text) {
    if (!InTerminalForeground(STDIN_FILENO) || !InTerminalForeground(STDERR_FILENO))
        return Presented::NotShown;
    return PromptOnTerminal(STDIN_FILENO, STDERR_FILENO, text);
}
