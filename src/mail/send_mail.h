#pragma once

// The hand-off of the report to the user's mail client, in the run's own
// terms. Each platform says how it hands off and how it names a failure.

#include <array>
#include <cstdint>

#include "dump/dump_path.h"

#ifndef YORV_SUPPORT_MAIL_ADDRESS
#error "YORV_SUPPORT_MAIL_ADDRESS names the support mailbox; the build sets it"
#endif

inline constexpr char ReportSubject[] = "Yorv: Crash Report";
inline constexpr char SupportMailAddress[] = YORV_SUPPORT_MAIL_ADDRESS;

enum class HandOff : std::uint8_t {
    Accepted,     // the mail client took the message (Simple MAPI's own word)
    Started,      // a mail program was started with it: only the user knows whether it left
    Unavailable,  // there is no mail library or program to hand it to
    Failed,       // the mail client was reached but did not take it
    ReportGone,   // the dump was gone or replaced before it could be attached
};

// `code` is the platform's own record of a failure: Simple MAPI's result
// code on Windows, xdg-email's wait status on Linux.
struct SendMailOutcome {
    HandOff handOff;
    std::uint32_t code;
};

// The text of a failure box: at most 373 characters on Windows, 395 on Linux.
using FailureMessage = std::array<char, 1024>;

// Hands the report, with the dump attached, to the user's mail client and
// waits while its dialogs are open.
SendMailOutcome SendReportMail(DumpPath& dumpPath);

// What the user is told when the hand-off was not accepted.
void DescribeFailedHandOff(FailureMessage& message, SendMailOutcome outcome, const DumpPath& dumpPath);
