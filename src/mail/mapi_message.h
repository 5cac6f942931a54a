#pragma once

// The report as one Simple MAPI message. Only the Windows hand-off sends
// it; the records are plain data, so they are built and checked anywhere.

#include "dump/dump_path.h"
#include "mail/mapi_records.h"
#include "mail/send_mail.h"

// Simple MAPI's address form: the address type, a colon, the address.
inline constexpr char SupportMailRecipientAddress[] = "SMTP:" YORV_SUPPORT_MAIL_ADDRESS;

// The mail client may ask the user to log on, and shows its compose dialog.
inline constexpr FLAGS ReportMailFlags = MAPI_LOGON_UI | MAPI_DIALOG;

// The message, its one recipient and its one attachment, and copies of every
// string they point at: old providers write into what they are given
// (strtok on the path, a copy's path written back), so the provider gets
// strings of its own, which the sender never reads again. `message` points
// at the rest, so the records stay where they were filled.
struct ReportMessageRecords {
    MapiRecipDesc recipient;
    MapiFileDesc attachment;
    MapiMessage message;
    DumpPath path;
    char name[sizeof SupportMailAddress];
    char address[sizeof SupportMailRecipientAddress];
    char subject[sizeof ReportSubject];
};

void FillReportMessage(ReportMessageRecords& records, const DumpPath& dumpPath);
