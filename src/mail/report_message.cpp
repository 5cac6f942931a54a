#include "mail/report_message.h"

void FillReportMessage(ReportMessageRecords& records, DumpPath& dumpPath) {
    // The records take non-const strings; the mail system only reads them.
    records.recipient = MapiRecipDesc{
        .ulRecipClass = MAPI_TO,
        .lpszName = const_cast<char*>(SupportMailAddress),
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
