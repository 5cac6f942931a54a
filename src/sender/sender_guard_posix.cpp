#include "sender/sender_guard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

// A lock file in the user's own runtime folder. Never the dump itself, nor
// anything in a shared /tmp, where another user could hold the lock for good.

namespace {

// The runtime folder, opened through any links and then checked on the open
// descriptor, so nothing can be swapped in between: the user's own, private.
int OpenOwnPrivateFolder(const char* path) {
    if (!path || path[0] != '/')
        return -1;
    const int fd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info;
    if (fstat(fd, &info) != 0 || info.st_uid != geteuid() || (info.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

bool TakeSenderGuard() {
    // Unset or not the user's own under ssh, su or cron: go on unguarded.
    const int folder = OpenOwnPrivateFolder(std::getenv("XDG_RUNTIME_DIR"));
    if (folder < 0)
        return true;
    // Close-on-exec, so that no mail program started later inherits the lock.
    const int fd = openat(folder, "yorv-report-sender.lock", O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY,
                          0600);
    close(folder);
    if (fd < 0)
        return true;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0)
        return true;  // the descriptor stays open: the lock ends with the process
    const bool heldByAnother = errno == EWOULDBLOCK;
    close(fd);
    return !heldByAnother;
}
