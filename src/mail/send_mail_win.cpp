#include "mail/send_mail.h"

#include <windows.h>

#include "mail/mapi_error.h"
#include "mail/mapi_message.h"
#include "win/system_library.h"

SendMailOutcome SendReportMail(DumpPath& dumpPath) {
    // Loaded only now, so the sender runs on machines without a mail client.
    // The system's MAPI32.DLL is the stub that hands over to the registered
    // mail client.
    const HMODULE library = LoadSystemLibrary("MAPI32.DLL");
    if (!library)
        return {HandOff::Unavailable, 0};
    const auto sendMail =
        reinterpret_cast<LPMAPISENDMAIL>(reinterpret_cast<void*>(GetProcAddress(library, "MAPISendMail")));
    if (!sendMail) {
        FreeLibrary(library);
        return {HandOff::Unavailable, 0};
    }
    ReportMessageRecords records;
    FillReportMessage(records, dumpPath);
    // The library stays loaded: some mail clients keep threads in it after
    // the call returns, and the process ends right after.
    const ULONG code = sendMail(0, 0, &records.message, ReportMailFlags, 0);
    return {code == SUCCESS_SUCCESS ? HandOff::Accepted : HandOff::Failed, code};
}

void DescribeFailedHandOff(FailureMessage& message, SendMailOutcome outcome, const DumpPath& dumpPath) {
    ComposeMapiFailureText(message, outcome, dumpPath);
}
