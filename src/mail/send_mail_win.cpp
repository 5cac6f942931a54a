#include "mail/send_mail.h"

#include <windows.h>

#include "mail/mapi_message.h"
#include "win/system_library.h"

SendMailOutcome SendReportMail(const DumpPath& dumpPath, AnswersOn) {
    // Loaded only now, so the sender runs on machines without a mail client.
    // The system's MAPI32.DLL is the stub that hands over to the registered
    // mail client.
    const HMODULE library = LoadSystemLibrary("MAPI32.DLL");
    if (!library)
        return {HandOff::Unavailable};
    const auto sendMail = GetSystemFunction<LPMAPISENDMAIL>(library, "MAPISendMail");
    if (!sendMail) {
        FreeLibrary(library);
        return {HandOff::Unavailable};
    }
    ReportMessageRecords records;
    FillReportMessage(records, dumpPath);
    // The library stays loaded: some mail clients keep threads in it after
    // the call returns, and the process ends right after.
    const ULONG result = sendMail(0, 0, &records.message, ReportMailFlags, 0);
    return {.handOff = result == SUCCESS_SUCCESS ? HandOff::Accepted : HandOff::Failed, .mapiResult = result};
}
