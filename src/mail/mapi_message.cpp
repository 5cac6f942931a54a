#include "mail/mapi_message.h"

#include <algorithm>
#include <iterator>

namespace {

template <std::size_t Size>
char* CopyInto(char (&copy)[Size], const char (&text)[Size]) {
    std::copy(std::begin(text), std::end(text), copy);
    return copy;
}

}  // namespace

void FillReportMessage(ReportMessageRecords& records, const DumpPath& dumpPath) {
    records.path = dumpPath;
    records.recipient = MapiRecipDesc{
        .ulRecipClass = MAPI_TO,
        // The name is what mail clients show; some of them (Wine's among
        // them) read only the address.
        .lpszName = CopyInto(records.name, SupportMailAddress),
        .lpszAddress = CopyInto(records.address, SupportMailRecipientAddress),
    };
    records.attachment = MapiFileDesc{
        .nPosition = 0xFFFFFFFF,  // no place in the (empty) body text
        .lpszPathName = records.path.data(),
    };
    records.message = MapiMessage{
        .lpszSubject = CopyInto(records.subject, ReportSubject),
        .nRecipCount = 1,
        .lpRecips = &records.recipient,
        .nFileCount = 1,
        .lpFiles = &records.attachment,
    };
}
