#pragma once

// A digest of the dump's whole content: XXH64 (seed 0), from xxHash's own
// header. It tells a rewritten dump from the one handed off where the file's
// times are whole seconds and its size stayed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#define XXH_INLINE_ALL  // header-only: nothing to link, on either platform
#define XXH_NO_XXH3     // XXH64 is all that is used
#include <xxhash.h>

// The file is read in chunks of this size, on the stack: small enough for a
// launcher's stack limit of 64 KiB, large enough that a GiB costs few reads.
inline constexpr std::size_t DigestChunkBytes = 32 * 1024;
using DigestChunk = std::array<char, DigestChunkBytes>;

// The digest of what `read` yields from the start of the file to its end.
// `read(buffer)` reads into `buffer` and returns how many bytes it read, 0 at
// the end, or -1 on an error; then there is no digest.
template <typename ReadFunction>
bool DigestWholeFile(ReadFunction read, std::uint64_t& digest) {
    XXH64_state_t state;
    XXH64_reset(&state, 0);
    DigestChunk chunk;
    for (std::ptrdiff_t got; (got = read(std::span(chunk))) != 0;) {
        if (got < 0)
            return false;
        XXH64_update(&state, chunk.data(), static_cast<std::size_t>(got));
    }
    digest = XXH64_digest(&state);
    return true;
}
