#include "mail/mapi_message.h"

void FillReportMessage(ReportMessageRecords& records, DumpPath& dumpPath) {
    // The records take non-const strings; the mail system only reads them.
    // The name is what mail clients show; some of them (Wine's among them)
    // read only the address.
    records.recipient = MapiRecipDesc{
        .ulRecipClass = MAPI_TO,
        .lpszName = const_cast<char*>(SupportMailAddress),
        .lpszAddress = const_cast<char*>(SupportMailRecipientAddress),
    };
    records.attachment = MapiFileDesc{
        .nPosition = 0xFFFFFFFF,  // no place in the (empty) body text
        .lpszPathName = dumpPath.data(),
    };
    records.message = MapiMessage{
        .lpszSubject = const_cast<char*>(ReportSubject),
        .nRecipCount = 1,
        .lpRecips = &records.recipient,
        .nFileCount = 1,
        .lpFiles = &records.attachment,
    };
}
