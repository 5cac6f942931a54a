#include "mail/send_mail.h"

#include <fcntl.h>

#include <chrono>

#include "dump/crash_dump.h"
#include "mail/mail_link.h"
#include "posix/program.h"
#include "posix/unique_fd.h"
#include "sender/presenters_posix.h"

// xdg-email opens the user's mail composer with the message filled in: the
// link carries the report's text, and the attachment its file wherever the
// mail program takes one.

#ifndef YORV_MAIL_PROGRAM_START_SECONDS
#error "YORV_MAIL_PROGRAM_START_SECONDS: how long a mail program may take to show its composer; the build sets it"
#endif

namespace {

// A mail program started cold took 7 to 16 s to show its composer on a busy
// machine, and xdg-email returns only once Thunderbird quits when it started
// it. Past this bound the mail program counts as started, and the question
// whether the report was sent comes while its composer is up.
constexpr std::chrono::seconds MailProgramStartBound{YORV_MAIL_PROGRAM_START_SECONDS};
static_assert(MailProgramStartBound.count() > 0 && MailProgramStartBound.count() <= 30);

// xdg-email's word that it found no way to hand the mail over; newer
// xdg-utils say so too when they will not attach a file.
constexpr int NoWayToHandOver = 3;

}  // namespace

SendMailOutcome SendReportMail(const DumpPath& dumpPath) {
    ProgramPath xdgEmail;
    if (!FindProgramOnPath("xdg-email", xdgEmail))
        return {HandOff::Unavailable};
    DumpHead head;
    const std::ptrdiff_t read = ReadDumpHead(dumpPath, head);
    if (read < 0)
        return {HandOff::ReportUnreadable};
    MailLink link;
    const auto headLength = static_cast<std::size_t>(read);
    ComposeMailLink(link, {head.data(), headLength}, headLength < head.size(), dumpPath.data());

    // On a failure its own words repeat the whole link, and so the report.
    const UniqueFd quiet(open("/dev/null", O_WRONLY | O_CLOEXEC));
    // A question asked in a window may come while the mail program runs; one
    // asked on the terminal waits for xdg-email, which without a desktop may
    // run a text browser or $MAILER on that same terminal.
    const std::chrono::milliseconds patience = CanShowOnDesktop() ? MailProgramStartBound : std::chrono::seconds{0};
    const char* const withAttachment[] = {"xdg-email", "--attach", dumpPath.data(), link.data(), nullptr};
    const char* const textOnly[] = {"xdg-email", link.data(), nullptr};
    ProgramEnd end = RunProgram(xdgEmail, withAttachment, ChildRole::Helper, quiet.Get(), patience);
    if (ExitedWith(end, NoWayToHandOver))  // the text alone still carries the report
        end = RunProgram(xdgEmail, textOnly, ChildRole::Helper, quiet.Get(), patience);
    if (!end.started)
        return {HandOff::Unavailable};
    // xdg-email's 0 says that a mail program was started, or ran and quit:
    // not that the mail left. That only the user can tell; and so for a mail
    // program still starting.
    return {.handOff = end.running || ExitedWith(end, 0) ? HandOff::Started : HandOff::Failed,
            .exitStatus = end.exitStatus,
            .signal = end.signal};
}
