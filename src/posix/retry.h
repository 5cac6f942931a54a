#pragma once

// A system call interrupted by a signal is made again: the one place where
// EINTR is handled, for reads, writes and waits alike.

#include <cerrno>

template <typename SystemCall>
auto RetryOnInterrupt(SystemCall call) {
    decltype(call()) result;
    do
        result = call();
    while (result == -1 && errno == EINTR);
    return result;
}
