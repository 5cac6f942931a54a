#include "sender/report_sender.h"

#include "common/bounded_text.h"
#include "common/texts.h"
#include "dump/crash_dump.h"
#include "dump/dump_file.h"
#include "mail/send_mail.h"
#include "sender/message_box.h"
#include "sender/process_setup.h"
#include "sender/sender_guard.h"

namespace {

// Where the user's own file manager finds the dump, as the boxes name it.
DumpPath ShownPath(const DumpPath& dumpPath) {
    DumpPath shownPath;
    DumpPathForUser(dumpPath, shownPath);
    return shownPath;
}

// A box's text that ends with where the user finds the dump.
BoxOutcome ShowWithPath(BoxKind kind, const char* opening, const char* lead, const DumpPath& dumpPath) {
    BoxText text;
    BoundedText(text).Append(opening).Append(lead).Append(ShownPath(dumpPath).data());
    return ShowMessageBox(kind, text.data());
}

void ShowFailedHandOff(const SendMailOutcome& outcome, const DumpPath& dumpPath) {
    BoxText message;
    DescribeFailedHandOff(message, outcome, ShownPath(dumpPath));
    ShowMessageBox(outcome.handOff == HandOff::Unavailable ? BoxKind::LoadFailure : BoxKind::SendFailure,
                   message.data());
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
    const BoxOutcome question = ShowMessageBox(BoxKind::Question, QuestionText);
    if (question.shownIn == ShownIn::Nowhere)
        ShowWithPath(BoxKind::Unasked, UnaskedText, "", dumpPath);
    if (!question.yes)
        return 0;
    // The product may crash again while the mail client is open and write a
    // new dump: only the bytes handed off may be marked. A dump that cannot be
    // identified now is gone, or could never be marked once sent.
    const DumpIdentity handedOff = IdentifyDump(dumpPath);
    const AnswersOn answersOn = question.shownIn == ShownIn::Terminal ? AnswersOn::Terminal : AnswersOn::Window;
    const SendMailOutcome outcome =
        handedOff.known ? SendReportMail(dumpPath, answersOn) : SendMailOutcome{HandOff::ReportUnreadable};
    switch (outcome.handOff) {
    case HandOff::Accepted:
        MarkReportSent(dumpPath, handedOff);
        break;
    case HandOff::Started:
        // Only the user knows whether the mail program sent it.
        if (ShowWithPath(BoxKind::SentQuestion, SentQuestionText, SentQuestionPathLeads[outcome.attached], dumpPath).yes)
            MarkReportSent(dumpPath, handedOff);
        break;
    default:
        ShowFailedHandOff(outcome, dumpPath);
    }
    return 0;
}
