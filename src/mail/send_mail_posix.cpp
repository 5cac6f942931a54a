#include "mail/send_mail.h"

#include "dump/dump_file.h"
#include "mail/xdg_email.h"
#include "posix/program.h"

// xdg-email opens the user's mail composer with the message filled in.

SendMailOutcome SendReportMail(DumpPath& dumpPath) {
    ProgramPath xdgEmail;
    if (!FindProgramOnPath("xdg-email", xdgEmail))
        return {HandOff::Unavailable, 0};

    // The entry may have been swapped since it was found; hand off only the
    // user's own regular file. (The mail client opens it later by path, so
    // this narrows the window rather than closing it.)
    if (!IsDumpEntry(dumpPath))
        return {HandOff::ReportGone, 0};

    const char* const argv[] = {
        "xdg-email", "--subject", ReportSubject, "--attach", dumpPath.data(), SupportMailAddress, nullptr,
    };
    const int waitStatus = RunProgram(xdgEmail, argv, ChildRole::Helper);
    if (waitStatus == -1)
        return {HandOff::Unavailable, 0};
    // xdg-email's 0 says that a mail program was started, or ran and quit:
    // not that the mail left. That only the user can tell.
    return {ExitedWith(waitStatus, 0) ? HandOff::Started : HandOff::Failed, static_cast<std::uint32_t>(waitStatus)};
}

void DescribeFailedHandOff(FailureMessage& message, SendMailOutcome outcome, const DumpPath& dumpPath) {
    ComposeXdgEmailFailureText(message, outcome, dumpPath);
}
