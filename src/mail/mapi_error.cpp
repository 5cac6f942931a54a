#include "mail/mapi_error.h"

#include "common/bounded_text.h"

void FormatMapiError(MapiResultCode code, MapiErrorText& text) {
    BoundedText out(text);
    // As a signed number: 0xFFFFFFFF reads -1.
    const auto number = static_cast<std::int32_t>(code);
    if (code < MapiErrorNames.size() && *MapiErrorNames[code] != '\0')
        out.Append(MapiErrorNames[code]).Append("(").AppendDecimal(number).Append(")");
    else
        out.AppendDecimal(number);
}
