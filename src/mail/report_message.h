#pragma once

#include "dump/dump_path.h"
#include "mail/mapi_error.h"
#include "mail/mapi_records.h"

#ifndef YORV_SUPPORT_MAIL_ADDRESS
#error "YORV_SUPPORT_MAIL_ADDRESS names the support mailbox; the build sets it"
#endif

inline constexpr char ReportSubject[] = "Yorv: Crash Report";
inline constexpr char SupportMailAddress[] = YORV_SUPPORT_MAIL_ADDRESS;

// The mail client may ask the user to log on, and shows its compose dialog.
inline constexpr FLAGS ReportMailFlags = MAPI_LOGON_UI | MAPI_DIALOG;

// Either the mail library is unavailable, or the result code it returned.
struct SendMailOutcome {
    bool libraryUnavailable;
    MapiResultCode resultCode;
};
inline constexpr SendMailOutcome MailLibraryUnavailable{.libraryUnavailable = true, .resultCode = 0};

constexpr SendMailOutcome MailResult(MapiResultCode code) {
    return {.libraryUnavailable = false, .resultCode = code};
}

// The message, its one recipient and its one attachment; `message` points at
// the other two, so the records stay where they were filled.
struct ReportMessageRecords {
    MapiRecipDesc recipient;
    MapiFileDesc attachment;
    MapiMessage message;
};

void FillReportMessage(ReportMessageRecords& records, DumpPath& dumpPath);
