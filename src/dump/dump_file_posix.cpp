#include "dump/dump_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "dump/content_digest.h"

// A shared temporary directory may hold anything under the dump's name. Only
// a regular file of the user's own, not reached through a link, is the dump.

namespace {

bool IsUsersRegularFile(const struct stat& info) {
    return S_ISREG(info.st_mode) && info.st_uid == geteuid();
}

// O_NONBLOCK keeps a FIFO planted under the dump's name from blocking the open.
int OpenDump(const DumpPath& dumpPath, int access, struct stat& info) {
    const int fd = open(dumpPath.data(), access | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (fstat(fd, &info) != 0 || !IsUsersRegularFile(info) ||
        (access == O_RDWR && (info.st_mode & S_IWUSR) == 0)) {
        // Without the owner's write bit the dump is read-only, for root too.
        close(fd);
        return -1;
    }
    return fd;
}

DumpIdentity IdentityOf(const struct stat& info) {
    return {
        .known = true,
        .volume = static_cast<std::uint64_t>(info.st_dev),
        .file = static_cast<std::uint64_t>(info.st_ino),
        .size = static_cast<std::uint64_t>(info.st_size),
        .modified = info.st_mtim.tv_sec,
        .modifiedFraction = info.st_mtim.tv_nsec,
        .changed = info.st_ctim.tv_sec,
        .changedFraction = info.st_ctim.tv_nsec,
    };
}

std::ptrdiff_t ReadAt(int fd, std::span<char> buffer, std::size_t offset) {
    ssize_t got;
    do
        got = pread(fd, buffer.data(), buffer.size(), static_cast<off_t>(offset));
    while (got < 0 && errno == EINTR);
    return got;
}

std::ptrdiff_t ReadHead(int fd, StatusHead& head) {
    std::size_t filled = 0;
    while (filled < head.size()) {
        const std::ptrdiff_t got = ReadAt(fd, std::span(head).subspan(filled), filled);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    return static_cast<std::ptrdiff_t>(filled);
}

// The identity of the open dump, its content read from start to end.
DumpIdentity IdentityOf(int fd, const struct stat& info) {
    DumpIdentity identity = IdentityOf(info);
    std::size_t offset = 0;
    const auto read = [&](std::span<char> buffer) {
        const std::ptrdiff_t got = ReadAt(fd, buffer, offset);
        offset += got > 0 ? static_cast<std::size_t>(got) : 0;
        return got;
    };
    identity.known = DigestWholeFile(read, identity.digest);
    return identity;
}

// The temporary directory as glibc, mktemp and Python find it: the first of
// these that is set and not empty decides, with no fall-through to the next.
const char* TemporaryDirectory() {
    for (const char* name : {"TMPDIR", "TMP", "TEMP", "TEMPDIR"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return "/tmp";
}

}  // namespace

bool LocateCrashDump(DumpPath& dumpPath) {
    const std::string_view directory = TemporaryDirectory();
    std::size_t length = 0;
    const auto append = [&](std::string_view part) {
        if (part.size() >= dumpPath.size() - length)
            return false;
        std::copy(part.begin(), part.end(), dumpPath.data() + length);
        length += part.size();
        return true;
    };
    if (directory.front() != '/') {
        // Made absolute, so that a mail client in another working directory
        // finds it; links are kept, so the user sees the path they set.
        if (!getcwd(dumpPath.data(), dumpPath.size()))
            return false;
        length = std::strlen(dumpPath.data());
        if (dumpPath[length - 1] != '/' && !append("/"))
            return false;
    }
    if (!append(directory) || (directory.back() != '/' && !append("/")) || !DumpNameFits(length))
        return false;
    *std::copy_n(CrashDumpFileName, CrashDumpFileNameLength, dumpPath.data() + length) = '\0';
    return true;
}

bool IsDumpEntry(const DumpPath& dumpPath) {
    struct stat info;
    return lstat(dumpPath.data(), &info) == 0 && IsUsersRegularFile(info);
}

DumpHead ReadDumpHead(const DumpPath& dumpPath, StatusHead& head) {
    struct stat info;
    const int fd = OpenDump(dumpPath, O_RDONLY, info);
    if (fd < 0)
        return {HeadRead::Unreadable, 0};
    const std::ptrdiff_t read = ReadHead(fd, head);
    close(fd);
    if (read < 0)
        return {HeadRead::Unreadable, 0};
    return {HeadRead::Read, static_cast<std::size_t>(read)};
}

DumpIdentity IdentifyDump(const DumpPath& dumpPath) {
    struct stat info;
    const int fd = OpenDump(dumpPath, O_RDONLY, info);
    if (fd < 0)
        return {};
    const DumpIdentity identity = IdentityOf(fd, info);
    close(fd);
    return identity;
}

void RewriteDumpHead(const DumpPath& dumpPath, const DumpIdentity& expected, DumpHeadEditor edit) {
    struct stat info;
    const int fd = OpenDump(dumpPath, O_RDWR, info);
    if (fd < 0)
        return;
    StatusHead head;
    const std::ptrdiff_t read = IdentityOf(fd, info) == expected ? ReadHead(fd, head) : 0;
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
