#include "mail/mapi_error.h"

#include <cstdio>

void FormatMapiError(MapiResultCode code, MapiErrorText& text) {
    const int number = static_cast<int>(code);
    if (code < MapiErrorNames.size() && !MapiErrorNames[code].empty()) {
        const std::string_view name = MapiErrorNames[code];
        std::snprintf(text.data(), text.size(), "%.*s(%d)", static_cast<int>(name.size()),
                      name.data(), number);
    } else {
        std::snprintf(text.data(), text.size(), "%d", number);
    }
}

void ComposeMapiFailureText(FailureMessage& message, SendMailOutcome outcome, const DumpPath& dumpPath) {
    if (outcome.handOff == HandOff::Unavailable) {
        std::snprintf(message.data(), message.size(), "%s", MapiLoadFailureText);
        return;
    }
    MapiErrorText errorText;
    FormatMapiError(outcome.code, errorText);
    std::snprintf(message.data(), message.size(), MapiFailureFormat, errorText.data(), dumpPath.data());
}
