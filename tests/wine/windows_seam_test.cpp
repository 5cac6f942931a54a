// Rows over the Windows system calls, run under Wine: this program is linked
// with -Wl,--wrap for the import of each call replaced below, so a row can
// keep the dump busy, make reads and writes short or failing, and count the
// waits. Ends with "N rows, none failed", or names each row that failed.
#include <windows.h>

#include <cstdio>
#include <string>
#include <tuple>

#include "dump/crash_dump.h"
#include "sender/sender_guard.h"

namespace {
struct Faults {
    int refusedOpens = 0;  // opens refused with `error` before one is let through; -1: every one
    DWORD error = ERROR_SHARING_VIOLATION;
    bool shortReads = false, failedReads = false, shortWrites = false, failedWrites = false;
} faults;
DWORD slept = 0, mutexError = 0, everyShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
HANDLE mutex = nullptr;
int checks = 0, failed = 0;

void Check(bool held, const char* row, const char* what) {
    ++checks;
    if (!held)
        std::printf("failed: %s: %s\n", row, what), ++failed;
}
}  // namespace

#define REAL(name) extern "C" decltype(&name) __real___imp_##name;
#define REPLACE(name, replacement) extern "C" { decltype(&name) __wrap___imp_##name = replacement; }
REAL(CreateFileA) REAL(ReadFile) REAL(WriteFile)

HANDLE WINAPI Open(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD how, DWORD flags,
                   HANDLE model) {
    everyShare &= share;
    if (faults.refusedOpens == 0)
        return __real___imp_CreateFileA(path, access, share, security, how, flags, model);
    faults.refusedOpens -= faults.refusedOpens > 0;
    return SetLastError(faults.error), INVALID_HANDLE_VALUE;
}
BOOL WINAPI Read(HANDLE file, LPVOID buffer, DWORD size, LPDWORD got, LPOVERLAPPED at) {
    return faults.failedReads ? (SetLastError(ERROR_CRC), FALSE)
                              : __real___imp_ReadFile(file, buffer, faults.shortReads ? 1 : size, got, at);
}
BOOL WINAPI Write(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD put, LPOVERLAPPED at) {
    return faults.failedWrites ? (SetLastError(ERROR_DISK_FULL), FALSE)
                               : __real___imp_WriteFile(file, bytes, faults.shortWrites ? 1 : size, put, at);
}
VOID WINAPI CountSleep(DWORD milliseconds) { slept += milliseconds; }
HANDLE WINAPI Mutex(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR) { return SetLastError(mutexError), mutex; }
REPLACE(CreateFileA, Open) REPLACE(ReadFile, Read) REPLACE(WriteFile, Write) REPLACE(Sleep, CountSleep)
REPLACE(CreateMutexA, Mutex)

int main() {
    const std::string pending = "# status: pending\r\nrest\r\n", marked = "# status: sent   \r\nrest\r\n";
    const Faults denied = {.refusedOpens = -1, .error = ERROR_ACCESS_DENIED};
    // The faults while the status line is read, and while it is marked.
    const struct { const char* name; Faults reading, marking; bool pending; DWORD readWait;
                   const std::string& after; DWORD markWait; } rows[] = {
        {"free", {}, {}, true, 0, marked, 0},
        {"busy a moment", {.refusedOpens = 3}, {.refusedOpens = 3, .error = ERROR_LOCK_VIOLATION}, true, 300, marked, 300},
        {"denied: no wait", denied, denied, true, 0, pending, 0},
        {"reads of one byte", {.shortReads = true}, {.shortReads = true}, true, 0, marked, 0},
        {"reads that fail", {.failedReads = true}, {.failedReads = true}, true, 0, pending, 0},
        {"writes of one byte", {}, {.shortWrites = true}, true, 0, marked, 0},
        {"a write that fails", {}, {.failedWrites = true}, true, 0, pending, 0},
    };
    std::string path(MAX_PATH, '\0');
    path = path.substr(0, GetTempPathA(MAX_PATH, path.data())) + "yorv_crash_dump.txt";
    for (const auto& row : rows) {
        if (std::FILE* file = std::fopen(path.c_str(), "wb"))
            std::fwrite(pending.data(), 1, pending.size(), file), std::fclose(file);
        DumpPath dumpPath;
        Check(FindCrashDump(dumpPath), row.name, "found");
        faults = row.reading, slept = 0;
        Check(IsReportPending(dumpPath) == row.pending, row.name, "pending");
        Check(slept == row.readWait, row.name, "the wait to read");
        const bool identifiable = faults.refusedOpens == 0 && !faults.failedReads;  // what is left of the faults
        Check(IdentifyDump(dumpPath).known == identifiable, row.name, "identified");
        faults = {};
        const DumpIdentity handedOff = IdentifyDump(dumpPath);
        faults = row.marking, slept = 0;
        MarkReportSent(dumpPath, handedOff);
        Check(slept == row.markWait, row.name, "the wait to mark");
        std::string after(64, '\0');
        if (std::FILE* file = std::fopen(path.c_str(), "rb"))
            after.resize(std::fread(after.data(), 1, after.size(), file)), std::fclose(file);
        Check(after == row.after, row.name, "what the dump holds");
    }
    Check(everyShare == (FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE), "every open", "shares all");
    // The guard: another sender's mutex, or one this user may not open, counts as taken.
    for (const auto& [handle, error, taken] : {std::tuple{HANDLE(1), DWORD(0), true},
                                               {HANDLE(1), DWORD(ERROR_ALREADY_EXISTS), false},
                                               {HANDLE(nullptr), DWORD(ERROR_ACCESS_DENIED), false},
                                               {HANDLE(nullptr), DWORD(ERROR_INVALID_NAME), true}}) {
        mutex = handle, mutexError = error;
        Check(TakeSenderGuard() == taken, "the guard", std::to_string(error).c_str());
    }
    if (failed == 0)
        std::printf("%d rows, none failed\n", checks);
    return failed != 0;
}
