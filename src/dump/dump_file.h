#pragma once

// The platform's part of the dump: where it lies, and the few file operations
// that the dump's rules (crash_dump.cpp) are written over. Each platform opens
// the dump with its own checks and waits; everything the rules decide stands
// above this seam, once for both.

#include <cstddef>
#include <cstdint>
#include <span>

#include "dump/dump_path.h"

#if defined(_WIN32)
#include "win/unique_handle.h"
using DumpFile = UniqueHandle;  // closed when it goes out of scope
#else
#include "posix/unique_fd.h"
using DumpFile = UniqueFd;  // closed when it goes out of scope
#endif

// Fills `dumpPath` with the temporary directory and the dump's name. False
// when the platform reports no temporary directory or the name does not fit.
bool MakeDumpPath(DumpPath& dumpPath);

// True when the entry at `dumpPath` may be taken for the dump.
bool IsDumpEntry(const DumpPath& dumpPath);

enum class DumpAccess {
    Read,
    Update,  // read and write, without creating or truncating
};

enum class DumpOpen {
    Opened,
    Refused,  // not there, not the user's own file, or not writable for an update
    Busy,     // another program holds it so that it cannot be opened now (Windows)
};

// Opens the dump into `file` with the platform's checks: on Linux only a
// regular file of the user's own, not reached through a link; on Windows
// sharing it in every way, and waiting a while when another program holds it.
DumpOpen OpenDump(const DumpPath& dumpPath, DumpAccess access, DumpFile& file);

// One read or write at `offset`, which may move fewer bytes than asked: the
// number moved, 0 at the end of the file (reading), or -1 on an error.
std::ptrdiff_t ReadDumpAt(const DumpFile& file, std::span<char> buffer, std::uint64_t offset);
std::ptrdiff_t WriteDumpAt(const DumpFile& file, std::span<const char> bytes, std::uint64_t offset);
