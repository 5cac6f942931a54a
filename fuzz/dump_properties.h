#pragma once

// What reading and marking promise for any bytes in the dump, checked through
// the platform's own file code: the size and every byte past the status line
// stay; a markable line ends up saying sent; marking twice is marking once; an
// unmarkable line leaves the file as it was.

#include <string_view>

#include "dump/dump_path.h"

// Writes `input` to `scratchDump`, reads and marks it, and removes it again.
// Returns the promise that was broken, or null when all held.
const char* BrokenDumpProperty(std::string_view input, const DumpPath& scratchDump);
