#include "dump/dump_file.h"

#include <windows.h>
#include <io.h>

#include <cstdio>

// Binary streams: the line ends are handled by the status line's own rules,
// so a line read as LF alone is never written back as CR LF.

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

DumpIdentity IdentityOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info))
        return {};
    const auto join = [](DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; };
    return {
        .known = true,
        .volume = info.dwVolumeSerialNumber,
        .file = join(info.nFileIndexHigh, info.nFileIndexLow),
        .size = join(info.nFileSizeHigh, info.nFileSizeLow),
        .modified = static_cast<std::int64_t>(join(info.ftLastWriteTime.dwHighDateTime,
                                                   info.ftLastWriteTime.dwLowDateTime)),
    };
}

}  // namespace

bool LocateCrashDump(DumpPath& dumpPath) {
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
    if (!DumpNameFits(length))
        return false;
    lstrcatA(dumpPath.data(), CrashDumpFileName);
    return true;
}

bool IsDumpEntry(const DumpPath& dumpPath) {
    const DWORD attributes = GetFileAttributesA(dumpPath.data());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::ptrdiff_t ReadDumpHead(const DumpPath& dumpPath, StatusHead& head) {
    std::FILE* file = std::fopen(dumpPath.data(), "rb");
    if (!file)
        return -1;
    const std::size_t read = std::fread(head.data(), 1, head.size(), file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return failed ? -1 : static_cast<std::ptrdiff_t>(read);
}

DumpIdentity IdentifyDump(const DumpPath& dumpPath) {
    const HANDLE file = CreateFileA(dumpPath.data(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    const DumpIdentity identity = IdentityOf(file);
    CloseHandle(file);
    return identity;
}

void RewriteDumpHead(const DumpPath& dumpPath, const DumpIdentity& expected, DumpHeadEditor edit) {
    // Checked rather than left to the open: some hosts (Wine as root) grant
    // write access to a read-only file.
    const DWORD attributes = GetFileAttributesA(dumpPath.data());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return;
    std::FILE* file = std::fopen(dumpPath.data(), "rb+");
    if (!file)
        return;
    StatusHead head;
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    const std::size_t read =
        IdentityOf(handle) == expected ? std::fread(head.data(), 1, head.size(), file) : 0;
    if (read > 0 && std::ferror(file) == 0) {
        const std::size_t length = edit(std::span(head).first(read));
        if (length > 0 && std::fseek(file, 0, SEEK_SET) == 0)
            std::fwrite(head.data(), 1, length, file);
    }
    std::fclose(file);
}
