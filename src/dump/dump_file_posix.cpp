#include "dump/dump_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string_view>
#include <system_error>

// A shared temporary directory may hold anything under the dump's name. Only
// a regular file of the user's own, not reached through a link, is the dump.

namespace {

bool IsUsersRegularFile(const struct stat& info) {
    return S_ISREG(info.st_mode) && info.st_uid == geteuid();
}

// O_NONBLOCK keeps a FIFO planted under the dump's name from blocking the open.
int OpenDump(const DumpPath& dumpPath, int access) {
    const int fd = open(dumpPath.data(), access | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info;
    if (fstat(fd, &info) != 0 || !IsUsersRegularFile(info) ||
        (access == O_RDWR && (info.st_mode & S_IWUSR) == 0)) {
        // Without the owner's write bit the dump is read-only, for root too.
        close(fd);
        return -1;
    }
    return fd;
}

std::ptrdiff_t ReadHead(int fd, StatusHead& head) {
    std::size_t filled = 0;
    while (filled < head.size()) {
        const ssize_t got = pread(fd, head.data() + filled, head.size() - filled,
                                  static_cast<off_t>(filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    return static_cast<std::ptrdiff_t>(filled);
}

}  // namespace

bool LocateCrashDump(DumpPath& dumpPath) {
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::temp_directory_path(error);
    if (error)
        return false;
    std::string_view text = directory.native();
    const bool needsSeparator = text.empty() || text.back() != '/';
    const std::size_t length = text.size() + (needsSeparator ? 1 : 0);
    if (!DumpNameFits(length))
        return false;
    char* end = std::copy(text.begin(), text.end(), dumpPath.data());
    if (needsSeparator)
        *end++ = '/';
    *std::copy_n(CrashDumpFileName, CrashDumpFileNameLength, end) = '\0';
    return true;
}

bool IsDumpEntry(const DumpPath& dumpPath) {
    struct stat info;
    return lstat(dumpPath.data(), &info) == 0 && IsUsersRegularFile(info);
}

std::ptrdiff_t ReadDumpHead(const DumpPath& dumpPath, StatusHead& head) {
    const int fd = OpenDump(dumpPath, O_RDONLY);
    if (fd < 0)
        return -1;
    const std::ptrdiff_t read = ReadHead(fd, head);
    close(fd);
    return read;
}

void RewriteDumpHead(const DumpPath& dumpPath, DumpHeadEditor edit) {
    const int fd = OpenDump(dumpPath, O_RDWR);
    if (fd < 0)
        return;
    StatusHead head;
    const std::ptrdiff_t read = ReadHead(fd, head);
    if (read > 0) {
        const std::size_t length = edit(std::span(head).first(static_cast<std::size_t>(read)));
        std::size_t written = 0;
        while (written < length) {
            const ssize_t put = pwrite(fd, head.data() + written, length - written,
                                       static_cast<off_t>(written));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                break;
            written += static_cast<std::size_t>(put);
        }
    }
    close(fd);
}
