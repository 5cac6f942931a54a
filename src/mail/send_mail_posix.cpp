#include "mail/send_mail.h"

#include <sys/wait.h>

#include <string>

#include "dump/dump_file.h"
#include "posix/program.h"

// xdg-email stands in for the Simple MAPI library: it opens the user's mail
// composer with the message filled in. Its exit status becomes a result code.

namespace {

MapiResultCode ResultFromXdgEmail(int waitStatus) {
    if (waitStatus == -1 || !WIFEXITED(waitStatus))
        return MAPI_E_FAILURE;
    switch (WEXITSTATUS(waitStatus)) {
    case 0: return SUCCESS_SUCCESS;
    case 2: return MAPI_E_ATTACHMENT_NOT_FOUND;   // a file does not exist
    case 5: return MAPI_E_ATTACHMENT_OPEN_FAILURE;  // no permission to read one
    default: return MAPI_E_FAILURE;
    }
}

}  // namespace

SendMailOutcome SendReportMail(DumpPath& dumpPath) {
    std::string xdgEmail;
    if (!FindProgramOnPath("xdg-email", xdgEmail))
        return MailLibraryUnavailable;
    ReportMessageRecords records;
    FillReportMessage(records, dumpPath);
    const MapiMessage& message = records.message;

    // The entry may have been swapped since it was found; hand off only the
    // user's own regular file. (The mail client opens it later by path, so
    // this narrows the window rather than closing it.)
    if (!IsDumpEntry(dumpPath))
        return MailResult(MAPI_E_ATTACHMENT_NOT_FOUND);

    const char* const argv[] = {
        "xdg-email",
        "--subject", message.lpszSubject,
        "--attach", message.lpFiles[0].lpszPathName,
        message.lpRecips[0].lpszName,
        nullptr,
    };
    return MailResult(ResultFromXdgEmail(RunProgram(xdgEmail, argv)));
}
