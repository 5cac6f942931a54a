#include "sender/dialog_locale.h"

#include <algorithm>

#include "common/ascii.h"
#include "common/bounded_text.h"

namespace {

bool ContainsIgnoringCase(std::string_view text, std::string_view lowercaseWord) {
    return std::search(text.begin(), text.end(), lowercaseWord.begin(), lowercaseWord.end(),
                       [](char got, char want) { return AsciiLower(got) == want; }) != text.end();
}

}  // namespace

bool LocaleNameIsUtf8(std::string_view name) {
    return ContainsIgnoringCase(name, "utf-8") || ContainsIgnoringCase(name, "utf8");
}

bool NormalizeLocaleName(std::string_view name, LocaleName& normalized) {
    const std::size_t dot = name.find('.');
    const std::size_t at = std::min(name.find('@', dot == std::string_view::npos ? 0 : dot), name.size());
    BoundedText out(normalized);
    if (dot == std::string_view::npos || dot > at)
        return !out.Append(name).Overflowed();
    const std::string_view codeset(name.data() + dot + 1, at - dot - 1);
    out.Append({name.data(), dot + 1});
    if (codeset.find_first_not_of("0123456789") == std::string_view::npos)
        out.Append("iso");
    for (const char c : codeset) {
        const char lower = AsciiLower(c);
        if ((lower >= '0' && lower <= '9') || (lower >= 'a' && lower <= 'z'))
            out.Append({&lower, 1});
    }
    return !out.Append({name.data() + at, name.size() - at}).Overflowed();
}
