#include "dump/status_line.h"

#include <algorithm>

#include "common/ascii.h"
#include "common/text_cuts.h"

StatusLine ParseStatusLine(std::string_view window) {
    window = Head(window, StatusWindowBytes);
    if (const auto lf = window.find('\n'); lf != std::string_view::npos) {
        const bool crlf = lf > 0 && window[lf - 1] == '\r';
        const std::size_t textLength = crlf ? lf - 1 : lf;
        if (textLength + 1 <= StatusWindowChars)
            return {Head(window, textLength), crlf ? 2u : 1u};
    }
    return {Head(window, StatusWindowChars), 0};
}

bool StatusLineSaysSent(StatusLine line) {
    constexpr std::string_view key = "status:";
    constexpr std::string_view sent = "sent";
    std::string_view text = line.text;
    const auto at = text.find(key);
    if (at == std::string_view::npos)
        return false;
    text.remove_prefix(at + key.size());
    text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
    return text.size() >= sent.size() &&
           std::equal(sent.begin(), sent.end(), text.begin(),
                      [](char want, char got) { return want == AsciiLower(got); });
}

bool IsMarkable(StatusLine line) {
    // A file that starts with UTF-16's byte-order mark is text the marker
    // would garble: it is never rewritten.
    if (StartsWithUtf16Mark(line.text))
        return false;
    const std::size_t length = line.text.size() + (line.lineEndBytes ? 1 : 0);
    return length > SentStatusMarker.size();
}

std::size_t MarkStatusLine(std::span<char> window) {
    const StatusLine line = ParseStatusLine({window.data(), window.size()});
    if (!IsMarkable(line))
        return 0;
    // A markable line holds at least the marker's length before its line end.
    const auto text = window.first(line.text.size());
    std::fill(std::copy(SentStatusMarker.begin(), SentStatusMarker.end(), text.begin()),
              text.end(), ' ');
    return line.text.size() + line.lineEndBytes;
}
