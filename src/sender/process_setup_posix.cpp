#include "sender/process_setup.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>

#include "posix/ending_signals.h"
#include "posix/unique_fd.h"

void SetUpProcessForRun() {
    // A launcher may start us with standard descriptors closed. The next file
    // opened would take one's place and receive what is meant for it.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF)
            UniqueFd(open("/dev/null", O_RDWR)).Release();  // the lowest free descriptor: this one, for good
    }
    // A launcher that ignores SIGCHLD has its children reaped by the kernel,
    // and waiting for them fails.
    std::signal(SIGCHLD, SIG_DFL);
    // A closed pipe on standard error must not end the run, nor a launcher's
    // limit on file sizes the marking: that write fails and the dump stays
    // pending.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    // SIGTERM, a hang-up or Ctrl-C end the run as a No, and its dialog with it.
    EndQuietlyOnEndingSignals();
    // A launcher's small stack limit (ulimit -s 64) would pass to every
    // program the sender starts: no dialog program starts in it, nor a shell
    // script handed the mail's link. They get the usual 8 MiB, where the
    // hard limit allows; the sender itself needs far less.
    constexpr rlim_t UsualStack = 8 << 20;
    rlimit stack;
    if (getrlimit(RLIMIT_STACK, &stack) == 0 && stack.rlim_cur < UsualStack) {
        stack.rlim_cur = std::min(UsualStack, stack.rlim_max);
        setrlimit(RLIMIT_STACK, &stack);
    }
}
