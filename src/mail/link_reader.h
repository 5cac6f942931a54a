#pragma once

// Linux: who reads the mailto: link that xdg-email hands over.

#include "mail/mail_link.h"

// A web browser where the user's mailto: handler is one (its desktop file's
// Categories hold WebBrowser, or, holding neither that nor Email, it also
// handles https: links); else the mail program. Asked outside a sandbox only.
LinkReader FindLinkReader();
