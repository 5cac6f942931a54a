#pragma once

// What a Linux dialog tool is given and what it says back, as plain text
// functions: the box's text in a character set the tool accepts, and
// zenity's own word that it could not open the display.

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "common/texts.h"

// Escaped, each byte of a box's text may take four.
inline constexpr std::size_t MaxBoxTextLength = sizeof(BoxText) - 1;
inline constexpr std::size_t MaxDialogTextLength = 4 * MaxBoxTextLength;

// True when the locale `name` reads text as UTF-8, should it be installed.
bool LocaleNameIsUtf8(std::string_view name);

// The name glibc also looks the locale `name` up by, its codeset in lower case
// without punctuation ("en_US.UTF-8" is also "en_US.utf8"); false when it does
// not fit `normalized`.
using LocaleName = std::array<char, 128>;
bool NormalizeLocaleName(std::string_view name, LocaleName& normalized);

// Copies `text` into `out`, writing each byte that the dialog's character set
// cannot take as \xNN: NUL; in UTF-8, invalid and overlong sequences and
// encoded surrogates; otherwise every byte outside ASCII. Returns the length
// written, without a terminator; `out` holds at least 4 * text.size() characters.
std::size_t EscapeDialogText(std::string_view text, bool utf8, std::span<char> out);

// The same for the first character of `text`, which it removes: a whole
// sequence of the character set, or one byte escaped. Returns the length
// written into `out`.
std::size_t EscapeFirstCharacter(std::string_view& text, bool utf8, std::span<char, 4> out);

// True for GTK's "(zenity:PID): Gtk-WARNING **: HH:MM:SS.mmm: cannot open
// display: NAME" and GTK 4's "... Failed to open display", with or without the time.
bool IsCannotOpenDisplayLine(std::string_view line);
