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

// True when `visit` holds for an entry of the `separator`-separated `list`
// (PATH and LOCPATH by colons, a desktop file's categories by semicolons),
// empty entries among them; asked in order, until one holds.
template <typename Visit>
bool AnyEntryOf(std::string_view list, char separator, Visit visit) {
    while (true) {
        const std::size_t end = std::min(list.find(separator), list.size());
        if (visit(std::string_view(list.data(), end)))
            return true;
        if (end == list.size())
            return false;
        list.remove_prefix(end + 1);
    }
}
