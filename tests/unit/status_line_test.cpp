#include <gtest/gtest.h>

#define XXH_INLINE_ALL  // the reference, header-only
#include <xxhash.h>

#include <algorithm>
#include <string>

#include "dump/content_digest.h"
#include "dump/status_line.h"

using namespace std::string_literals;

namespace {

struct Row {
    const char* name;
    std::string file;
    bool saysSent;
    std::string marked;  // the whole file after marking; empty: unchanged
};

const std::string x255(255, 'x');

const Row rows[] = {
    {"marker", "# status: sent\n", true, ""},
    {"capital SENT", "status: SENT\r\n", true, ""},
    {"several spaces", "x status:     sent, thanks\n", true, "# status: sent            \n"},
    {"no space", "status:sent", true, ""},
    {"letters after sent", "status: sentence\n", true, "# status: sent  \n"},
    {"tab", "status:\tsent\n", false, ""},
    {"capital S", "Status: sent\n", false, ""},
    {"inside a word", "# laststatus: sent\n", true, "# status: sent    \n"},
    {"only the first counts", "# status: pending (was status: sent)\n", false,
     "# status: sent" + std::string(22, ' ') + "\n"},
    {"truncated word", "# status: sen", false, ""},
    {"sent in second line", "# status: pending\n# status: sent\n", false, "# status: sent   \n# status: sent\n"},
    {"key past 255th", x255 + "status: sent\n", false, "# status: sent" + std::string(241, ' ') + "status: sent\n"},
    {"empty", "", false, ""},
    {"13 and LF", "# status: abc\nz", false, ""},
    {"14 and LF", "# status: abcd\nz", false, "# status: sent\nz"},
    {"14 without line end", "# status: abcd", false, ""},
    {"20 without line end", "# status: pending..", false, "# status: sent     "},
    {"30 and CR LF", "# status: pending and a reason\r\nrest\r\n", false,
     "# status: sent" + std::string(16, ' ') + "\r\nrest\r\n"},
    {"LF only", "# status: pending\nrest\n", false, "# status: sent   \nrest\n"},
    {"300 characters", std::string(300, 'x') + "\n", false,
     "# status: sent" + std::string(241, ' ') + std::string(45, 'x') + "\n"},
    {"CR LF as 255th", std::string(254, 'x') + "\r\nnext", false,
     "# status: sent" + std::string(240, ' ') + "\r\nnext"},
    {"CR LF as 256th", x255 + "\r\nnext", false, "# status: sent" + std::string(241, ' ') + "\r\nnext"},
    {"lone CR", "# status: pending\rmore\n", false, "# status: sent        \n"},
    {"NUL first", "\0# status: SeNt\n"s, true, "# status: sent \n"},
    {"EOF byte first", "\x1A# status: sent\n", true, "# status: sent \n"},
    {"spaces only", std::string(16, ' ') + "\r\n", false, "# status: sent  \r\n"},
    {"UTF-16 little-endian", "\xFF\xFE#\0 \0s\0t\0a\0t\0u\0s\0:\0 \0n\0o\0t\0 \0y\0e\0t\0\r\0\n\0"s, false, ""},
    {"UTF-16 big-endian", "\xFE\xFF\0#\0 \0s\0t\0a\0t\0u\0s\0:\0 \0n\0o\0t\0 \0y\0e\0t\0\r\0\n"s, false, ""},
};

TEST(StatusLine, ReadsAndMarksEachRow) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string_view head = std::string_view(row.file).substr(0, StatusWindowBytes);
        EXPECT_EQ(StatusLineSaysSent(ParseStatusLine(head)), row.saysSent);

        // Marking as the file layer does: edit the head, write back what it says.
        StatusWindow buffer{};
        std::copy(head.begin(), head.end(), buffer.begin());
        const std::size_t length = MarkStatusLine(std::span(buffer).first(head.size()));
        const std::string file = std::string(buffer.data(), length) + row.file.substr(length);
        EXPECT_EQ(file, row.marked.empty() ? row.file : row.marked);
        if (length > 0) {
            EXPECT_TRUE(StatusLineSaysSent(ParseStatusLine(std::string_view(file).substr(0, StatusWindowBytes))));
        }
    }
}

}  // namespace

namespace {

// The file layer's digest, read in pieces of uneven size, is the reference XXH64 of the bytes.
TEST(ContentDigest, IsXxh64OfTheWholeFile) {
    std::string bytes(3 * DigestChunkBytes + 45, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
    for (const std::size_t length : {0, 1, 3, 4, 7, 8, 31, 32, 33, 63, 100, int(DigestChunkBytes),
                                     int(DigestChunkBytes) + 32, int(bytes.size())}) {
        std::size_t at = 0, piece = 0;
        const auto read = [&](std::span<char> buffer) {
            const std::size_t got = std::min({buffer.size(), length - at, (++piece % 7 + 1) * 4099});
            std::copy_n(bytes.data() + at, got, buffer.data());
            at += got;
            return static_cast<std::ptrdiff_t>(got);
        };
        std::uint64_t digest = 0;
        EXPECT_TRUE(DigestWholeFile(read, digest));
        EXPECT_EQ(digest, XXH64(bytes.data(), length, 0)) << length;
    }
    std::uint64_t unused;
    EXPECT_FALSE(DigestWholeFile([](std::span<char>) { return std::ptrdiff_t{-1}; }, unused));
}

}  // namespace
