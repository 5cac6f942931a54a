#include "sender/process_setup.h"

#include <fcntl.h>
#include <unistd.h>

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
}
