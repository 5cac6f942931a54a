#pragma once

// Reading a file's records (lines, NUL-ended names) a window at a time, so
// that no caller keeps a buffer of the file's size, on the stack or anywhere.

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "posix/retry.h"

// True when `visit` holds for a record of the `length` bytes of `fd` from
// `offset`, each ended by `separator` or by the end; asked in order, until one
// holds. A record longer than the window is seen in pieces of its size.
template <typename Visit>
bool AnyRecordOf(int fd, std::uint64_t offset, std::uint64_t length, char separator, Visit visit) {
    std::array<char, 4096> window;
    std::size_t kept = 0;
    while (true) {
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(window.size() - kept, length));
        const ssize_t got = wanted == 0 ? 0 : RetryOnInterrupt([&] {
            return pread(fd, window.data() + kept, wanted, static_cast<off_t>(offset));
        });
        const std::size_t read = got > 0 ? static_cast<std::size_t>(got) : 0;
        offset += read, length -= read;
        std::string_view records(window.data(), kept + read);
        for (std::size_t end; (end = records.find(separator)) != std::string_view::npos;) {
            if (visit(std::string_view(records.data(), end)))
                return true;
            records.remove_prefix(end + 1);
        }
        if (read == 0 || records.size() == window.size()) {
            if (!records.empty() && visit(records))
                return true;
            if (read == 0)
                return false;
            records = {};
        }
        std::memmove(window.data(), records.data(), kept = records.size());
    }
}
