#include "sender/message_box.h"

#include <unistd.h>

#include <cstdio>

#include "common/texts.h"
#include "sender/presenters_posix.h"

// Each box goes to the first of these that shows it: the desktop's dialog
// program, then for a question the terminal the sender was started from, for
// a failure standard error. Where none does, the question counts as No.

namespace {

// A failure's text, so that the dump's path is not lost.
Presented WriteToStandardError(BoxKind, const char* text) {
    if (isatty(STDERR_FILENO) && !InTerminalForeground(STDERR_FILENO))
        return Presented::NotShown;
    std::fprintf(stderr, "%s\n%s\n", ProductCaption, text);
    return Presented::Closed;
}

}  // namespace

bool ShowMessageBox(BoxKind kind, const char* text) {
    // A failure is never asked: it never reaches the terminal's prompt, and never answers Yes.
    for (const auto present : {ShowOnDesktop, IsQuestion(kind) ? AskOnTerminal : WriteToStandardError}) {
        const Presented presented = present(kind, text);
        if (presented != Presented::NotShown)
            return presented == Presented::Yes && IsQuestion(kind);
    }
    return false;  // nowhere to ask: No
}
