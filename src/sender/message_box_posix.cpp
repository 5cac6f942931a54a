#include "sender/message_box.h"

#include <unistd.h>

#include <cstdio>

#include "common/texts.h"
#include "sender/presenters_posix.h"

// Each box goes to the first of these that shows it: the desktop's dialog
// program, then for a question the terminal the sender was started from, for
// a failure standard error. Where none does, the question counts as No, and
// one line on standard error says so.

namespace {

// A failure's text, so that the dump's path is not lost; that nothing could
// ask, in one line.
Presented WriteToStandardError(BoxKind kind, const char* text) {
    if (isatty(STDERR_FILENO) && !InTerminalForeground(STDERR_FILENO))
        return Presented::NotShown;
    std::fprintf(stderr, kind == BoxKind::Unasked ? "%s: %s\n" : "%s\n%s\n", ProductCaption, text);
    return Presented::Closed;
}

}  // namespace

BoxOutcome ShowMessageBox(BoxKind kind, const char* text) {
    const auto outcome = [&](ShownIn shownIn, Presented presented) {
        return presented == Presented::NotShown
                   ? BoxOutcome{}
                   : BoxOutcome{.shownIn = shownIn, .yes = presented == Presented::Yes && IsQuestion(kind)};
    };
    // That nothing could ask is not tried on the desktop that could not.
    if (kind != BoxKind::Unasked) {
        const BoxOutcome shown = outcome(ShownIn::Window, ShowOnDesktop(kind, text));
        if (shown.shownIn != ShownIn::Nowhere)
            return shown;
    }
    // A failure is never asked: it never reaches the terminal's prompt, and never answers Yes.
    return outcome(ShownIn::Terminal, IsQuestion(kind) ? AskOnTerminal(kind, text) : WriteToStandardError(kind, text));
}
