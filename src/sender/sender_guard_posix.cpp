#include "sender/sender_guard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "posix/out_of_resources.h"
#include "posix/unique_fd.h"

// A lock file in the user's own runtime folder. Never the dump itself, nor
// anything in a shared /tmp, where another user could hold the lock for good.

namespace {

// The runtime folder, opened through any links and then checked on the open
// descriptor, so nothing can be swapped in between: the user's own, private.
UniqueFd OpenOwnPrivateFolder(const char* path) {
    if (!path || path[0] != '/') {
        errno = ENOENT;
        return UniqueFd();
    }
    UniqueFd fd(open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat info;
    if (fd && (fstat(fd.Get(), &info) != 0 || info.st_uid != geteuid() || (info.st_mode & (S_IRWXG | S_IRWXO)) != 0)) {
        errno = EPERM;
        return UniqueFd();
    }
    return fd;
}

}  // namespace

bool TakeSenderGuard() {
    // Unset or not the user's own under ssh, su or cron: go on unguarded. Out
    // of descriptors or memory, another sender may hold it: busy, as the
    // dump's own open decides, and a later run asks.
    const UniqueFd folder = OpenOwnPrivateFolder(std::getenv("XDG_RUNTIME_DIR"));
    if (!folder)
        return !OutOfResources(errno);
    // Close-on-exec, so that no mail program started later inherits the lock.
    UniqueFd lock(openat(folder.Get(), "yorv-report-sender.lock",
                         O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600));
    if (!lock)
        return !OutOfResources(errno);
    if (flock(lock.Get(), LOCK_EX | LOCK_NB) == 0) {
        lock.Release();  // held open: the lock ends with the process
        return true;
    }
    return errno != EWOULDBLOCK;  // held by another sender
}
