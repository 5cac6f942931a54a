#include "sender/dialog_text.h"

#include <algorithm>

#include "common/ascii.h"
#include "common/bounded_text.h"

namespace {

bool ContainsIgnoringCase(std::string_view text, std::string_view lowercaseWord) {
    return std::search(text.begin(), text.end(), lowercaseWord.begin(), lowercaseWord.end(),
                       [](char got, char want) { return AsciiLower(got) == want; }) != text.end();
}

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

bool IsCannotOpenDisplayLine(std::string_view line) {
    constexpr std::string_view program = "(zenity:";
    constexpr std::string_view warning = "): Gtk-WARNING **: ";
    // GTK 3's words, then GTK 4's (zenity 4).
    const auto saysSo = [](std::string_view message) {
        return message.starts_with("cannot open display:") || message.starts_with("Failed to open display");
    };
    if (!line.starts_with(program))
        return false;
    line.remove_prefix(program.size());
    line.remove_prefix(std::min(line.find_first_not_of("0123456789"), line.size()));
    if (!line.starts_with(warning))
        return false;
    line.remove_prefix(warning.size());
    if (saysSo(line))
        return true;
    // GTK 3.24 and GTK 4 put the time first: "HH:MM:SS.mmm: ".
    const std::size_t time = line.find(": ");
    if (time == 0 || time == std::string_view::npos ||
        std::string_view(line.data(), time).find_first_not_of("0123456789:.") != std::string_view::npos)
        return false;
    line.remove_prefix(time + 2);
    return saysSo(line);
}
