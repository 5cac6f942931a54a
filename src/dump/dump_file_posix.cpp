#include "dump/dump_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "common/bounded_text.h"
#include "posix/environment.h"
#include "posix/flatpak.h"
#include "posix/out_of_resources.h"
#include "posix/retry.h"

// A shared temporary directory may hold anything under the dump's name. Only
// a regular file of the user's own, not reached through a link, is the dump.

namespace {

bool IsUsersRegularFile(const struct stat& info) {
    return S_ISREG(info.st_mode) && info.st_uid == geteuid();
}

// The temporary directory as glibc, mktemp and Python find it.
const char* TemporaryDirectory() {
    const char* directory = FirstSetVariable({"TMPDIR", "TMP", "TEMP", "TEMPDIR"});
    return directory ? directory : "/tmp";
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

void DumpPathForUser(const DumpPath& dumpPath, DumpPath& forUser) {
    FlatpakInstance instance;
    const char* runtimeFolder = FirstSetVariable({"XDG_RUNTIME_DIR"});
    if (!InFlatpak(instance) || !MapToHost(instance, dumpPath.data(), runtimeFolder ? runtimeFolder : "", forUser))
        forUser = dumpPath;
}

DumpOpen OpenDump(const DumpPath& dumpPath, DumpAccess access, DumpFile& file) {
    // O_NONBLOCK keeps a FIFO planted under the dump's name from blocking the
    // open; what was opened is checked again on the descriptor, so nothing
    // swapped in since the entry was looked at is taken for the dump.
    file.Reset(open(dumpPath.data(), (access == DumpAccess::Update ? O_RDWR : O_RDONLY) | O_NOFOLLOW | O_NONBLOCK |
                                         O_NOCTTY | O_CLOEXEC));
    if (!file) {
        // A lease being broken answers a non-blocking open so at once; and
        // out of descriptors or memory, nothing is said about the dump.
        const int error = errno;
        return error == EWOULDBLOCK || error == EAGAIN || OutOfResources(error) ? DumpOpen::Busy : DumpOpen::Refused;
    }
    struct stat info;
    if (fstat(file.Get(), &info) != 0 || !IsUsersRegularFile(info))
        file.Reset();
    return file ? DumpOpen::Opened : DumpOpen::Refused;
}

bool IsMarkedReadOnly(const DumpFile& file) {
    struct stat info;
    return fstat(file.Get(), &info) != 0 || (info.st_mode & S_IWUSR) == 0;
}

bool DumpFileSize(const DumpFile& file, std::uint64_t& size) {
    struct stat info;
    if (fstat(file.Get(), &info) != 0)
        return false;
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

void PauseBeforeOpeningAgain(unsigned milliseconds) {
    PauseBeforeTryingAgain(std::chrono::milliseconds(milliseconds));
}

std::ptrdiff_t ReadDumpAt(const DumpFile& file, std::span<char> buffer, std::uint64_t offset) {
    return RetryOnInterrupt([&] { return pread(file.Get(), buffer.data(), buffer.size(), static_cast<off_t>(offset)); });
}

std::ptrdiff_t WriteDumpAt(const DumpFile& file, std::span<const char> bytes, std::uint64_t offset) {
    return RetryOnInterrupt([&] { return pwrite(file.Get(), bytes.data(), bytes.size(), static_cast<off_t>(offset)); });
}
