#pragma once

#include "dump/dump_file.h"
#include "dump/dump_path.h"

// Fills `dumpPath` and returns true when a dump lies there.
bool FindCrashDump(DumpPath& dumpPath);

// True when the report waits to be offered: the status line does not say
// sent, or the dump cannot be read at all. False when it says sent, and while
// another program holds the dump so that it cannot be read: a later run offers it.
bool IsReportPending(const DumpPath& dumpPath);

// Rewrites the status line as sent when it is long enough and the dump is
// still the one `handedOff` describes; silent on failure. A dump replaced or
// rewritten since then is a new report and stays pending.
void MarkReportSent(const DumpPath& dumpPath, const DumpIdentity& handedOff);
