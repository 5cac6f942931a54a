#include <gtest/gtest.h>

#include <string>

#include "common/texts.h"
#include "mail/mail_link.h"

namespace {

const std::string Path = "/tmp/yorv_crash_dump.txt";

std::string Encoded(std::string_view text) {  // every byte but the unreserved ones as %XX
    std::string out;
    for (const unsigned char c : text) {
        const bool unreserved = std::isalnum(c) || std::string_view("-._~").find(char(c)) != std::string_view::npos;
        const char hex[] = "0123456789ABCDEF";
        out += unreserved ? std::string(1, char(c)) : std::string{'%', hex[c >> 4], hex[c & 15]};
    }
    return out;
}

// The link's body, from what the dump's head holds.
std::string Body(std::string_view head, bool whole, MailLink& link) {
    ComposeMailLink(link, head, whole, Path);
    const std::string text = link.data();
    const std::string start = "mailto:" YORV_SUPPORT_MAIL_ADDRESS "?subject=" + Encoded(ReportSubject) + "&body=";
    EXPECT_EQ(text.substr(0, start.size()), start);
    return text.substr(start.size());
}

TEST(MailLink, EncodesTheTextAsTheDialogsShowItAndCutsAtALineEnd) {
    const std::string opening = Encoded(MailBodyOpening), rest = Encoded("\r\n") + Encoded(MailBodyRestInFile);
    const struct { const char* name; std::string head; bool whole; std::string body; } rows[] = {
        {"every awkward character", "a b&c=%\\'\",+;#?\r\n\tJ\xC3\xB6rg\n", true,
         "a%20b%26c%3D%25%5C%27%22%2C%2B%3B%23%3F%0D%0A%09J%C3%B6rg%0D%0A"},
        {"LF and no line end at all", "x\ny", true, "x%0D%0Ay"},
        {"NUL and bytes that are not UTF-8", std::string("\0\xFF", 2), true, "%5Cx00%5Cxff"},
        {"more than was read", "one\ntwo\nthr", false, "one%0D%0Atwo%0D%0A" + rest + Encoded(Path)},
        {"UTF-16", "\xFF\xFE#\0", true, Encoded(MailBodyInFile) + Encoded(Path)},
    };
    MailLink link;
    for (const auto& row : rows)
        EXPECT_EQ(Body(row.head, row.whole, link), opening + row.body) << row.name;

    // The bound: the text that fits exactly is whole; one byte more, and it is cut at its last line end.
    EXPECT_EQ(Body("", true, link), opening);
    const std::size_t empty = std::string(link.data()).size();
    const std::size_t room = link.size() - 1 - empty - rest.size() - 3 * 4 * Path.size();
    const std::string first = Encoded("first line\r\n");
    for (const std::size_t extra : {0, 1}) {
        const std::string last(room - first.size() + extra, 'x');
        const std::string body = Body("first line\n" + last, true, link);
        EXPECT_TRUE(body == opening + first + (extra ? rest + Encoded(Path) : last)) << extra;
        EXPECT_LE(std::string(link.data()).size(), link.size() - 1);
    }
}

}  // namespace
