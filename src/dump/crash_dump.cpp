#include "dump/crash_dump.h"

#include "dump/status_line.h"

bool FindCrashDump(DumpPath& dumpPath) {
    return MakeDumpPath(dumpPath) && IsDumpEntry(dumpPath);
}

bool IsReportPending(const DumpPath& dumpPath) {
    StatusWindow window;
    const WindowRead read = ReadStatusWindow(dumpPath, window);
    if (read.result != WindowRead::Read)
        return read.result == WindowRead::Unreadable;
    return !StatusLineSaysSent(ParseStatusLine({window.data(), read.length}));
}

void MarkReportSent(const DumpPath& dumpPath, const DumpIdentity& handedOff) {
    if (handedOff.known)
        RewriteStatusLineAsSent(dumpPath, handedOff);
}
