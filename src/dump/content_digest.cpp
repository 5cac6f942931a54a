#include "dump/content_digest.h"

#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "XXH64 reads its words little-endian");

namespace {

constexpr std::uint64_t Prime1 = 0x9E3779B185EBCA87;
constexpr std::uint64_t Prime2 = 0xC2B2AE3D27D4EB4F;
constexpr std::uint64_t Prime3 = 0x165667B19E3779F9;
constexpr std::uint64_t Prime4 = 0x85EBCA77C2B2AE63;
constexpr std::uint64_t Prime5 = 0x27D4EB2F165667C5;
constexpr std::size_t StripeBytes = 32;
static_assert(DigestChunkBytes % StripeBytes == 0);

template <typename Word>
Word Load(const char* bytes) {
    Word word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

std::uint64_t Round(std::uint64_t lane, std::uint64_t word) {
    return std::rotl(lane + word * Prime2, 31) * Prime1;
}

std::uint64_t MergeLane(std::uint64_t hash, std::uint64_t lane) {
    return (hash ^ Round(0, lane)) * Prime1 + Prime4;
}

// Takes the whole stripes of `bytes`; returns what is left over.
std::span<const char> AddStripes(DigestState& state, std::span<const char> bytes) {
    const std::size_t whole = bytes.size() - bytes.size() % StripeBytes;
    for (std::size_t at = 0; at < whole; at += StripeBytes) {
        for (std::size_t lane = 0; lane < state.lanes.size(); ++lane)
            state.lanes[lane] = Round(state.lanes[lane], Load<std::uint64_t>(&bytes[at + 8 * lane]));
    }
    state.length += whole;
    return bytes.subspan(whole);
}

}  // namespace

DigestState StartDigest() {
    return {.lanes = {Prime1 + Prime2, Prime2, 0, 0 - Prime1}};
}

void AddChunk(DigestState& state, std::span<const char> chunk) {
    AddStripes(state, chunk);
}

std::uint64_t FinishDigest(DigestState state, std::span<const char> last) {
    std::span<const char> tail = AddStripes(state, last);
    const auto& lanes = state.lanes;
    std::uint64_t hash = Prime5;
    if (state.length > 0) {
        hash = std::rotl(lanes[0], 1) + std::rotl(lanes[1], 7) + std::rotl(lanes[2], 12) + std::rotl(lanes[3], 18);
        for (const std::uint64_t lane : lanes)
            hash = MergeLane(hash, lane);
    }
    hash += state.length + tail.size();
    for (; tail.size() >= 8; tail = tail.subspan(8))
        hash = std::rotl(hash ^ Round(0, Load<std::uint64_t>(tail.data())), 27) * Prime1 + Prime4;
    if (tail.size() >= 4) {
        hash = std::rotl(hash ^ Load<std::uint32_t>(tail.data()) * Prime1, 23) * Prime2 + Prime3;
        tail = tail.subspan(4);
    }
    for (const char byte : tail)
        hash = std::rotl(hash ^ static_cast<unsigned char>(byte) * Prime5, 11) * Prime1;
    hash = (hash ^ (hash >> 33)) * Prime2;
    hash = (hash ^ (hash >> 29)) * Prime3;
    return hash ^ (hash >> 32);
}
