#pragma once

// The locale a dialog program will run in, which decides whether the boxes'
// text may be UTF-8: the first of LC_ALL, LC_CTYPE and LANG set, as the
// system has it installed. One named but not installed is the C locale there.

#include <array>
#include <string_view>

// True when the locale that a dialog program runs in reads UTF-8: the one
// that LC_ALL, LC_CTYPE or LANG names, and that is installed on this system.
bool DialogLocaleIsUtf8();

// True when the locale `name` reads text as UTF-8, should it be installed.
bool LocaleNameIsUtf8(std::string_view name);

// The name glibc also looks the locale `name` up by, its codeset in lower case
// without punctuation ("en_US.UTF-8" is also "en_US.utf8"); false when it does
// not fit `normalized`.
using LocaleName = std::array<char, 128>;
bool NormalizeLocaleName(std::string_view name, LocaleName& normalized);
