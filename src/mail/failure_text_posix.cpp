#include "mail/send_mail.h"

#include <iterator>

#include "common/bounded_text.h"
#include "mail/failure_text.h"

// Linux names a failure by what became of xdg-email.

namespace {

void AppendReason(BoundedText& text, const SendMailOutcome& outcome) {
    if (outcome.handOff == HandOff::Unavailable)
        text.Append(NoMailProgramReason);
    else if (outcome.handOff == HandOff::ReportUnreadable)
        text.Append(ReportUnreadableReason);
    else if (outcome.signal != 0)
        text.Append(XdgEmailSignalReason).AppendDecimal(outcome.signal);
    else if (outcome.exitStatus < static_cast<int>(std::size(XdgEmailStatusReasons)) &&
             *XdgEmailStatusReasons[outcome.exitStatus] != '\0')
        text.Append(XdgEmailStatusReasons[outcome.exitStatus]);
    else
        text.Append(XdgEmailFailedReason).AppendDecimal(outcome.exitStatus).Append(")");
}

}  // namespace

void DescribeFailedHandOff(BoxText& message, const SendMailOutcome& outcome, const DumpPath& dumpPath) {
    ComposeSendFailure(message, dumpPath, [&](BoundedText& text) { AppendReason(text, outcome); });
}
