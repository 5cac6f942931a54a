#include "posix/program.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string_view>

extern char** environ;

bool FindProgramOnPath(const char* name, std::string& found) {
    const char* path = std::getenv("PATH");
    std::string_view entries = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const auto colon = entries.find(':');
        const std::string_view directory = entries.substr(0, colon);
        found.assign(directory.empty() ? "." : directory).append("/").append(name);
        struct stat info;
        if (stat(found.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(found.c_str(), X_OK) == 0)
            return true;
        if (colon == std::string_view::npos)
            return false;
        entries.remove_prefix(colon + 1);
    }
}

int RunProgram(const std::string& program, const char* const argv[]) {
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0)
        return -1;
    // The child starts with default signal handling, whatever ours is.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t child;
    const int error = posix_spawn(&child, program.c_str(), nullptr, &attributes,
                                  const_cast<char* const*>(argv), environ);
    posix_spawnattr_destroy(&attributes);
    if (error != 0)
        return -1;
    int status;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return status;
}

bool ExitedWith(int waitStatus, int code) {
    return waitStatus != -1 && WIFEXITED(waitStatus) && WEXITSTATUS(waitStatus) == code;
}
