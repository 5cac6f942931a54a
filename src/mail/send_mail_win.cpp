#include "mail/send_mail.h"

#include <windows.h>

#include "mail/mapi_error.h"
#include "mail/mapi_message.h"

namespace {

// The system's MAPI32.DLL is the stub that hands over to the registered mail
// client. It is never taken from beside the executable or the working
// directory, which the user and anything the user runs can write to.
HMODULE LoadSystemMapi() {
    const HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    if (kernel && GetProcAddress(kernel, "AddDllDirectory"))
        return LoadLibraryExA("MAPI32.DLL", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Without that update Windows 7 refuses the flag: name the file in full,
    // so that its own imports are looked up beside it, not beside us.
    char path[MAX_PATH];
    constexpr char fileName[] = "\\MAPI32.DLL";
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + sizeof fileName > MAX_PATH)
        return nullptr;
    lstrcatA(path, fileName);
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace

SendMailOutcome SendReportMail(DumpPath& dumpPath) {
    // Loaded only now, so the sender runs on machines without a mail client.
    const HMODULE library = LoadSystemMapi();
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
