#pragma once

// Composing the failure box's text in its fixed buffer, without a printf
// engine: plain copies and decimal numbers. What does not fit is cut.

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>

#include "dump/dump_path.h"
#include "mail/send_mail.h"

// A zero-terminated text being written into `buffer`.
struct TextCursor {
    std::span<char> buffer;
    std::size_t length = 0;
};

inline void Append(TextCursor& text, std::string_view part) {
    const std::size_t room = text.buffer.size() - 1 - text.length;
    const std::size_t taken = std::min(part.size(), room);
    std::copy_n(part.begin(), taken, text.buffer.begin() + static_cast<std::ptrdiff_t>(text.length));
    text.length += taken;
    text.buffer[text.length] = '\0';
}

// Written out by hand: std::to_chars brings a table of digit pairs along.
inline void AppendDecimal(TextCursor& text, std::int32_t number) {
    char digits[11];  // "-2147483648"
    char* first = digits + sizeof digits;
    std::uint32_t magnitude = number < 0 ? 0u - static_cast<std::uint32_t>(number) : static_cast<std::uint32_t>(number);
    do
        *--first = static_cast<char>('0' + magnitude % 10);
    while ((magnitude /= 10) != 0);
    if (number < 0)
        *--first = '-';
    Append(text, std::string_view(first, static_cast<std::size_t>(digits + sizeof digits - first)));
}

// "Failed to send e-mail message.", the reason, and where the report lies.
inline void ComposeFailureText(FailureMessage& message, std::string_view reason, const DumpPath& dumpPath) {
    TextCursor text{message};
    Append(text, "Failed to send e-mail message.\n");
    Append(text, reason);
    Append(text, ".\n\nError report saved to file:\n");
    Append(text, dumpPath.data());
}
