#include "dump/dump_file.h"

#include <windows.h>

#include <cstdio>

// Binary streams: the line ends are handled by the status line's own rules,
// so a line read as LF alone is never written back as CR LF.

bool LocateCrashDump(DumpPath& dumpPath) {
    const DWORD length = GetTempPathA(static_cast<DWORD>(dumpPath.size()), dumpPath.data());
    if (length == 0 || length >= dumpPath.size() || !DumpNameFits(length))
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

void RewriteDumpHead(const DumpPath& dumpPath, DumpHeadEditor edit) {
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
    const std::size_t read = std::fread(head.data(), 1, head.size(), file);
    if (read > 0 && std::ferror(file) == 0) {
        const std::size_t length = edit(std::span(head).first(read));
        if (length > 0 && std::fseek(file, 0, SEEK_SET) == 0)
            std::fwrite(head.data(), 1, length, file);
    }
    std::fclose(file);
}
