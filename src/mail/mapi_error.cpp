#include "mail/mapi_error.h"

#include "mail/failure_text.h"

void FormatMapiError(MapiResultCode code, MapiErrorText& text) {
    TextCursor out{text};
    // As a signed number: 0xFFFFFFFF reads -1.
    const auto number = static_cast<std::int32_t>(code);
    if (code < MapiErrorNames.size() && *MapiErrorNames[code] != '\0') {
        Append(out, MapiErrorNames[code]);
        Append(out, "(");
        AppendDecimal(out, number);
        Append(out, ")");
    } else {
        AppendDecimal(out, number);
    }
}

void ComposeMapiFailureText(FailureMessage& message, SendMailOutcome outcome, const DumpPath& dumpPath) {
    if (outcome.handOff == HandOff::Unavailable) {
        TextCursor text{message};
        Append(text, MapiLoadFailureText);
        return;
    }
    std::array<char, sizeof MapiErrorCodeLabel + sizeof(MapiErrorText)> reason;
    TextCursor out{reason};
    MapiErrorText errorText;
    FormatMapiError(outcome.code, errorText);
    Append(out, MapiErrorCodeLabel);
    Append(out, errorText.data());
    ComposeFailureText(message, {reason.data(), out.length}, dumpPath);
}
