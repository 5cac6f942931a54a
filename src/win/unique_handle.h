#pragma once

// A kernel handle closed when it goes out of scope. Null and
// INVALID_HANDLE_VALUE both hold none: the calls that open things fail with
// one or the other.

#include <windows.h>

#include "common/unique_resource.h"

struct HandleTraits {
    static HANDLE None() noexcept { return nullptr; }
    static bool Holds(HANDLE handle) noexcept { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) noexcept { CloseHandle(handle); }
};
using UniqueHandle = UniqueResource<HandleTraits>;
