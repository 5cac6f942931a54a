#include "mail/send_mail.h"

#include "posix/program.h"

// xdg-email opens the user's mail composer with the message filled in.

SendMailOutcome SendReportMail(const DumpPath& dumpPath) {
    ProgramPath xdgEmail;
    if (!FindProgramOnPath("xdg-email", xdgEmail))
        return {HandOff::Unavailable};
    const char* const argv[] = {
        "xdg-email", "--subject", ReportSubject, "--attach", dumpPath.data(), SupportMailAddress, nullptr,
    };
    const ProgramEnd end = RunProgram(xdgEmail, argv, ChildRole::Helper);
    if (!end.started)
        return {HandOff::Unavailable};
    // xdg-email's 0 says that a mail program was started, or ran and quit:
    // not that the mail left. That only the user can tell.
    return {.handOff = ExitedWith(end, 0) ? HandOff::Started : HandOff::Failed,
            .exitStatus = end.exitStatus,
            .signal = end.signal};
}
