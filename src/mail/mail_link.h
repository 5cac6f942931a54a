#pragma once

// Linux: the mailto: link that carries the report to the user's mail program,
// with the dump's text as its body. Mail programs from a snap or a Flatpak,
// and webmail, cannot read a file in the user's temporary folder, and newer
// xdg-utils drop attachments from links: the text in the mail itself reaches
// support from all of them. Composed here, and handed to xdg-email whole, so
// that no shell, echo or -compose parser on the way changes a character.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Who reads the link. Every mail program measured takes one of 65,535
// characters (Claws Mail refuses one of about 100 KB), and with the
// attachment's path that xdg-email adds it stays far below the 128 KiB one
// argument may hold. A web browser hands it to webmail inside the address of
// a page of the webmail's, encoding it once more: `%XX` becomes `%25XX` and
// each of `:?=&@` three characters. The request line that carries it must fit
// a web server's 8 KB (Apache's LimitRequestLine is 8,190, nginx's buffer
// 8,192): for a browser the link is at most 6,000 characters and its new
// encoding at most 7,800, which leaves 390 for the method, the protocol and
// the webmail's own address.
enum class LinkReader { MailProgram, WebBrowser };

inline constexpr std::size_t MailProgramLinkLength = 65535;
inline constexpr std::size_t WebBrowserLinkLength = 6000;
inline constexpr std::size_t WebBrowserReencodedLength = 7800;

// The longest link, and the longest it may become once encoded again.
struct LinkBound {
    std::size_t characters;
    std::size_t reencoded;
};

constexpr LinkBound BoundFor(LinkReader reader) {
    // A mail program reads the link as it is: its new encoding is not bounded.
    return reader == LinkReader::WebBrowser ? LinkBound{WebBrowserLinkLength, WebBrowserReencodedLength}
                                            : LinkBound{MailProgramLinkLength, 5 * MailProgramLinkLength};
}

// The dump's first bytes that the body is made from: the readable text takes
// at most a link's length of them, the block, compressed, several times more.
using DumpHead = std::array<char, 256 * 1024>;

// The link, and the block and its zlib stream while they are composed.
struct MailLinkBuffers {
    std::array<char, MailProgramLinkLength + 1> link;
    std::array<char, MailProgramLinkLength + 1> block;
    std::array<unsigned char, MailProgramLinkLength> zlib;
};

// Composes "mailto:ADDRESS?subject=SUBJECT&body=BODY" into `buffers.link`,
// every byte of subject and body outside the unreserved characters
// percent-encoded. The body: a line saying what the mail is; the dump's text
// (`head`, the first of its `dumpSize` bytes) as the dialogs show it, line
// ends as CR LF, as many whole lines as fit; when some were left out, where
// the rest lies; then the block of the dump's bytes, all of them where they
// fit, else the longest head that fits, and a line saying so. The block
// comes first: it may take three quarters of the room the link leaves, and
// the text what remains. A dump that starts with UTF-16's byte-order mark is
// not text to quote: the body names the file, and the block carries it.
void ComposeMailLink(MailLinkBuffers& buffers, std::string_view head, std::uint64_t dumpSize,
                     std::string_view dumpPath, LinkBound bound);
