#include "mail/xdg_email.h"

#include <sys/wait.h>

#include <array>

#include "mail/failure_text.h"

namespace {

void AppendReason(TextCursor& reason, SendMailOutcome outcome) {
    if (outcome.handOff == HandOff::Unavailable)
        return Append(reason, "No mail program could be started: xdg-email (from xdg-utils) was not found");
    if (outcome.handOff == HandOff::ReportGone)
        return Append(reason, "the report file was gone or replaced before it could be attached");
    const int waitStatus = static_cast<int>(outcome.code);
    if (WIFSIGNALED(waitStatus)) {
        Append(reason, "xdg-email was stopped by signal ");
        return AppendDecimal(reason, WTERMSIG(waitStatus));
    }
    switch (WEXITSTATUS(waitStatus)) {  // xdg-email's documented statuses
    case 1: return Append(reason, "xdg-email reported a syntax error (status 1)");
    case 2: return Append(reason, "xdg-email could not find the report file (status 2)");
    case 3: return Append(reason, "xdg-email found no mail program to use (status 3)");
    case 5: return Append(reason, "xdg-email had no permission to read the report file (status 5)");
    default:
        Append(reason, "xdg-email failed (status ");
        AppendDecimal(reason, WEXITSTATUS(waitStatus));
        return Append(reason, ")");
    }
}

}  // namespace

void ComposeXdgEmailFailureText(FailureMessage& message, SendMailOutcome outcome, const DumpPath& dumpPath) {
    std::array<char, 96> buffer;
    TextCursor reason{buffer};
    AppendReason(reason, outcome);
    ComposeFailureText(message, {buffer.data(), reason.length}, dumpPath);
}
