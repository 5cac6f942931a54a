#pragma once

// Cuts of a string_view that never throw: substr() would bring the exception
// runtime into executables that never throw.

#include <algorithm>
#include <cstddef>
#include <string_view>

// The first `length` characters of `text`, or all of it.
constexpr std::string_view Head(std::string_view text, std::size_t length) {
    return {text.data(), std::min(length, text.size())};
}

// Removes `prefix` from `text` when it starts with it.
constexpr bool RemovePrefix(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix))
        return false;
    text.remove_prefix(prefix.size());
    return true;
}
