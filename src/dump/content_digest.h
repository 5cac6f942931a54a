#pragma once

// A digest of the dump's whole content: XXH64 (seed 0), a well-studied
// 64-bit hash that reads a word at a time. It tells a rewritten dump from the
// one handed off where the file's times are whole seconds and its size stayed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// The file is read in chunks of this size, on the stack. A multiple of XXH64's
// 32-byte stripe, so every chunk but the last is taken whole.
inline constexpr std::size_t DigestChunkBytes = 64 * 1024;
using DigestChunk = std::array<char, DigestChunkBytes>;

struct DigestState {
    std::array<std::uint64_t, 4> lanes;
    std::uint64_t length = 0;
};

DigestState StartDigest();

// Takes a full chunk: a whole number of stripes.
void AddChunk(DigestState& state, std::span<const char> chunk);

// Takes the last chunk, of any length below a full one, and gives the digest.
std::uint64_t FinishDigest(DigestState state, std::span<const char> last);

// The digest of what `read` yields from the start of the file to its end.
// `read(buffer)` fills as much of `buffer` as it can and returns how many
// bytes it read, 0 at the end, or -1 on an error; then there is no digest.
template <typename ReadFunction>
bool DigestWholeFile(ReadFunction read, std::uint64_t& digest) {
    DigestState state = StartDigest();
    DigestChunk chunk;
    while (true) {
        std::size_t filled = 0;
        while (filled < chunk.size()) {
            const std::ptrdiff_t got = read(std::span(chunk).subspan(filled));
            if (got < 0)
                return false;
            if (got == 0)
                break;
            filled += static_cast<std::size_t>(got);
        }
        if (filled < chunk.size()) {
            digest = FinishDigest(state, std::span(chunk).first(filled));
            return true;
        }
        AddChunk(state, chunk);
    }
}
