#include "mail/mapi_message.h"

void FillReportMessage(ReportMessageRecords& records, const DumpPath& dumpPath) {
    // Simple MAPI's records take non-const strings, which the mail system
    // only reads: the one place where constness is cast away.
    records.recipient = MapiRecipDesc{
        .ulRecipClass = MAPI_TO,
        // The name is what mail clients show; some of them (Wine's among
        // them) read only the address.
        .lpszName = const_cast<char*>(SupportMailAddress),
        .lpszAddress = const_cast<char*>(SupportMailRecipientAddress),
    };
    records.attachment = MapiFileDesc{
        .nPosition = 0xFFFFFFFF,  // no place in the (empty) body text
        .lpszPathName = const_cast<char*>(dumpPath.data()),
    };
    records.message = MapiMessage{
        .lpszSubject = const_cast<char*>(ReportSubject),
        .nRecipCount = 1,
        .lpRecips = &records.recipient,
        .nFileCount = 1,
        .lpFiles = &records.attachment,
    };
}
