#pragma once

// Text and paths built in fixed buffers: each part is appended whole when it
// fits with the terminator, and otherwise not at all, and the builder
// remembers that something did not fit. A small type rather than plain
// functions, so that the bounds arithmetic is written once.

#include <algorithm>
#include <array>
#include <charconv>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

class BoundedText {
public:
    // Writes after the `length` characters that `buffer` already holds.
    explicit BoundedText(std::span<char> buffer, std::size_t length = 0) : buffer_(buffer), length_(length) {
        buffer_[length_] = '\0';
    }

    bool HasRoomFor(std::string_view part) const { return part.size() < buffer_.size() - length_; }

    BoundedText& Append(std::string_view part) {
        if (!HasRoomFor(part)) {
            overflowed_ = true;
            return *this;
        }
        std::copy(part.begin(), part.end(), buffer_.begin() + static_cast<std::ptrdiff_t>(length_));
        length_ += part.size();
        buffer_[length_] = '\0';
        return *this;
    }

    // Decimal digits, with a minus sign when negative.
    template <std::integral Number>
    BoundedText& AppendDecimal(Number number) {
        std::array<char, 21> digits;  // "-9223372036854775808", "18446744073709551615"
        const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), number).ptr;
        return Append({digits.data(), end});
    }

    bool Overflowed() const { return overflowed_; }
    std::size_t Length() const { return length_; }

private:
    std::span<char> buffer_;
    std::size_t length_;
    bool overflowed_ = false;
};
