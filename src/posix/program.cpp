#include "posix/program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <utility>

#include "posix/ending_signals.h"
#include "posix/retry.h"

extern char** environ;

namespace {

// Whether `child` has ended, asked every 50 ms until `patience` has passed.
bool EndsWithin(pid_t child, std::chrono::milliseconds patience) {
    constexpr std::chrono::milliseconds pause{50};
    const auto deadline = std::chrono::steady_clock::now() + patience;
    do {
        siginfo_t info{};
        if (RetryOnInterrupt([&] {
                return waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT | WNOHANG);
            }) < 0 || info.si_pid != 0)
            return true;
        PauseBeforeTryingAgain(pause);
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

ProgramEnd WaitFor(pid_t child, std::chrono::milliseconds patience) {
    if (patience.count() > 0 && !EndsWithin(child, patience))
        return {.started = true, .running = true};
    // Waited for without reaping first: until it is reaped its pid cannot be
    // reused, so a signal arriving meanwhile never ends another process.
    siginfo_t info;
    RetryOnInterrupt([&] { return waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT); });
    EndWithSender(0);
    int status;
    if (RetryOnInterrupt([&] { return waitpid(child, &status, 0); }) < 0)
        return {};
    if (WIFEXITED(status))
        return {.started = true, .exited = true, .exitStatus = WEXITSTATUS(status)};
    return {.started = true, .signal = WTERMSIG(status)};
}

}  // namespace

ProgramEnd RunProgram(const ProgramPath& program, const char* const argv[], ChildRole role, ProgramOutput output,
                      std::chrono::milliseconds patience) {
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0)
        return {};
    // Whatever the launcher ignored or blocked, the child starts with defaults.
    sigset_t defaults = EndingSignalSet(), none;
    for (const int signalNumber : {SIGPIPE, SIGCHLD, SIGXFSZ})
        sigaddset(&defaults, signalNumber);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const auto& [fd, to] : {std::pair{STDOUT_FILENO, output.output}, {STDERR_FILENO, output.error}}) {
        if (to >= 0)
            posix_spawn_file_actions_adddup2(&actions, to, fd);
        else if (to == Nowhere || !isatty(fd))
            posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_WRONLY, 0);
    }

    // Held until the dialog's pid is recorded, so that no dialog is left behind.
    const sigset_t ending = EndingSignalSet();
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &ending, &previous);
    pid_t child;
    const int error = posix_spawn(&child, program.data(), &actions, &attributes,
                                  const_cast<char* const*>(argv), environ);
    if (error == 0 && role == ChildRole::Dialog)
        EndWithSender(child);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return error == 0 ? WaitFor(child, patience) : ProgramEnd{};
}

bool ExitedWith(const ProgramEnd& end, int status) {
    return end.exited && end.exitStatus == status;
}
