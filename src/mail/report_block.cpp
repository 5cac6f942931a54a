#include "mail/report_block.h"

#include <zlib.h>

#include <array>
#include <charconv>

#include "common/bounded_text.h"

namespace {

// RFC 4648's URL- and filename-safe alphabet, without padding, which would
// cost a percent-encoding and tells a decoder nothing the length does not.
constexpr char Base64Url[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// Appends the base64url of `bytes` in lines of ReportBlockLineLength.
void AppendBase64UrlLines(BoundedText& out, std::span<const unsigned char> bytes) {
    std::array<char, ReportBlockLineLength> line;
    std::size_t filled = 0;
    const auto put = [&](unsigned value) {
        line[filled++] = Base64Url[value & 0x3F];
        if (filled == line.size())
            out.Append({line.data(), filled}).Append("\r\n"), filled = 0;
    };
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::size_t left = bytes.size() - at;
        const unsigned group = bytes[at] << 16 | (left > 1 ? bytes[at + 1] << 8 : 0) | (left > 2 ? bytes[at + 2] : 0);
        for (std::size_t digit = 0; digit <= std::min<std::size_t>(left, 3); ++digit)
            put(group >> (18 - 6 * digit));
    }
    if (filled > 0)
        out.Append({line.data(), filled}).Append("\r\n");
}

}  // namespace

std::size_t WriteReportBlock(std::string_view bytes, std::span<char> text, std::span<unsigned char> zlib) {
    const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
    uLongf compressed = zlib.size();
    if (compress2(zlib.data(), &compressed, data, bytes.size(), Z_BEST_COMPRESSION) != Z_OK)
        return 0;
    // Eight lower-case hex digits: a leading 1 keeps the zeros, and is dropped.
    std::array<char, 9> crc;
    std::to_chars(crc.begin(), crc.end(), crc32_z(crc32_z(0, nullptr, 0), data, bytes.size()) | 0x100000000, 16);
    BoundedText out(text);
    out.Append(ReportBlockBegin).Append("\r\n");
    AppendBase64UrlLines(out, zlib.first(compressed));
    out.Append(ReportBlockEnd).AppendDecimal(bytes.size()).Append(" crc32=").Append({crc.data() + 1, 8});
    out.Append("-----\r\n");
    return out.Overflowed() ? 0 : out.Length();
}
