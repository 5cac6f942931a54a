#pragma once

// The platform side of the dump: where it lies and how its status line is
// read and rewritten. Every call opens and closes the file within itself.

#include <cstddef>
#include <cstdint>

#include "dump/dump_path.h"
#include "dump/status_line.h"

// Fills `dumpPath` with the temporary directory and the dump's name. False
// when the platform reports no temporary directory or the name does not fit.
bool MakeDumpPath(DumpPath& dumpPath);

// True when the entry at `dumpPath` may be taken for the dump.
bool IsDumpEntry(const DumpPath& dumpPath);

// What reading the status line's window found.
struct WindowRead {
    enum Result {
        Read,        // `length` bytes are in the window
        Unreadable,  // the dump cannot be opened or read
        Busy,        // another program holds it so that it cannot be read now (Windows)
    } result;
    std::size_t length;
};

WindowRead ReadStatusWindow(const DumpPath& dumpPath, StatusWindow& window);

// Which file the dump is and how it stood. A dump replaced by a new file, or
// rewritten in place, differs in at least one field: the file's identity, its
// size, its times (on Linux the change time, which no writer can set back) or,
// where times are whole seconds, the digest of its content.
struct DumpIdentity {
    bool known = false;
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    std::int64_t modifiedFraction = 0;
    std::int64_t changed = 0;
    std::int64_t changedFraction = 0;
    std::uint64_t digest = 0;
    friend bool operator==(const DumpIdentity&, const DumpIdentity&) = default;
};

// The dump's identity as it stands now, its whole content read once; not
// `known` when it cannot be opened or read.
DumpIdentity IdentifyDump(const DumpPath& dumpPath);

// Opens a writable dump for update without creating it and, when it is still
// the file `expected` describes, unchanged, rewrites its status line as sent
// when the line is long enough.
void RewriteStatusLineAsSent(const DumpPath& dumpPath, const DumpIdentity& expected);
