#pragma once

// ASCII's letters in lower case, whatever the locale: the status line's word
// and a locale's name are compared so.
constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
