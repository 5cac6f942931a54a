#include "sender/report_sender.h"

#include "dump/crash_dump.h"
#include "mail/failure_text.h"
#include "mail/send_mail.h"
#include "sender/message_box.h"
#include "sender/sender_guard.h"

namespace {

void ShowFailedHandOff(SendMailOutcome outcome, const DumpPath& dumpPath) {
    FailureMessage message;
    DescribeFailedHandOff(message, outcome, dumpPath);
    ShowMessageBox(outcome.handOff == HandOff::Unavailable ? BoxKind::LoadFailure : BoxKind::SendFailure,
                   message.data());
}

// Whether the mail program sent the report: the user says so.
bool UserSaysReportWasSent(const DumpPath& dumpPath) {
    FailureMessage question;
    TextCursor text{question};
    Append(text, SentQuestionText);
    Append(text, dumpPath.data());
    return ShowMessageBox(BoxKind::SentQuestion, question.data());
}

}  // namespace

int ReportSenderMain(void*, void*, char*, int) {
    DumpPath dumpPath;
    if (!FindCrashDump(dumpPath) || !IsReportPending(dumpPath))
        return 0;
    // Another sender is asking about this dump, or has sent it meanwhile.
    if (!TakeSenderGuard() || !IsReportPending(dumpPath))
        return 0;
    if (!ShowMessageBox(BoxKind::Question, QuestionText))
        return 0;
    // The product may crash again while the mail client is open and write a
    // new dump: only the one handed off may be marked.
    const DumpIdentity handedOff = IdentifyDump(dumpPath);
    const SendMailOutcome outcome = SendReportMail(dumpPath);
    switch (outcome.handOff) {
    case HandOff::Accepted:
        MarkReportSent(dumpPath, handedOff);
        break;
    case HandOff::Started:
        if (UserSaysReportWasSent(dumpPath))
            MarkReportSent(dumpPath, handedOff);
        break;
    default:
        ShowFailedHandOff(outcome, dumpPath);
    }
    return 0;
}
