#pragma once

// The platform side of the dump: where it lies and how its first bytes are
// read and rewritten. Every call opens and closes the file within itself.

#include <cstddef>
#include <span>

#include "dump/dump_path.h"
#include "dump/status_line.h"

// Fills `dumpPath` with the temporary directory and the dump's name. False
// when the platform reports no temporary directory or the name does not fit.
bool LocateCrashDump(DumpPath& dumpPath);

// True when the entry at `dumpPath` may be taken for the dump.
bool IsDumpEntry(const DumpPath& dumpPath);

// Reads the first bytes into `head`; returns how many, or -1 when the dump
// cannot be opened.
std::ptrdiff_t ReadDumpHead(const DumpPath& dumpPath, StatusHead& head);

// Edits the first bytes in place; returns how many to write back, 0 for none.
using DumpHeadEditor = std::size_t (*)(std::span<char> head);

// Opens a writable dump for update without creating it, reads its first
// bytes, lets `edit` change them and writes them back at the start.
void RewriteDumpHead(const DumpPath& dumpPath, DumpHeadEditor edit);
