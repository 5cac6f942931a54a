#pragma once

// Linux: who reads the mailto: link that xdg-email hands over.

#include "mail/mail_link.h"

// A web browser where the user's mailto: handler is one (its desktop file's
// Categories hold WebBrowser, or, holding neither that nor Email, it also
// handles https: links), and inside a Flatpak, where the host's handler
// cannot be seen; else the mail program.
LinkReader FindLinkReader();
