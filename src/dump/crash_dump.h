#pragma once

#include "dump/dump_path.h"

// Fills `dumpPath` and returns true when a dump lies there.
bool FindCrashDump(DumpPath& dumpPath);

// True when the dump's status line says that the report was sent.
bool IsReportSent(const DumpPath& dumpPath);

// Rewrites the status line as sent when it is long enough; silent on failure.
void MarkReportSent(const DumpPath& dumpPath);
