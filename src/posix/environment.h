#pragma once

#include <cstdlib>
#include <initializer_list>

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
