#include "dump/dump_file.h"

#include <windows.h>

#include "common/bounded_text.h"
#include "dump/content_digest.h"

// The file is read and written through its handle, byte for byte: the line
// ends are handled by the status line's own rules, so a line read as LF alone
// is never written back as CR LF.

namespace {

// Another program may hold the dump without sharing it with us: the product
// still writing it, a mail client or a scanner reading it. That passes.
constexpr DWORD RetryMilliseconds = 100;
constexpr DWORD ReadWaitMilliseconds = 2000;
constexpr DWORD MarkWaitMilliseconds = 10000;

// Opens the dump, sharing it in every way so that no other program waits for
// us. While another program's own sharing keeps it from opening, tries again
// for about `waitMilliseconds`; `busy` then says whether that was the cause.
HANDLE OpenDump(const DumpPath& dumpPath, DWORD access, DWORD waitMilliseconds, bool& busy) {
    for (DWORD waited = 0;; waited += RetryMilliseconds) {
        const HANDLE file = CreateFileA(dumpPath.data(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD error = GetLastError();
        busy = file == INVALID_HANDLE_VALUE && (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION);
        if (!busy || waited >= waitMilliseconds)
            return file;
        Sleep(RetryMilliseconds);
    }
}

// Reads from the file's current position until `buffer` is full or the file
// ends; -1 on an error.
std::ptrdiff_t ReadFully(HANDLE file, std::span<char> buffer) {
    std::size_t filled = 0;
    DWORD got = 1;
    while (filled < buffer.size() && got > 0) {
        if (!ReadFile(file, buffer.data() + filled, static_cast<DWORD>(buffer.size() - filled), &got, nullptr))
            return -1;
        filled += got;
    }
    return static_cast<std::ptrdiff_t>(filled);
}

bool Rewind(HANDLE file) {
    return SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

// True when the ANSI code page holds every character of `path`: the narrow
// calls then see the folder as it is, not a best-fit spelling of it.
bool FitsAnsiCodePage(const wchar_t* path) {
    if (GetACP() == CP_UTF8)  // holds everything, and refuses the flag below
        return true;
    char narrow[2 * (MAX_PATH + 1)];
    BOOL usedDefault = FALSE;
    return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path, -1, narrow, sizeof narrow, nullptr,
                               &usedDefault) > 0 &&
           !usedDefault;
}

// The folder's short (8.3) form, when it is plain ASCII. Where a volume has
// no short names the call succeeds with the long path, so its result is
// checked, not only its success.
bool AsciiShortFolder(const wchar_t* folder, DumpPath& dumpPath) {
    wchar_t shortFolder[MAX_PATH];
    const DWORD length = GetShortPathNameW(folder, shortFolder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || shortFolder[length - 1] != L'\\')
        return false;
    for (DWORD i = 0; i <= length; ++i) {
        if (shortFolder[i] > 0x7F)
            return false;
        dumpPath[i] = static_cast<char>(shortFolder[i]);
    }
    return true;
}

// The identity of the open dump, its content read from start to end.
DumpIdentity IdentityOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info;
    std::uint64_t digest;
    if (!GetFileInformationByHandle(file, &info) || !Rewind(file) ||
        !DigestWholeFile([&](std::span<char> buffer) { return ReadFully(file, buffer); }, digest))
        return {};
    const auto join = [](DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; };
    return {
        .known = true,
        .volume = info.dwVolumeSerialNumber,
        .file = join(info.nFileIndexHigh, info.nFileIndexLow),
        .size = join(info.nFileSizeHigh, info.nFileSizeLow),
        .modified = static_cast<std::int64_t>(join(info.ftLastWriteTime.dwHighDateTime,
                                                   info.ftLastWriteTime.dwLowDateTime)),
        .digest = digest,
    };
}

}  // namespace

bool MakeDumpPath(DumpPath& dumpPath) {
    DWORD length = GetTempPathA(static_cast<DWORD>(dumpPath.size()), dumpPath.data());
    if (length == 0 || length >= dumpPath.size())
        return false;
    // A folder the code page cannot spell: the narrow path names another
    // folder, or none. Its short form is plain ASCII, which every later call
    // and every mail client reads intact.
    wchar_t wideFolder[MAX_PATH + 1];
    const DWORD wideLength = GetTempPathW(MAX_PATH + 1, wideFolder);
    if (wideLength > 0 && wideLength <= MAX_PATH && !FitsAnsiCodePage(wideFolder)) {
        if (!AsciiShortFolder(wideFolder, dumpPath))
            return false;
        length = static_cast<DWORD>(lstrlenA(dumpPath.data()));
    }
    if (!BoundedText(dumpPath, length).HasRoomFor(CrashDumpFileName))
        return false;
    lstrcatA(dumpPath.data(), CrashDumpFileName);
    return true;
}

bool IsDumpEntry(const DumpPath& dumpPath) {
    const DWORD attributes = GetFileAttributesA(dumpPath.data());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

WindowRead ReadStatusWindow(const DumpPath& dumpPath, StatusWindow& window) {
    bool busy;
    const HANDLE file = OpenDump(dumpPath, GENERIC_READ, ReadWaitMilliseconds, busy);
    if (file == INVALID_HANDLE_VALUE)
        return {busy ? WindowRead::Busy : WindowRead::Unreadable, 0};
    const std::ptrdiff_t read = ReadFully(file, window);
    CloseHandle(file);
    if (read < 0)
        return {WindowRead::Unreadable, 0};
    return {WindowRead::Read, static_cast<std::size_t>(read)};
}

DumpIdentity IdentifyDump(const DumpPath& dumpPath) {
    bool busy;
    const HANDLE file = OpenDump(dumpPath, GENERIC_READ, ReadWaitMilliseconds, busy);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    const DumpIdentity identity = IdentityOf(file);
    CloseHandle(file);
    return identity;
}

void RewriteStatusLineAsSent(const DumpPath& dumpPath, const DumpIdentity& expected) {
    // Checked rather than left to the open: some hosts (Wine as root) grant
    // write access to a read-only file.
    const DWORD attributes = GetFileAttributesA(dumpPath.data());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return;
    bool busy;
    const HANDLE file = OpenDump(dumpPath, GENERIC_READ | GENERIC_WRITE, MarkWaitMilliseconds, busy);
    if (file == INVALID_HANDLE_VALUE)
        return;
    StatusWindow window;
    const std::ptrdiff_t read = IdentityOf(file) == expected && Rewind(file) ? ReadFully(file, window) : 0;
    const std::size_t length = read > 0 ? MarkStatusLine(std::span(window).first(static_cast<std::size_t>(read))) : 0;
    DWORD written;
    if (length > 0 && Rewind(file))
        WriteFile(file, window.data(), static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
}
