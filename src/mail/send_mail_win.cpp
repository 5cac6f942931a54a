#include "mail/send_mail.h"

#include <windows.h>

SendMailOutcome SendReportMail(DumpPath& dumpPath) {
    // Loaded by name so the sender runs on machines without a mail client.
    const HMODULE library = LoadLibraryA("MAPI32.DLL");
    if (!library)
        return MailLibraryUnavailable;
    const auto sendMail =
        reinterpret_cast<LPMAPISENDMAIL>(reinterpret_cast<void*>(GetProcAddress(library, "MAPISendMail")));
    if (!sendMail) {
        FreeLibrary(library);
        return MailLibraryUnavailable;
    }
    ReportMessageRecords records;
    FillReportMessage(records, dumpPath);
    // The library stays loaded: some mail clients keep threads in it after
    // the call returns, and the process ends right after.
    return MailResult(sendMail(0, 0, &records.message, ReportMailFlags, 0));
}
