#pragma once

// Every sentence a user of the sender can see, on either platform, and the
// buffer a box's text is composed in. Windows says what Yorv has always said;
// Linux speaks of its own tools.

#include <array>

// The caption of every box, and the mail's subject.
inline constexpr char ProductCaption[] = "Yorv";
inline constexpr char ReportSubject[] = "Yorv: Crash Report";

inline constexpr char QuestionText[] =
    "The error report was created for last Yorv crash.\n"
    "Send error information to Dravonel Tech Support?";

// Linux: asked once a mail program was started with the report; then the
// lead of the dump's path, by whether the file was offered for attaching,
// and the path.
inline constexpr char SentQuestionText[] =
    "Was the crash report sent to Dravonel Tech Support?\n"
    "The report is in the mail. Answer when you are done in your mail program. "
    "If you say No, you will be asked again next time.\n"
    "\n";
inline constexpr char SentQuestionPathLeads[2][64] = {
    "The report file was not attached; it is:\n",                     // not offered
    "If your mail program did not attach the report file, it is:\n",  // offered
};

// Linux: nothing could ask the question; the dump's path follows.
inline constexpr char UnaskedText[] =
    "the crash report was not offered: no zenity or kdialog could show the question, and no terminal could ask it. "
    "It waits in ";

// Linux: the mail's body. This opening, then the dump's text; where the
// whole text does not fit, a line end and the closing with the dump's path.
// A dump in UTF-16 is named, not quoted. Then the block of its exact bytes,
// after a line saying what it is, and where it holds only the dump's head,
// a line saying how much of it.
inline constexpr char MailBodyOpening[] =
    "Yorv crash report; its file is attached where the mail program allows.\r\n\r\n";
inline constexpr char MailBodyRestInFile[] = "The rest of the report is in the file:\r\n";
inline constexpr char MailBodyInFile[] = "The report is in the file:\r\n";
inline constexpr char MailBodyBlockIntro[] = "The report once more, packed for support's tools:\r\n";
inline constexpr char MailBodyBlockHead[] = "The block holds the first ";  // N, this, M, the closing
inline constexpr char MailBodyBlockHeadOf[] = " of the report's ";
inline constexpr char MailBodyBlockHeadBytes[] = " bytes.\r\n";

// Linux: after a question shown on the terminal.
inline constexpr char TerminalPrompt[] = "[y/N] ";

// A failed hand-off: this opening, the reason, this closing, the dump's path.
inline constexpr char SendFailureOpening[] = "Failed to send e-mail message.\n";
inline constexpr char SendFailureClosing[] = ".\n\nError report saved to file:\n";

// Windows: the mail library is missing; and the reason of a failed hand-off,
// this label followed by the result code's text (FormatMapiError).
inline constexpr char MapiLoadFailureText[] = "Failed to load MAPI32.DLL";
inline constexpr char MapiErrorCodeLabel[] = "MAPI error code: ";

// Linux: the reasons of a failed hand-off through xdg-email.
inline constexpr char NoMailProgramReason[] =
    "No mail program could be started: xdg-email (from xdg-utils) was not found";
inline constexpr char ReportUnreadableReason[] = "the report file could not be read when it was to be attached";
inline constexpr char XdgEmailSignalReason[] = "xdg-email was stopped by signal ";  // and its number
// xdg-email's documented statuses, by status; the others, the empty ones
// among them, are "failed". Characters, not pointers, which a static PIE
// would relocate at every start.
inline constexpr char XdgEmailStatusReasons[6][80] = {
    "",
    "xdg-email reported a syntax error (status 1)",
    "xdg-email could not find the report file (status 2)",
    "xdg-email found no mail program to use (status 3)",
    "xdg-email could not hand the report over (status 4)",
    "xdg-email had no permission to read the report file (status 5)",
};
inline constexpr char XdgEmailFailedReason[] = "xdg-email failed (status ";  // the status and ")"

// A box's text: at most 373 characters on Windows, 496 on Linux (the
// second question with the longest path).
using BoxText = std::array<char, 1024>;
