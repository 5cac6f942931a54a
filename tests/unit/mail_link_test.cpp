#include <gtest/gtest.h>
#include <zlib.h>

#include <memory>
#include <cstring>
#include <random>
#include <string>

#include "common/texts.h"
#include "mail/mail_link.h"
#include "posix/flatpak.h"

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

// A mail composed from the dump's head: its link, its body's text before the
// block, and the block's bytes (decoded without its whitespace, inflated,
// checked against its size and CRC-32), with the line saying how many it holds.
struct Mail {
    std::string link, text = {}, block = {}, note = {};
};

Mail Compose(std::string_view head, std::uint64_t size, LinkReader reader = LinkReader::MailProgram) {
    const auto buffers = std::make_unique<MailLinkBuffers>();
    ComposeMailLink(*buffers, head, size, Path, BoundFor(reader));
    Mail mail{.link = buffers->link.data()};
    const std::string start = "mailto:" YORV_SUPPORT_MAIL_ADDRESS "?subject=" + Encoded(ReportSubject) + "&body=";
    EXPECT_EQ(mail.link.substr(0, start.size()), start);
    const std::size_t intro = mail.link.find(Encoded(MailBodyBlockIntro));
    mail.text = mail.link.substr(start.size(), intro - start.size());
    std::string body, stream;  // the rest, decoded; the block's zlib stream
    for (std::size_t at = intro + Encoded(MailBodyBlockIntro).size(); at < mail.link.size(); ++at)
        body += mail.link[at] == '%' ? char(std::stoi(mail.link.substr((at += 2) - 1, 2), nullptr, 16)) : mail.link[at];
    const std::size_t begin = body.find("-----BEGIN YORV CRASH REPORT-----\r\n"), end = body.find("-----END");
    mail.note = body.substr(0, begin);
    const std::string_view digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    unsigned bits = 0, count = 0;
    for (std::size_t at = begin + 35, line; at < end; at = line + 2)  // lines of 76 characters
        EXPECT_LE((line = body.find("\r\n", at)) - at, 76u);
    for (const char c : body.substr(begin + 35, end - begin - 35)) {
        if (std::isspace(static_cast<unsigned char>(c)))
            continue;
        if ((bits = bits << 6 | unsigned(digits.find(c)), count += 6) >= 8)
            stream += char(bits >> (count -= 8));
    }
    std::size_t bytes = 0;
    unsigned long crc = 0;
    const char* endLine = "-----END YORV CRASH REPORT bytes=%zu crc32=%8lx-----\r\n";
    EXPECT_EQ(std::sscanf(body.c_str() + end, endLine, &bytes, &crc), 2);
    mail.block.resize(bytes);
    uLongf inflated = bytes;
    auto* stored = reinterpret_cast<Bytef*>(mail.block.data());
    EXPECT_EQ(uncompress(stored, &inflated, reinterpret_cast<const Bytef*>(stream.data()), stream.size()), Z_OK);
    EXPECT_TRUE(inflated == bytes && crc32(0, stored, uInt(bytes)) == crc);
    return mail;
}

TEST(MailLink, EncodesTheTextAsTheDialogsShowItAndCutsAtALineEnd) {
    const std::string opening = Encoded(MailBodyOpening), rest = Encoded("\r\n") + Encoded(MailBodyRestInFile);
    const std::string blank = Encoded("\r\n");
    const struct { const char* name; std::string head; bool whole; std::string body; } rows[] = {
        {"every awkward character", "a b&c=%\\'\",+;#?\r\n\tJ\xC3\xB6rg\n", true,
         "a%20b%26c%3D%25%5C%27%22%2C%2B%3B%23%3F%0D%0A%09J%C3%B6rg%0D%0A" + blank},
        {"LF and no line end at all", "x\ny", true, "x%0D%0Ay" + blank + blank},
        {"NUL and bytes that are not UTF-8", std::string("\0\xFF", 2), true, "%5Cx00%5Cxff" + blank + blank},
        {"more than was read", "one\ntwo\nthr", false, "one%0D%0Atwo%0D%0A" + rest + Encoded(Path) + blank + blank},
        {"UTF-16", "\xFF\xFE#\0", true, Encoded(MailBodyInFile) + Encoded(Path) + blank + blank},
    };
    for (const auto& row : rows) {
        const Mail mail = Compose(row.head, row.head.size() + !row.whole);
        EXPECT_EQ(mail.text, opening + row.body) << row.name;
        EXPECT_EQ(mail.block, row.head) << row.name;
        EXPECT_EQ(mail.note, row.whole ? "" : "The block holds the first 11 of the report's 12 bytes.\r\n") << row.name;
    }
}

// Over the bound, the text is cut at a line end and the block holds the
// longest head that fits; a browser's link fits a web server's request line
// once encoded again.
TEST(MailLink, TheBlockHoldsTheLongestHeadThatFits) {
    std::mt19937 random(7);
    std::string text, noise(200'000, '\0');
    for (int line = 0; text.size() < 60 * 1024; ++line)
        text += "frame " + std::to_string(line) + " at 0x" + std::to_string(random()) + " in yorv::render()\n";
    for (char& c : noise)
        c = char(random());
    const struct { const char* name; std::string dump; LinkReader reader; std::size_t limit; bool whole; } rows[] = {
        {"60 KiB of text", text, LinkReader::MailProgram, MailProgramLinkLength, true},
        {"random bytes", noise, LinkReader::MailProgram, MailProgramLinkLength, false},
        {"60 KiB of text for a browser", text, LinkReader::WebBrowser, WebBrowserLinkLength, false},
    };
    for (const auto& row : rows) {
        const Mail mail = Compose(row.dump, row.dump.size() + 1000, row.reader);
        EXPECT_LE(mail.link.size(), row.limit) << row.name;
        EXPECT_EQ(row.dump.substr(0, mail.block.size()), mail.block) << row.name;
        EXPECT_EQ(mail.block.size() == row.dump.size(), row.whole) << row.name;
        EXPECT_EQ(mail.note, "The block holds the first " + std::to_string(mail.block.size()) + " of the report's " +
                                 std::to_string(row.dump.size() + 1000) + " bytes.\r\n") << row.name;
        EXPECT_TRUE(mail.text.ends_with(Encoded("\r\n" + std::string(MailBodyRestInFile) + Path + "\r\n\r\n")));
        std::size_t reencoded = 0;
        for (const char c : mail.link)
            reencoded += std::isalnum(static_cast<unsigned char>(c)) || std::strchr("-._~", c) ? 1 : 3;
        EXPECT_LE(reencoded, row.reader == LinkReader::WebBrowser ? WebBrowserReencodedLength : 5 * row.limit);
    }
}

// Where the user finds a dump of a Flatpak's /tmp on the host.
TEST(Flatpak, ItsTmpAsTheHostNamesIt) {
    FlatpakInstance instance;
    std::strcpy(instance.application.data(), "org.example.Yorv");
    const struct { const char *instancePath, *path, *runtime, *host; } rows[] = {
        {"/run/user/1000/.flatpak/1234", "/tmp/yorv_crash_dump.txt", "/run/user/7",
         "/run/user/1000/.flatpak/org.example.Yorv/tmp/yorv_crash_dump.txt"},
        {"", "/tmp/a/yorv_crash_dump.txt", "/run/user/7",
         "/run/user/7/.flatpak/org.example.Yorv/tmp/a/yorv_crash_dump.txt"},
        {"", "/tmp/yorv_crash_dump.txt", "", nullptr},
        {"/run/user/1000/.flatpak/1234", "/home/jo/.var/app/org.example.Yorv/cache/tmp/yorv_crash_dump.txt", "",
         "/home/jo/.var/app/org.example.Yorv/cache/tmp/yorv_crash_dump.txt"},
        {"/run/user/1000/.flatpak/1234", "/tmpfs/yorv_crash_dump.txt", "", "/tmpfs/yorv_crash_dump.txt"},
    };
    for (const auto& row : rows) {
        std::strcpy(instance.instancePath.data(), row.instancePath);
        std::array<char, 260> host;
        EXPECT_EQ(MapToHost(instance, row.path, row.runtime, host), row.host != nullptr) << row.path;
        EXPECT_STREQ(row.host ? host.data() : nullptr, row.host) << row.path;
    }
}

}  // namespace
