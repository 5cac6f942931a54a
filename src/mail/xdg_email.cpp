#include "mail/xdg_email.h"

#include <sys/wait.h>

#include <cstdio>

namespace {

// The reason, as a format for the one number it may hold.
const char* ReasonFormat(SendMailOutcome outcome, int& number) {
    if (outcome.handOff == HandOff::Unavailable)
        return "No mail program could be started: xdg-email (from xdg-utils) was not found";
    if (outcome.handOff == HandOff::ReportGone)
        return "the report file was gone or replaced before it could be attached";
    const int waitStatus = static_cast<int>(outcome.code);
    if (WIFSIGNALED(waitStatus)) {
        number = WTERMSIG(waitStatus);
        return "xdg-email was stopped by signal %d";
    }
    number = WEXITSTATUS(waitStatus);
    switch (number) {  // xdg-email's documented statuses
    case 1: return "xdg-email reported a syntax error (status 1)";
    case 2: return "xdg-email could not find the report file (status 2)";
    case 3: return "xdg-email found no mail program to use (status 3)";
    case 5: return "xdg-email had no permission to read the report file (status 5)";
    default: return "xdg-email failed (status %d)";
    }
}

}  // namespace

void ComposeXdgEmailFailureText(FailureMessage& message, SendMailOutcome outcome, const DumpPath& dumpPath) {
    int number = 0;
    const char* format = ReasonFormat(outcome, number);
    char reason[96];
    std::snprintf(reason, sizeof reason, format, number);
    std::snprintf(message.data(), message.size(), XdgEmailFailureFormat, reason, dumpPath.data());
}
