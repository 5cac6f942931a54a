#pragma once

// Linux: the dump's bytes, exactly, as a block of text in the mail's body.
// Every composer measured changes a body's whitespace (leading spaces
// dropped, runs collapsed, tabs turned into spaces, lines re-wrapped or
// joined); a block that is read without its whitespace survives all of it:
//
//   -----BEGIN YORV CRASH REPORT-----
//   the zlib stream of the bytes in base64url, in lines of 76 characters
//   -----END YORV CRASH REPORT bytes=N crc32=XXXXXXXX-----
//
// N is the number of bytes the block holds, and the CRC-32 theirs, so that
// support's tools can tell a whole block from a damaged one. base64url's
// characters are unreserved in a URL: the block costs no percent-encoding.

#include <cstddef>
#include <span>
#include <string_view>

inline constexpr std::string_view ReportBlockBegin = "-----BEGIN YORV CRASH REPORT-----";
inline constexpr std::string_view ReportBlockEnd = "-----END YORV CRASH REPORT bytes=";
inline constexpr std::size_t ReportBlockLineLength = 76;

// Writes the block of `bytes` into `text`, each line ended by CR LF, and
// returns its length; `zlib` holds the compressed stream meanwhile. 0 when
// the stream does not fit `zlib` or the block does not fit `text`.
std::size_t WriteReportBlock(std::string_view bytes, std::span<char> text, std::span<unsigned char> zlib);
