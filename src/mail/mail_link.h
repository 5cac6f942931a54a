#pragma once

// Linux: the mailto: link that carries the report to the user's mail program,
// with the dump's text as its body. Mail programs from a snap or a Flatpak,
// and webmail, cannot read a file in the user's temporary folder, and newer
// xdg-utils drop attachments from links: the text in the mail itself reaches
// support from all of them. Composed here, and handed to xdg-email whole, so
// that no shell, echo or -compose parser on the way changes a character.

#include <array>
#include <cstddef>
#include <string_view>

// 65,535 characters at most: every mail program measured takes a link of that
// length (Claws Mail refuses one of about 100 KB), and with the attachment's
// path that xdg-email adds it stays far below the 128 KiB one argument may hold.
using MailLink = std::array<char, 64 * 1024>;

// The dump's first bytes, read for the body: never more than a link can carry.
using DumpHead = std::array<char, sizeof(MailLink)>;

// Composes "mailto:ADDRESS?subject=SUBJECT&body=BODY", every byte of subject
// and body outside the unreserved characters percent-encoded. The body: a
// line saying what the mail is; the dump's text (`head`, all of the dump when
// `whole`) as the dialogs show it, line ends as CR LF, as many whole lines as
// fit; then, when some were left out, where the rest lies. A dump that starts
// with UTF-16's byte-order mark is not text to quote: the body names the file.
void ComposeMailLink(MailLink& link, std::string_view head, bool whole, std::string_view dumpPath);
