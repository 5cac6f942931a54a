#pragma once

// A resource of the system's, a descriptor or a handle, released when it goes
// out of scope, so that every path releases it in one place. Release() hands
// it over for good. `Traits` says what holds none and how one is released:
//   static Value None(); static bool Holds(Value); static void Close(Value);

#include <utility>

template <typename Traits>
class UniqueResource {
public:
    using Value = decltype(Traits::None());

    explicit UniqueResource(Value value = Traits::None()) noexcept : value_(value) {}
    UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        Reset(other.Release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource() { Reset(); }

    // Releases what is held, if anything, and holds `value` instead.
    void Reset(Value value = Traits::None()) noexcept {
        if (Traits::Holds(value_))
            Traits::Close(value_);
        value_ = value;
    }
    Value Get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return Traits::Holds(value_); }
    Value Release() noexcept { return std::exchange(value_, Traits::None()); }

private:
    Value value_;
};
