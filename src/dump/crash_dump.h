#pragma once

// The dump's rules: when a dump counts, what its status line says, whether it
// is still the report that was handed off, and how it is marked as sent.
// Each call opens and closes the file within itself.

#include <cstddef>
#include <cstdint>
#include <span>

#include "dump/dump_path.h"

// Fills `dumpPath` and returns true when a dump lies there.
bool FindCrashDump(DumpPath& dumpPath);

// True when the report waits to be offered: the status line does not say
// sent, or the dump cannot be read at all. False when it says sent, and while
// another program holds the dump so that it cannot be read: a later run offers it.
bool IsReportPending(const DumpPath& dumpPath);

// The report as it was handed off: its content, by its size and a digest of
// all its bytes. The file's metadata does not count: a chmod, a touch, an
// extended attribute or a copy to an upper layer (overlayfs) leave the same
// report; any change of its bytes makes another one, and so does another
// file in its place, unless it holds exactly the bytes that were handed off.
struct DumpIdentity {
    bool known = false;
    std::uint64_t size = 0;
    std::uint64_t digest = 0;
    friend bool operator==(const DumpIdentity&, const DumpIdentity&) = default;
};

// The dump's identity as it stands now, its whole content read once; not
// `known` when it cannot be opened or read.
DumpIdentity IdentifyDump(const DumpPath& dumpPath);

// The dump's first bytes, as many as `head` holds, and its whole size; not
// `read` when it cannot be opened or read.
struct DumpHeadRead {
    bool read = false;
    std::size_t length = 0;
    std::uint64_t dumpSize = 0;
};
DumpHeadRead ReadDumpHead(const DumpPath& dumpPath, std::span<char> head);

// Rewrites the status line as sent when it is long enough, the dump can be
// written, and it still holds the report `handedOff` describes; silent on
// failure. A dump whose bytes changed since then is a new report and stays
// pending.
void MarkReportSent(const DumpPath& dumpPath, const DumpIdentity& handedOff);
