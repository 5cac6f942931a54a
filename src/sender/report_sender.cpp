#include "sender/report_sender.h"

#include <cstdio>

#include "dump/crash_dump.h"
#include "mail/send_mail.h"
#include "sender/message_box.h"

void ComposeFailureText(FailureMessage& message, const MapiErrorText& errorText,
                        const DumpPath& dumpPath) {
    std::snprintf(message.data(), message.size(), FailureFormat, errorText.data(), dumpPath.data());
}

namespace {

void ShowSendFailure(MapiResultCode code, const DumpPath& dumpPath) {
    MapiErrorText errorText;
    FormatMapiError(code, errorText);
    FailureMessage message;
    ComposeFailureText(message, errorText, dumpPath);
    ShowMessageBox(message.data(), SendFailureBoxStyle);
}

}  // namespace

int ReportSenderMain(void*, void*, char*, int) {
    DumpPath dumpPath;
    if (!FindCrashDump(dumpPath) || IsReportSent(dumpPath))
        return 0;
    if (ShowMessageBox(QuestionText, QuestionBoxStyle) != IdYes)
        return 0;
    const SendMailOutcome outcome = SendReportMail(dumpPath);
    if (outcome.libraryUnavailable)
        ShowMessageBox(LoadFailureText, LoadFailureBoxStyle);
    else if (outcome.resultCode == SUCCESS_SUCCESS)
        MarkReportSent(dumpPath);
    else
        ShowSendFailure(outcome.resultCode, dumpPath);
    return 0;
}
