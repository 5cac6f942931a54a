#pragma once

#include <limits.h>

#include <array>

// A program's full path. A PATH entry too long for it counts as absent.
using ProgramPath = std::array<char, PATH_MAX>;

// Finds an executable `name` in PATH's absolute entries and stores its full
// path in `found`.
bool FindProgramOnPath(const char* name, ProgramPath& found);
