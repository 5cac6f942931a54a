#pragma once

// The hand-off of the report to the user's mail client, in the run's own
// terms. Each platform says how it hands off and how it names a failure.

#include <cstdint>

#include "common/texts.h"
#include "dump/dump_path.h"

#ifndef YORV_SUPPORT_MAIL_ADDRESS
#error "YORV_SUPPORT_MAIL_ADDRESS names the support mailbox; the build sets it"
#endif

inline constexpr char SupportMailAddress[] = YORV_SUPPORT_MAIL_ADDRESS;

enum class HandOff : std::uint8_t {
    Accepted,     // the mail client took the message (Simple MAPI's own word)
    Started,      // a mail program was started with it: only the user knows whether it left
    Unavailable,  // there is no mail library or program to hand it to
    Failed,       // the mail client was reached but did not take it
    ReportUnreadable,  // the dump could not be read (gone, replaced or held) when it was to be attached
};

// What became of the hand-off, and what the mail system said of a failure,
// each where its platform tells it.
struct SendMailOutcome {
    HandOff handOff;
    std::uint32_t mapiResult = 0;  // Windows: Simple MAPI's result code
    int exitStatus = 0;            // Linux: xdg-email's exit status...
    int signal = 0;                // ...or the signal that ended it
    bool attached = true;          // Linux: the file was offered for attaching, not only the text
};

// Where the user answers the run's questions. A mail program that xdg-email
// runs may need that same terminal, and the second question waits for it.
enum class AnswersOn : std::uint8_t { Window, Terminal };

// Hands the report, with the dump attached, to the user's mail client and
// waits while its dialogs are open.
SendMailOutcome SendReportMail(const DumpPath& dumpPath, AnswersOn answersOn);

// Writes what the user is told when the hand-off was not accepted; the dump
// is named by `shownPath`, where the user's own file manager finds it.
void DescribeFailedHandOff(BoxText& message, const SendMailOutcome& outcome, const DumpPath& shownPath);
