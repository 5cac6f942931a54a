#include "dump/dump_file.h"

#include <windows.h>

#include "common/bounded_text.h"

// The file is read and written through its handle at given offsets, byte for
// byte: the line ends are handled by the status line's own rules, so a line
// read as LF alone is never written back as CR LF.

namespace {

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

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
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

void DumpPathForUser(const DumpPath& dumpPath, DumpPath& forUser) {
    forUser = dumpPath;
}

DumpOpen OpenDump(const DumpPath& dumpPath, DumpAccess access, DumpFile& file) {
    // Shared in every way, so that no other program waits for us; another
    // program's own sharing may still keep us out for a while.
    file.Reset(CreateFileA(dumpPath.data(), access == DumpAccess::Update ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file)
        return DumpOpen::Opened;
    const DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? DumpOpen::Busy : DumpOpen::Refused;
}

bool IsMarkedReadOnly(const DumpFile& file) {
    BY_HANDLE_FILE_INFORMATION information;
    return !GetFileInformationByHandle(file.Get(), &information) ||
           (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool DumpFileSize(const DumpFile& file, std::uint64_t& size) {
    LARGE_INTEGER length;
    if (!GetFileSizeEx(file.Get(), &length))
        return false;
    size = static_cast<std::uint64_t>(length.QuadPart);
    return true;
}

void PauseBeforeOpeningAgain(unsigned milliseconds) {
    Sleep(milliseconds);
}

std::ptrdiff_t ReadDumpAt(const DumpFile& file, std::span<char> buffer, std::uint64_t offset) {
    OVERLAPPED at = At(offset);
    DWORD got = 0;
    if (!ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, &at))
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    return got;
}

std::ptrdiff_t WriteDumpAt(const DumpFile& file, std::span<const char> bytes, std::uint64_t offset) {
    OVERLAPPED at = At(offset);
    DWORD put = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, &at))
        return -1;
    return put;
}
