#pragma once

// The platform's part of the dump: where it lies, and the few file operations
// that the dump's rules (crash_dump.cpp) are written over. Each platform opens
// the dump with its own checks and says whether it is busy or refused; the
// waits and everything else the rules decide stand above this seam, once for both.

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

// The dump's path as the user's own file manager finds it, to be shown and
// put in the mail: inside a Flatpak, where the host keeps the sandbox's /tmp.
void DumpPathForUser(const DumpPath& dumpPath, DumpPath& forUser);

enum class DumpAccess {
    Read,
    Update,  // read and write, without creating or truncating
};

enum class DumpOpen {
    Opened,
    Refused,  // not there, not the user's own regular file, or refused for what it is
    Busy,     // held by another program for now (its sharing, a lease being broken), or
              // the system could open nothing just now (out of descriptors or memory)
};

// Opens the dump into `file` once, with the platform's checks: on Linux only a
// regular file of the user's own, not reached through a link; on Windows
// sharing it in every way.
DumpOpen OpenDump(const DumpPath& dumpPath, DumpAccess access, DumpFile& file);

// True when the opened dump is marked read-only: without its owner's write
// bit (Linux), or with the read-only attribute (Windows); also when that
// cannot be told.
bool IsMarkedReadOnly(const DumpFile& file);

// The opened dump's size; false when it cannot be told.
bool DumpFileSize(const DumpFile& file, std::uint64_t& size);

// Waits before the dump is tried again while it is busy.
void PauseBeforeOpeningAgain(unsigned milliseconds);

// One read or write at `offset`, which may move fewer bytes than asked: the
// number moved, 0 at the end of the file (reading), or -1 on an error.
std::ptrdiff_t ReadDumpAt(const DumpFile& file, std::span<char> buffer, std::uint64_t offset);
std::ptrdiff_t WriteDumpAt(const DumpFile& file, std::span<const char> bytes, std::uint64_t offset);
