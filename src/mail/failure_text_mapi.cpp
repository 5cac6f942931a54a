#include "mail/send_mail.h"

#include "common/bounded_text.h"
#include "mail/failure_text.h"
#include "mail/mapi_error.h"

// Windows names a failure by Simple MAPI's result code. Plain text, built and
// checked on any platform.

void DescribeFailedHandOff(BoxText& message, const SendMailOutcome& outcome, const DumpPath& dumpPath) {
    if (outcome.handOff == HandOff::Unavailable) {
        BoundedText(message).Append(MapiLoadFailureText);
        return;
    }
    // A report that could not be read before the hand-off is one that could not be opened to attach.
    constexpr MapiResultCode AttachmentOpenFailure = 12;
    MapiErrorText errorText;
    FormatMapiError(outcome.handOff == HandOff::ReportUnreadable ? AttachmentOpenFailure : outcome.mapiResult,
                    errorText);
    ComposeSendFailure(message, dumpPath, [&](BoundedText& text) {
        text.Append(MapiErrorCodeLabel).Append(errorText.data());
    });
}
