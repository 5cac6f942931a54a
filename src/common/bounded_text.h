#pragma once

// Text and paths built in fixed buffers: each part is appended whole when it
// fits with the terminator, and otherwise not at all, and the builder
// remembers that something did not fit. A small type rather than plain
// functions, so that the bounds arithmetic is written once.

#include <algorithm>
#include <array>
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

    // Decimal digits, with a minus sign when negative; std::to_chars would
    // bring a table of digit pairs into the Windows executable.
    BoundedText& AppendDecimal(std::int32_t number) {
        std::array<char, 11> digits;  // "-2147483648"
        auto first = digits.end();
        auto magnitude = number < 0 ? 0u - static_cast<std::uint32_t>(number) : static_cast<std::uint32_t>(number);
        do
            *--first = static_cast<char>('0' + magnitude % 10);
        while ((magnitude /= 10) != 0);
        if (number < 0)
            *--first = '-';
        return Append({first, digits.end()});
    }

    bool Overflowed() const { return overflowed_; }

private:
    std::span<char> buffer_;
    std::size_t length_;
    bool overflowed_ = false;
};

// Two string literals joined when compiling, for texts made of others.
template <std::size_t First, std::size_t Second>
constexpr std::array<char, First + Second - 1> JoinLiterals(const char (&first)[First], const char (&second)[Second]) {
    std::array<char, First + Second - 1> joined{};
    std::copy_n(first, First - 1, joined.begin());
    std::copy_n(second, Second, joined.begin() + (First - 1));
    return joined;
}
