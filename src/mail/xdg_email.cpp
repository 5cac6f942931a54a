#include "mail/xdg_email.h"

#include <sys/wait.h>

#include <cstdio>

namespace {

// xdg-email's documented exit statuses.
const char* StatusReason(int status) {
    switch (status) {
    case 1: return "xdg-email reported a syntax error (status 1)";
    case 2: return "xdg-email could not find the report file (status 2)";
    case 3: return "xdg-email found no mail program to use (status 3)";
    case 5: return "xdg-email had no permission to read the report file (status 5)";
    default: return nullptr;
    }
}

}  // namespace

void ComposeXdgEmailFailureText(FailureMessage& message, SendMailOutcome outcome, const DumpPath& dumpPath) {
    char reason[96];
    const int waitStatus = static_cast<int>(outcome.code);
    if (outcome.handOff == HandOff::Unavailable)
        std::snprintf(reason, sizeof reason, "No mail program could be started: xdg-email (from xdg-utils) was not found");
    else if (outcome.handOff == HandOff::ReportGone)
        std::snprintf(reason, sizeof reason, "the report file was gone or replaced before it could be attached");
    else if (WIFSIGNALED(waitStatus))
        std::snprintf(reason, sizeof reason, "xdg-email was stopped by signal %d", WTERMSIG(waitStatus));
    else if (const char* known = StatusReason(WEXITSTATUS(waitStatus)))
        std::snprintf(reason, sizeof reason, "%s", known);
    else
        std::snprintf(reason, sizeof reason, "xdg-email failed (status %d)", WEXITSTATUS(waitStatus));
    std::snprintf(message.data(), message.size(), XdgEmailFailureFormat, reason, dumpPath.data());
}
