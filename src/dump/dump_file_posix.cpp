#include "dump/dump_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "common/bounded_text.h"
#include "dump/content_digest.h"
#include "posix/retry.h"
#include "posix/unique_fd.h"

// A shared temporary directory may hold anything under the dump's name. Only
// a regular file of the user's own, not reached through a link, is the dump.

namespace {

bool IsUsersRegularFile(const struct stat& info) {
    return S_ISREG(info.st_mode) && info.st_uid == geteuid();
}

// O_NONBLOCK keeps a FIFO planted under the dump's name from blocking the open.
UniqueFd OpenDump(const DumpPath& dumpPath, int access, struct stat& info) {
    UniqueFd fd(open(dumpPath.data(), access | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    // Without the owner's write bit the dump is read-only, for root too.
    if (fd && (fstat(fd.Get(), &info) != 0 || !IsUsersRegularFile(info) ||
               (access == O_RDWR && (info.st_mode & S_IWUSR) == 0)))
        return UniqueFd();
    return fd;
}

std::ptrdiff_t ReadAt(int fd, std::span<char> buffer, std::size_t offset) {
    return RetryOnInterrupt([&] { return pread(fd, buffer.data(), buffer.size(), static_cast<off_t>(offset)); });
}

// Reads from the start until the window is full or the file ends; -1 on an error.
std::ptrdiff_t ReadWindow(int fd, StatusWindow& window) {
    std::size_t filled = 0;
    while (filled < window.size()) {
        const std::ptrdiff_t got = ReadAt(fd, std::span(window).subspan(filled), filled);
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
    DumpIdentity identity = {
        .volume = static_cast<std::uint64_t>(info.st_dev),
        .file = static_cast<std::uint64_t>(info.st_ino),
        .size = static_cast<std::uint64_t>(info.st_size),
        .modified = info.st_mtim.tv_sec,
        .modifiedFraction = info.st_mtim.tv_nsec,
        .changed = info.st_ctim.tv_sec,
        .changedFraction = info.st_ctim.tv_nsec,
    };
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

bool MakeDumpPath(DumpPath& dumpPath) {
    const std::string_view directory = TemporaryDirectory();
    BoundedText path(dumpPath);
    if (directory.front() != '/') {
        // Made absolute, so that a mail client in another working directory
        // finds it; links are kept, so the user sees the path they set.
        if (!getcwd(dumpPath.data(), dumpPath.size()))
            return false;
        path = BoundedText(dumpPath, std::string_view(dumpPath.data()).size());
        if (!std::string_view(dumpPath.data()).ends_with('/'))
            path.Append("/");
    }
    path.Append(directory);
    if (!directory.ends_with('/'))
        path.Append("/");
    return !path.Append(CrashDumpFileName).Overflowed();
}

bool IsDumpEntry(const DumpPath& dumpPath) {
    struct stat info;
    return lstat(dumpPath.data(), &info) == 0 && IsUsersRegularFile(info);
}

WindowRead ReadStatusWindow(const DumpPath& dumpPath, StatusWindow& window) {
    struct stat info;
    const UniqueFd fd = OpenDump(dumpPath, O_RDONLY, info);
    const std::ptrdiff_t read = fd ? ReadWindow(fd.Get(), window) : -1;
    if (read < 0)
        return {WindowRead::Unreadable, 0};
    return {WindowRead::Read, static_cast<std::size_t>(read)};
}

DumpIdentity IdentifyDump(const DumpPath& dumpPath) {
    struct stat info;
    const UniqueFd fd = OpenDump(dumpPath, O_RDONLY, info);
    return fd ? IdentityOf(fd.Get(), info) : DumpIdentity{};
}

void RewriteStatusLineAsSent(const DumpPath& dumpPath, const DumpIdentity& expected) {
    struct stat info;
    const UniqueFd fd = OpenDump(dumpPath, O_RDWR, info);
    if (!fd || IdentityOf(fd.Get(), info) != expected)
        return;
    StatusWindow window;
    const std::ptrdiff_t read = ReadWindow(fd.Get(), window);
    const std::size_t length = read > 0 ? MarkStatusLine(std::span(window).first(static_cast<std::size_t>(read))) : 0;
    for (std::size_t written = 0; written < length;) {
        const ssize_t put = RetryOnInterrupt(
            [&] { return pwrite(fd.Get(), window.data() + written, length - written, static_cast<off_t>(written)); });
        if (put <= 0)
            break;
        written += static_cast<std::size_t>(put);
    }
}
