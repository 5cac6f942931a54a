#pragma once

// A descriptor closed when it goes out of scope, so that every path closes it
// in one place. Release() hands it over for good: the lock, which lasts as
// long as the process, and the standard descriptors.

#include <unistd.h>

#include <utility>

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) {
        std::swap(fd_, other.fd_);
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() {
        if (fd_ >= 0)
            close(fd_);
    }

    int Get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};
