#pragma once

// How the Linux hand-off, through xdg-email, names its failures.

#include "dump/dump_path.h"
#include "mail/send_mail.h"

// The failure box's text; a failed outcome's code is xdg-email's wait status.
void ComposeXdgEmailFailureText(FailureMessage& message, SendMailOutcome outcome, const DumpPath& dumpPath);
