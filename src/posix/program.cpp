#include "posix/program.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

#include "common/bounded_text.h"
#include "posix/retry.h"

extern char** environ;

namespace {

// The dialog on the screen, for the signal handler to end; 0 for none. The
// one piece of state the run keeps outside its own call chain.
volatile sig_atomic_t runningDialog = 0;

constexpr int EndingSignals[] = {SIGTERM, SIGHUP, SIGINT};

extern "C" void EndDialogAndExit(int) {
    const pid_t dialog = runningDialog;
    if (dialog > 0)  // never 0 or -1, which would reach the launcher's group or everyone
        kill(dialog, SIGTERM);
    _exit(0);
}

sigset_t SignalSet(std::initializer_list<int> signals) {
    sigset_t set;
    sigemptyset(&set);
    for (const int signalNumber : signals)
        sigaddset(&set, signalNumber);
    return set;
}

// Whether `child` has ended, asked every 50 ms until `patience` has passed.
bool EndsWithin(pid_t child, std::chrono::milliseconds patience) {
    constexpr timespec pause = {0, 50'000'000};
    const auto deadline = std::chrono::steady_clock::now() + patience;
    do {
        siginfo_t info{};
        if (RetryOnInterrupt([&] {
                return waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT | WNOHANG);
            }) < 0 || info.si_pid != 0)
            return true;
        nanosleep(&pause, nullptr);
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
    runningDialog = 0;
    int status;
    if (RetryOnInterrupt([&] { return waitpid(child, &status, 0); }) < 0)
        return {};
    if (WIFEXITED(status))
        return {.started = true, .exited = true, .exitStatus = WEXITSTATUS(status)};
    return {.started = true, .signal = WTERMSIG(status)};
}

}  // namespace

bool FindProgramOnPath(const char* name, ProgramPath& found) {
    const char* path = std::getenv("PATH");
    std::string_view entries = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const std::size_t colon = std::min(entries.find(':'), entries.size());
        const std::string_view directory(entries.data(), colon);
        BoundedText candidate(found);
        struct stat info;
        // An empty or relative entry names the working directory, which is
        // whatever the launcher left us in: never a place to run programs from.
        if (directory.starts_with('/') && !candidate.Append(directory).Append("/").Append(name).Overflowed() &&
            stat(found.data(), &info) == 0 && S_ISREG(info.st_mode) && access(found.data(), X_OK) == 0)
            return true;
        if (colon == entries.size())
            return false;
        entries.remove_prefix(colon + 1);
    }
}

ProgramEnd RunProgram(const ProgramPath& program, const char* const argv[], ChildRole role, int errorOutput,
                      std::chrono::milliseconds patience) {
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0)
        return {};
    // Whatever the launcher ignored or blocked, the child starts with defaults.
    const sigset_t defaults = SignalSet({SIGTERM, SIGHUP, SIGINT, SIGPIPE, SIGCHLD, SIGXFSZ});
    const sigset_t none = SignalSet({});
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (errorOutput >= 0)
        posix_spawn_file_actions_adddup2(&actions, errorOutput, STDERR_FILENO);

    // Held until the dialog's pid is recorded, so that no dialog is left behind.
    const sigset_t ending = SignalSet({SIGTERM, SIGHUP, SIGINT});
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &ending, &previous);
    pid_t child;
    const int error = posix_spawn(&child, program.data(), &actions, &attributes,
                                  const_cast<char* const*>(argv), environ);
    if (error == 0 && role == ChildRole::Dialog)
        runningDialog = child;
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return error == 0 ? WaitFor(child, patience) : ProgramEnd{};
}

bool ExitedWith(const ProgramEnd& end, int status) {
    return end.exited && end.exitStatus == status;
}

void EndQuietlyOnEndingSignals() {
    struct sigaction action = {};
    action.sa_handler = EndDialogAndExit;
    sigfillset(&action.sa_mask);
    for (const int signalNumber : EndingSignals) {
        struct sigaction current;
        // nohup and a shell's background jobs ignore SIGHUP and SIGINT on purpose.
        if (signalNumber != SIGTERM && sigaction(signalNumber, nullptr, &current) == 0 &&
            current.sa_handler == SIG_IGN)
            continue;
        sigaction(signalNumber, &action, nullptr);
    }
}
