#pragma once

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

// The value of the first of `names` that is set and not empty, or nullptr:
// the first one set decides, with no fall-through to the next, as glibc and
// the tools around us read TMPDIR and the locale's variables.
inline const char* FirstSetVariable(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return nullptr;
}

// True when `visit` holds for an entry of the colon-separated `list` (PATH,
// LOCPATH), empty entries among them; asked in order, until one holds.
template <typename Visit>
bool AnyEntryOf(std::string_view list, Visit visit) {
    while (true) {
        const std::size_t colon = std::min(list.find(':'), list.size());
        if (visit(std::string_view(list.data(), colon)))
            return true;
        if (colon == list.size())
            return false;
        list.remove_prefix(colon + 1);
    }
}
