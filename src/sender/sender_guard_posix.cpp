#include "sender/sender_guard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

// A lock file in the user's own runtime folder. Never the dump itself, nor
// anything in a shared /tmp, where another user could hold the lock for good.

namespace {

bool IsOwnPrivateFolder(const char* path) {
    struct stat info;
    return path && path[0] == '/' && lstat(path, &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == geteuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

}  // namespace

bool TakeSenderGuard() {
    // Unset or not the user's own under ssh, su or cron: go on unguarded.
    const char* runtimeFolder = std::getenv("XDG_RUNTIME_DIR");
    if (!IsOwnPrivateFolder(runtimeFolder))
        return true;
    const std::string lockPath = std::string(runtimeFolder) + "/yorv-report-sender.lock";
    // Close-on-exec, so that no mail program started later inherits the lock.
    const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0)
        return true;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0)
        return true;  // the descriptor stays open: the lock ends with the process
    const bool heldByAnother = errno == EWOULDBLOCK;
    close(fd);
    return !heldByAnother;
}
