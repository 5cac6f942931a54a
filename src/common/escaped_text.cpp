#include "common/escaped_text.h"

#include <algorithm>

namespace {

// The length of the valid UTF-8 sequence that starts `text`, or 0.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return lead != 0;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // overlong
        high = lead == 0xED ? 0x9F : 0xBF;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;   // overlong
        high = lead == 0xF4 ? 0x8F : 0xBF;  // beyond U+10FFFF
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    }
    return length;
}

}  // namespace

std::size_t EscapeFirstCharacter(std::string_view& text, bool utf8, std::span<char, 4> out) {
    const auto byte = static_cast<unsigned char>(text[0]);
    const std::size_t fits = utf8 ? Utf8SequenceLength(text) : (byte != 0 && byte < 0x80);
    if (fits > 0) {
        std::copy_n(text.begin(), fits, out.begin());
        text.remove_prefix(fits);
        return fits;
    }
    constexpr char hex[] = "0123456789abcdef";
    const char escaped[] = {'\\', 'x', hex[byte >> 4], hex[byte & 0xF]};
    std::copy_n(escaped, 4, out.begin());
    text.remove_prefix(1);
    return 4;
}

std::size_t EscapeDialogText(std::string_view text, bool utf8, std::span<char> out) {
    std::size_t written = 0;
    while (!text.empty())
        written += EscapeFirstCharacter(text, utf8, out.subspan(written).first<4>());
    return written;
}
