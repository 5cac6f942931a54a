#pragma once

// A descriptor closed when it goes out of scope. Released for good: the lock,
// which lasts as long as the process, and the standard descriptors.

#include <unistd.h>

#include "common/unique_resource.h"

struct FdTraits {
    static int None() noexcept { return -1; }
    static bool Holds(int fd) noexcept { return fd >= 0; }
    static void Close(int fd) noexcept { close(fd); }
};
using UniqueFd = UniqueResource<FdTraits>;
