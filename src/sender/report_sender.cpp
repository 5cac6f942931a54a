#include "sender/report_sender.h"

#include "common/bounded_text.h"
#include "common/texts.h"
#include "dump/crash_dump.h"
#include "mail/send_mail.h"
#include "sender/message_box.h"
#include "sender/process_setup.h"
#include "sender/sender_guard.h"

namespace {

void ShowFailedHandOff(const SendMailOutcome& outcome, const DumpPath& dumpPath) {
    BoxText message;
    DescribeFailedHandOff(message, outcome, dumpPath);
    ShowMessageBox(outcome.handOff == HandOff::Unavailable ? BoxKind::LoadFailure : BoxKind::SendFailure,
                   message.data());
}

// Whether the mail program sent the report: the user says so.
bool UserSaysReportWasSent(const DumpPath& dumpPath) {
    BoxText question;
    BoundedText(question).Append(SentQuestionText).Append(dumpPath.data());
    return ShowMessageBox(BoxKind::SentQuestion, question.data());
}

}  // namespace

int ReportSenderMain(void*, void*, char*, int) {
    DumpPath dumpPath;
    if (!FindCrashDump(dumpPath) || !IsReportPending(dumpPath))
        return 0;
    SetUpProcessForRun();
    // Another sender is asking about this dump, or has sent it meanwhile.
    if (!TakeSenderGuard() || !IsReportPending(dumpPath))
        return 0;
    if (!ShowMessageBox(BoxKind::Question, QuestionText))
        return 0;
    // The product may crash again while the mail client is open and write a
    // new dump: only the bytes handed off may be marked. A dump that cannot be
    // identified now is gone, or could never be marked once sent.
    const DumpIdentity handedOff = IdentifyDump(dumpPath);
    const SendMailOutcome outcome =
        handedOff.known ? SendReportMail(dumpPath) : SendMailOutcome{HandOff::ReportUnreadable};
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
