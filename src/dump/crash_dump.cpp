#include "dump/crash_dump.h"

#include "dump/status_line.h"

bool FindCrashDump(DumpPath& dumpPath) {
    return LocateCrashDump(dumpPath) && IsDumpEntry(dumpPath);
}

bool IsReportPending(const DumpPath& dumpPath) {
    StatusHead head;
    const DumpHead read = ReadDumpHead(dumpPath, head);
    if (read.result != HeadRead::Read)
        return read.result == HeadRead::Unreadable;
    return !StatusLineSaysSent(ReadStatusLine({head.data(), read.length}));
}

void MarkReportSent(const DumpPath& dumpPath, const DumpIdentity& handedOff) {
    if (handedOff.known)
        RewriteDumpHead(dumpPath, handedOff, &MarkStatusHead);
}
