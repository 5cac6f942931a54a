#pragma once

#include "dump/dump_path.h"
#include "mail/report_message.h"

// Hands the report, with the dump attached, to the user's mail client and
// waits while its dialogs are open.
SendMailOutcome SendReportMail(DumpPath& dumpPath);
