#include "mail/mail_link.h"

#include <algorithm>
#include <span>

#include "dump/status_line.h"
#include "mail/send_mail.h"
#include "sender/dialog_text.h"

namespace {

// Appends to the link, percent-encoding all but the unreserved characters,
// while it stays within `limit` characters; a part that would pass it is not
// appended at all.
class EncodedWriter {
public:
    EncodedWriter(std::span<char> out, std::size_t limit) : out_(out), limit_(limit) { out_[0] = '\0'; }

    // The length that `raw` takes once encoded.
    static std::size_t EncodedLength(std::string_view raw) {
        std::size_t length = 0;
        for (const char c : raw)
            length += IsUnreserved(c) ? 1 : 3;
        return length;
    }

    // The link's own syntax, as it stands.
    void AppendVerbatim(std::string_view part) {
        std::copy(part.begin(), part.end(), out_.begin() + static_cast<std::ptrdiff_t>(length_));
        out_[length_ += part.size()] = '\0';
    }

    bool Append(std::string_view raw) {
        if (length_ + EncodedLength(raw) > limit_)
            return false;
        constexpr char hex[] = "0123456789ABCDEF";
        for (const char c : raw) {
            const auto byte = static_cast<unsigned char>(c);
            if (IsUnreserved(c)) {
                out_[length_++] = c;
            } else {
                out_[length_++] = '%';
                out_[length_++] = hex[byte >> 4];
                out_[length_++] = hex[byte & 0xF];
            }
        }
        out_[length_] = '\0';
        return true;
    }

    // Text as a dialog shows it: valid UTF-8 as it is, any other byte as \xNN.
    bool AppendEscaped(std::string_view text) {
        const std::size_t start = length_;
        std::array<char, 4> character;
        while (!text.empty()) {
            if (!Append({character.data(), EscapeFirstCharacter(text, true, character)})) {
                Truncate(start);
                return false;
            }
        }
        return true;
    }

    std::size_t Length() const { return length_; }
    void Truncate(std::size_t length) { out_[length_ = length] = '\0'; }
    void SetLimit(std::size_t limit) { limit_ = limit; }

private:
    static bool IsUnreserved(char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
               c == '_' || c == '~';
    }

    std::span<char> out_;
    std::size_t limit_;
    std::size_t length_ = 0;
};

}  // namespace

void ComposeMailLink(MailLink& link, std::string_view head, bool whole, std::string_view dumpPath) {
    // Room is kept for what closes a body that does not hold the whole dump:
    // a line end, its words and the path, each byte of which may be escaped
    // into four characters and each of those encoded into three.
    const std::size_t closing = EncodedWriter::EncodedLength("\r\n") +
                                EncodedWriter::EncodedLength(MailBodyRestInFile) + 3 * 4 * dumpPath.size();
    EncodedWriter body(link, link.size() - 1 - closing);
    body.AppendVerbatim("mailto:" YORV_SUPPORT_MAIL_ADDRESS "?subject=");
    body.Append(ReportSubject);
    body.AppendVerbatim("&body=");
    body.Append(MailBodyOpening);
    if (StartsWithUtf16Mark(head)) {
        body.Append(MailBodyInFile);
        body.AppendEscaped(dumpPath);
        return;
    }
    bool all = whole;
    while (!head.empty()) {
        const std::size_t end = head.find('\n');
        if (end == std::string_view::npos && !whole)
            break;  // the line goes on past what was read
        std::string_view line(head.data(), std::min(end, head.size()));
        head.remove_prefix(end == std::string_view::npos ? head.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const std::size_t before = body.Length();
        if (!body.AppendEscaped(line) || (end != std::string_view::npos && !body.Append("\r\n"))) {
            body.Truncate(before);
            all = false;
            break;
        }
    }
    if (all)
        return;
    body.SetLimit(link.size() - 1);
    body.Append("\r\n");
    body.Append(MailBodyRestInFile);
    body.AppendEscaped(dumpPath);
}
