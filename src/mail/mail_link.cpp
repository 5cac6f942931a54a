#include "mail/mail_link.h"

#include <algorithm>
#include <span>

#include "common/bounded_text.h"
#include "common/escaped_text.h"
#include "dump/status_line.h"
#include "mail/report_block.h"
#include "mail/send_mail.h"

namespace {

bool IsUnreserved(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

// What a part of the link costs: its characters, and what they become when a
// browser encodes the link once more (a reserved character three, `%XX` five).
struct LinkCost {
    std::size_t characters = 0;
    std::size_t reencoded = 0;

    LinkCost operator+(LinkCost other) const { return {characters + other.characters, reencoded + other.reencoded}; }
    LinkCost operator-(LinkCost other) const { return {characters - other.characters, reencoded - other.reencoded}; }
    bool FitsIn(LinkCost room) const { return characters <= room.characters && reencoded <= room.reencoded; }
};

// `raw` once percent-encoded, or the link's own syntax as it stands.
LinkCost EncodedCost(std::string_view raw) {
    LinkCost cost;
    for (const char c : raw)
        cost = cost + (IsUnreserved(c) ? LinkCost{1, 1} : LinkCost{3, 5});
    return cost;
}
LinkCost VerbatimCost(std::string_view part) {
    LinkCost cost;
    for (const char c : part)
        cost = cost + (IsUnreserved(c) ? LinkCost{1, 1} : LinkCost{1, 3});
    return cost;
}

// Appends to the link, percent-encoding all but the unreserved characters,
// while it stays within its limit; a part that would pass it is not
// appended at all.
class EncodedWriter {
public:
    EncodedWriter(std::span<char> out, LinkCost limit) : out_(out), limit_(limit) { out_[0] = '\0'; }

    // The link's own syntax, as it stands.
    void AppendVerbatim(std::string_view part) {
        std::copy(part.begin(), part.end(), out_.begin() + static_cast<std::ptrdiff_t>(used_.characters));
        used_ = used_ + VerbatimCost(part);
        out_[used_.characters] = '\0';
    }

    bool Append(std::string_view raw) {
        if (!(used_ + EncodedCost(raw)).FitsIn(limit_))
            return false;
        constexpr char hex[] = "0123456789ABCDEF";
        std::size_t length = used_.characters;
        for (const char c : raw) {
            const auto byte = static_cast<unsigned char>(c);
            if (IsUnreserved(c)) {
                out_[length++] = c;
            } else {
                out_[length++] = '%';
                out_[length++] = hex[byte >> 4];
                out_[length++] = hex[byte & 0xF];
            }
        }
        out_[length] = '\0';
        used_ = used_ + EncodedCost(raw);
        return true;
    }

    // Text as a dialog shows it: valid UTF-8 as it is, any other byte as \xNN.
    bool AppendEscaped(std::string_view text) {
        const LinkCost start = used_;
        std::array<char, 4> character;
        while (!text.empty()) {
            if (!Append({character.data(), EscapeFirstCharacter(text, true, character)})) {
                Truncate(start);
                return false;
            }
        }
        return true;
    }

    LinkCost Used() const { return used_; }
    LinkCost Room() const { return limit_ - used_; }
    bool EndsWith(std::string_view raw) const {
        return std::string_view(out_.data(), used_.characters).ends_with(EncodedPart(raw));
    }
    void Truncate(LinkCost used) { out_[(used_ = used).characters] = '\0'; }
    void SetLimit(LinkCost limit) { limit_ = limit; }

private:
    static std::string_view EncodedPart(std::string_view raw) { return raw == "\r\n" ? "%0D%0A" : raw; }

    std::span<char> out_;
    LinkCost limit_;
    LinkCost used_;
};

// The block of the longest head of `dump` whose block costs at most `room`:
// its text in `buffers.block`, its length, and how many bytes it holds.
struct Block {
    std::string_view text;
    std::size_t bytes = 0;
};

Block LongestBlock(MailLinkBuffers& buffers, std::string_view dump, LinkCost room) {
    const auto attempt = [&](std::size_t bytes) {
        const std::size_t length = WriteReportBlock({dump.data(), bytes}, buffers.block, buffers.zlib);
        const std::string_view text(buffers.block.data(), length);
        return length > 0 && EncodedCost(text).FitsIn(room) ? Block{text, bytes} : Block{};
    };
    if (const Block whole = attempt(dump.size()); !whole.text.empty())
        return whole;
    // A longer head compresses to more: the longest that fits lies between
    // one that does (or none) and one that does not.
    std::size_t fits = 0, fitsNot = dump.size();
    while (fitsNot - fits > 1) {
        const std::size_t middle = fits + (fitsNot - fits) / 2;
        (attempt(middle).text.empty() ? fitsNot : fits) = middle;
    }
    return attempt(fits);
}

// Appends as many whole lines of `head` as fit; false when some were left out.
bool AppendLines(EncodedWriter& body, std::string_view head, bool whole) {
    while (!head.empty()) {
        const std::size_t end = head.find('\n');
        if (end == std::string_view::npos && !whole)
            return false;  // the line goes on past what was read
        std::string_view line(head.data(), std::min(end, head.size()));
        head.remove_prefix(end == std::string_view::npos ? head.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const LinkCost before = body.Used();
        if (!body.AppendEscaped(line) || (end != std::string_view::npos && !body.Append("\r\n"))) {
            body.Truncate(before);
            return false;
        }
    }
    return true;
}

// "The block holds the first N of the report's M bytes.", with the numbers.
std::string_view HeadNote(std::array<char, 128>& note, std::size_t held, std::uint64_t dumpSize) {
    BoundedText text(note);
    text.Append(MailBodyBlockHead).AppendDecimal(held).Append(MailBodyBlockHeadOf).AppendDecimal(dumpSize);
    text.Append(MailBodyBlockHeadBytes);
    return {note.data(), text.Length()};
}

}  // namespace

void ComposeMailLink(MailLinkBuffers& buffers, std::string_view head, std::uint64_t dumpSize,
                     std::string_view dumpPath, LinkBound bound) {
    const LinkCost limit = {std::min(bound.characters, MailProgramLinkLength), bound.reencoded};
    EncodedWriter body(buffers.link, limit);
    body.AppendVerbatim("mailto:" YORV_SUPPORT_MAIL_ADDRESS "?subject=");
    body.Append(ReportSubject);
    body.AppendVerbatim("&body=");
    body.Append(MailBodyOpening);

    // Kept for what follows the text: where the rest lies (each byte of the
    // path may be escaped into four characters, each of those encoded into
    // three), the line ends around the block, its introduction and the line
    // saying how much it holds, its numbers at their longest.
    std::array<char, 128> note;
    const LinkCost closing = EncodedCost("\r\n") + EncodedCost(MailBodyRestInFile) +
                             LinkCost{12 * dumpPath.size(), 20 * dumpPath.size()};
    const LinkCost framing = EncodedCost("\r\n\r\n") + EncodedCost(MailBodyBlockIntro) +
                             EncodedCost(HeadNote(note, SIZE_MAX, UINT64_MAX));
    const LinkCost room = body.Room() - closing - framing;
    const Block block = LongestBlock(buffers, head, {room.characters / 4 * 3, room.reencoded / 4 * 3});

    body.SetLimit(limit - closing - framing - EncodedCost(block.text));
    const bool utf16 = StartsWithUtf16Mark(head);
    const bool whole = head.size() == dumpSize;
    const bool textWhole = !utf16 && AppendLines(body, head, whole) && whole;
    body.SetLimit(limit);
    if (utf16) {
        body.Append(MailBodyInFile);
        body.AppendEscaped(dumpPath);
    } else if (!textWhole) {
        body.Append("\r\n");
        body.Append(MailBodyRestInFile);
        body.AppendEscaped(dumpPath);
    }
    if (block.text.empty())
        return;
    body.Append(body.EndsWith("\r\n") ? "\r\n" : "\r\n\r\n");
    body.Append(MailBodyBlockIntro);
    if (block.bytes < dumpSize)
        body.Append(HeadNote(note, block.bytes, dumpSize));
    body.Append(block.text);
}
