#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

// The status line is read through a window of at most 255 characters, in
// which a CR LF pair counts as one character. When the window's last
// character is a CR LF pair it spans 256 bytes, so the buffer holds that many.
inline constexpr std::size_t StatusWindowChars = 255;
inline constexpr std::size_t StatusWindowBytes = StatusWindowChars + 1;
using StatusWindow = std::array<char, StatusWindowBytes>;

inline constexpr std::string_view SentStatusMarker = "# status: sent";

struct StatusLine {
    std::string_view text;     // the characters before the line end
    std::size_t lineEndBytes;  // 0: no line end in the window; 1: LF; 2: CR LF
};

// `window` is the file's first bytes, at most StatusWindowBytes of them.
StatusLine ParseStatusLine(std::string_view window);

bool StatusLineSaysSent(StatusLine line);

// True when `text` starts with UTF-16's byte-order mark (FF FE or FE FF).
constexpr bool StartsWithUtf16Mark(std::string_view text) {
    return text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF");
}

// A line is markable when it is longer than the marker, its line end counted
// as one character, and the file does not start with a UTF-16 byte-order
// mark (FF FE or FE FF).
bool IsMarkable(StatusLine line);

// Rewrites the status line in `window` to read as sent, keeping its length
// and line end. Returns the number of bytes to write back at the start of the
// file, or 0 when the line cannot be marked and `window` is left alone.
std::size_t MarkStatusLine(std::span<char> window);
