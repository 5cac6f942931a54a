#include "mail/send_mail.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>

#include "dump/crash_dump.h"
#include "dump/dump_file.h"
#include "mail/link_reader.h"
#include "mail/mail_link.h"
#include "posix/environment.h"
#include "posix/flatpak.h"
#include "posix/program.h"
#include "posix/terminal.h"

// xdg-email opens the user's mail composer with the message filled in: the
// link carries the report's text and its exact bytes, and the attachment its
// file wherever the mail program takes one.

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

// xdg-email's words that it found no way to hand the mail over as asked:
// newer xdg-utils say 3 when they will not attach a file, flatpak-xdg-utils
// 4 when the desktop portal refuses the file. The text alone still carries
// the report.
constexpr bool RefusedTheAttachment(const ProgramEnd& end) {
    return end.exited && (end.exitStatus == 3 || end.exitStatus == 4);
}

// The dump's head and the link: one block taken from the heap after Yes, so
// that a launcher's small stack limit meets none of it.
struct HandOffMemory {
    DumpHead head;
    MailLinkBuffers link;
};
struct FreeMemory {
    void operator()(void* memory) const { std::free(memory); }
};

// True when xdg-email may run a program on the terminal the user answers on:
// without a desktop a text browser or $MAILER, on one $MAILER. The second
// question then waits until that program has ended.
bool MailProgramMayShareTerminal(AnswersOn answersOn) {
    return answersOn == AnswersOn::Terminal ||
           (FirstSetVariable({"MAILER"}) && InTerminalForeground(STDIN_FILENO));
}

// xdg-email starts with the link on its stack. Under a launcher's hard stack
// limit (ulimit -s 64) a link of 64 KiB leaves it none: the link takes at
// most a quarter of the stack, as the kernel measures arguments.
LinkBound WithinStackLimit(LinkBound bound) {
    rlimit stack;
    if (getrlimit(RLIMIT_STACK, &stack) == 0 && stack.rlim_cur != RLIM_INFINITY)
        bound.characters = std::min<std::size_t>(bound.characters, stack.rlim_cur / 4);
    return bound;
}

}  // namespace

SendMailOutcome SendReportMail(const DumpPath& dumpPath, AnswersOn answersOn) {
    ProgramPath xdgEmail;
    if (!FindProgramOnPath("xdg-email", xdgEmail))
        return {HandOff::Unavailable};
    const std::unique_ptr<HandOffMemory, FreeMemory> memory(
        static_cast<HandOffMemory*>(std::malloc(sizeof(HandOffMemory))));
    const DumpHeadRead head = memory ? ReadDumpHead(dumpPath, memory->head) : DumpHeadRead{};
    if (!head.read)
        return {HandOff::ReportUnreadable};
    // Inside a Flatpak the desktop portal refuses a file of the sandbox's,
    // and the host's mailto: handler cannot be seen: the link keeps to the
    // bound every reader takes.
    FlatpakInstance sandbox;
    const bool sandboxed = InFlatpak(sandbox);
    // The path in the mail is the one support can ask the user for.
    DumpPath shownPath;
    DumpPathForUser(dumpPath, shownPath);
    const LinkReader reader = sandboxed ? LinkReader::WebBrowser : FindLinkReader();
    ComposeMailLink(memory->link, {memory->head.data(), head.length}, head.dumpSize, shownPath.data(),
                    WithinStackLimit(BoundFor(reader)));

    bool attached = !sandboxed;
    // A question asked in a window may come while the mail program runs.
    const auto patience = MailProgramMayShareTerminal(answersOn) ? std::chrono::seconds{0} : MailProgramStartBound;
    // On a failure its own words repeat the whole link, and so the report.
    const ProgramOutput output = {.error = Nowhere};
    const char* const withAttachment[] = {"xdg-email", "--attach", dumpPath.data(), memory->link.link.data(), nullptr};
    const char* const textOnly[] = {"xdg-email", memory->link.link.data(), nullptr};
    ProgramEnd end = RunProgram(xdgEmail, attached ? withAttachment : textOnly, ChildRole::Helper, output, patience);
    if (attached && RefusedTheAttachment(end)) {
        attached = false;
        end = RunProgram(xdgEmail, textOnly, ChildRole::Helper, output, patience);
    }
    if (!end.started)
        return {HandOff::Unavailable};
    // xdg-email's 0 says that a mail program was started, or ran and quit:
    // not that the mail left. That only the user can tell; and so for a mail
    // program still starting.
    return {.handOff = end.running || ExitedWith(end, 0) ? HandOff::Started : HandOff::Failed,
            .exitStatus = end.exitStatus,
            .signal = end.signal,
            .attached = attached};
}
