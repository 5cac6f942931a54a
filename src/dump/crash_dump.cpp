#include "dump/crash_dump.h"

#include "dump/status_line.h"

bool FindCrashDump(DumpPath& dumpPath) {
    return LocateCrashDump(dumpPath) && IsDumpEntry(dumpPath);
}

bool IsReportSent(const DumpPath& dumpPath) {
    StatusHead head;
    const std::ptrdiff_t read = ReadDumpHead(dumpPath, head);
    if (read <= 0)
        return false;
    return StatusLineSaysSent(ReadStatusLine({head.data(), static_cast<std::size_t>(read)}));
}

void MarkReportSent(const DumpPath& dumpPath, const DumpIdentity& handedOff) {
    if (handedOff.known)
        RewriteDumpHead(dumpPath, handedOff, &MarkStatusHead);
}
