#pragma once

// Text as a dialog program shows it, and as the mail's body quotes the dump:
// in a character set the reader accepts, each byte it cannot take written as
// \xNN. zenity refuses a whole text for one byte that is not valid UTF-8.

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "common/texts.h"

// Escaped, each byte of a box's text may take four.
inline constexpr std::size_t MaxBoxTextLength = sizeof(BoxText) - 1;
inline constexpr std::size_t MaxDialogTextLength = 4 * MaxBoxTextLength;

// Copies `text` into `out`, writing each byte that the dialog's character set
// cannot take as \xNN: NUL; in UTF-8, invalid and overlong sequences and
// encoded surrogates; otherwise every byte outside ASCII. Returns the length
// written, without a terminator; `out` holds at least 4 * text.size() characters.
std::size_t EscapeDialogText(std::string_view text, bool utf8, std::span<char> out);

// The same for the first character of `text`, which it removes: a whole
// sequence of the character set, or one byte escaped. Returns the length
// written into `out`.
std::size_t EscapeFirstCharacter(std::string_view& text, bool utf8, std::span<char, 4> out);
