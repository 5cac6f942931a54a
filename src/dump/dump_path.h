#pragma once

#include <array>
#include <cstddef>

// The dump's full path, zero-terminated, in the platform's MAX_PATH.
inline constexpr std::size_t DumpPathSize = 260;
using DumpPath = std::array<char, DumpPathSize>;

inline constexpr char CrashDumpFileName[] = "yorv_crash_dump.txt";
