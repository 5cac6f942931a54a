#pragma once

// A system call is made again: at once when a signal interrupted it, the one
// place where EINTR is handled, for reads, writes and waits alike; after a
// pause when the system said "not now" and the caller tries again.

#include <time.h>

#include <cerrno>
#include <chrono>

template <typename SystemCall>
auto RetryOnInterrupt(SystemCall call) {
    decltype(call()) result;
    do
        result = call();
    while (result == -1 && errno == EINTR);
    return result;
}

// The pause between two tries.
inline void PauseBeforeTryingAgain(std::chrono::milliseconds pause) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(pause);
    const timespec wait = {static_cast<time_t>(seconds.count()),
                           static_cast<long>(std::chrono::nanoseconds(pause - seconds).count())};
    nanosleep(&wait, nullptr);
}
