#include "mail/send_mail.h"

#include "common/bounded_text.h"
#include "mail/mapi_error.h"

// Windows names a failure by Simple MAPI's result code. Plain text, built and
// checked on any platform.

void DescribeFailedHandOff(BoxText& message, const SendMailOutcome& outcome, const DumpPath& dumpPath) {
    BoundedText text(message);
    if (outcome.handOff == HandOff::Unavailable) {
        text.Append(MapiLoadFailureText);
        return;
    }
    // A report gone before the hand-off is one that could not be opened to attach.
    constexpr MapiResultCode AttachmentOpenFailure = 12;
    MapiErrorText errorText;
    FormatMapiError(outcome.handOff == HandOff::ReportGone ? AttachmentOpenFailure : outcome.mapiResult, errorText);
    text.Append(SendFailureOpening).Append(MapiErrorCodeLabel).Append(errorText.data());
    text.Append(SendFailureClosing).Append(dumpPath.data());
}
