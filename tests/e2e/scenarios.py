"""The run's scenarios as data, walked by the Linux suite and the Wine suite alike.

Each row sets up the dump and the user's and the mail system's answers, and says
which boxes a run shows, whether the report is handed off and what the dump
holds afterwards.
"""
import os
from dataclasses import dataclass

QUESTION = "The error report was created for last Yorv crash.\nSend error information to Dravonel Tech Support?"
SUBJECT = "Yorv: Crash Report"
RECIPIENT = os.environ["YORV_SUPPORT_MAIL_ADDRESS"]  # as the build under test was configured

# The failure boxes: Windows names Simple MAPI's code, Linux says what became of xdg-email.
LOAD_FAILURE = "Failed to load MAPI32.DLL"
SEND_FAILURE = "Failed to send e-mail message.\nMAPI error code: {}.\n\nError report saved to file:\n{}"
LINUX_FAILURE = "Failed to send e-mail message.\n{}.\n\nError report saved to file:\n{}"
NO_MAILER = "No mail program could be started: xdg-email (from xdg-utils) was not found"

PENDING = b"# status: pending\r\nproduct: Yorv 4.2\r\nfault: access violation\r\n"
MARKED = b"# status: sent   \r\nproduct: Yorv 4.2\r\nfault: access violation\r\n"

# Entries that stand under the dump's name instead of a file.
DIRECTORY, SYMLINK, FIFO, FOREIGN = "directory", "symlink", "fifo", "another user's file"
DEV_ZERO, SOCKET = "symlink to /dev/zero", "socket"

# What the mail hand-off does: accepts, or the library (or its entry point, or xdg-email) is missing.
ACCEPT, NO_LIBRARY, NO_ENTRY, UNSTARTABLE = "accept", "no library", "no entry point", "cannot be started"

# How Linux shows the boxes. Where zenity dies or cannot open the display, or the display is stale,
# the terminal's prompt takes over.
ZENITY, KDIALOG, ZENITY_DIES, STALE_DISPLAY = "zenity", "kdialog", "zenity dies", "stale display"
NO_DISPLAY_ACCESS, GTK_WARNINGS, NO_DESKTOP = "zenity cannot open the display", "GTK warnings", "no desktop"
ON_TERMINAL = (ZENITY_DIES, STALE_DISPLAY, NO_DISPLAY_ACCESS)
CANNOT_OPEN_DISPLAY = "(zenity:4242): Gtk-WARNING **: 10:31:07.512: cannot open display: :0\n"
UNRELATED_WARNINGS = ("(zenity:4242): Gtk-WARNING **: 10:31:07.512: Locale not supported by C library.\n"
                      "\tUsing the fallback 'C' locale.\n"
                      "Gtk-Message: 10:31:07.530: GtkDialog mapped without a transient parent. This is discouraged.\n")

# How the product starts the sender (Linux): one launcher's habit a row.
IGNORES_SIGNALS, BACKGROUND_JOB = "ignores SIGCHLD and the ending signals", "a background job on a terminal"
STDERR_CLOSED, TERMINATED, HUNG_UP = "standard error closed", "SIGTERM while asking", "SIGHUP while asking"
ENDED = "ended while asking"  # the answer of a sender that is ended before the user answers

# The environment it finds (Linux).
EMPTY_TMPDIR, RELATIVE_TMPDIR, RUNTIME_LINK = "TMPDIR empty", "TMPDIR relative", "runtime folder through a link"

# A new report that the product writes while the mail client is open, after another crash: renamed
# into place, or the old file rewritten. It was never sent, so it stays pending.
RENAMED, REWRITTEN = "renamed", "rewritten"
NEWER = b"# status: pending\r\nproduct: Yorv 4.2\r\nfault: stack overflow in the renderer\r\n"
SAME_SIZE = PENDING.replace(b"access violation", b"division by zero")

# A temporary folder that Windows' ANSI code page cannot spell, and one whose name is not UTF-8.
NON_ANSI_TEMP = "\u03a9mega J\u00f6rg"
NON_UTF8_TEMP = os.fsdecode(b"J\xc3\xb6rg \xff\xed\xa0\x80")


@dataclass(frozen=True)
class Fail:
    """The hand-off fails: `answer` is the MAPI code (Windows) or xdg-email's status (Linux),
    `error_text` what the box says of it."""
    answer: object
    error_text: str


@dataclass(frozen=True)
class Scenario:
    name: str
    dump: object = PENDING          # bytes, None for no dump, or one of the entries above
    answer: str = "yes"
    mail: object = ACCEPT
    boxes: tuple = ("question",)     # after the question: "error" or "warning"
    after: bytes = None              # the dump afterwards; None: unchanged
    readonly: bool = False
    vanish: str = None               # the dump disappears at "question" or "hand-off"
    dialog: str = ZENITY             # Linux only
    temp: str = None                 # a folder of this name in the temporary directory holds the dump
    planted: bool = False            # Windows: a MAPI32.DLL without MAPISendMail beside the sender
    replaced: tuple = None           # (RENAMED or REWRITTEN, the new dump) during the hand-off
    launcher: str = None             # Linux only
    environment: str = None          # Linux only
    platforms: frozenset = frozenset({"linux", "windows"})

    def box_texts(self, dump_path, platform):
        """The boxes a run shows, in order: (kind, text)."""
        if platform == "linux":
            texts = {"question": QUESTION, "error": LINUX_FAILURE.format(NO_MAILER, dump_path)}
            failure = LINUX_FAILURE
        else:
            texts = {"question": QUESTION, "error": LOAD_FAILURE}
            failure = SEND_FAILURE
        if isinstance(self.mail, Fail):
            texts["warning"] = failure.format(self.mail.error_text, dump_path)
        return [(kind, texts[kind]) for kind in self.boxes]

    @property
    def handed_off(self):
        return (self.answer == "yes" and "question" in self.boxes and self.vanish != "question"
                and self.mail not in (NO_LIBRARY, NO_ENTRY, UNSTARTABLE))


LINUX, WINDOWS = frozenset({"linux"}), frozenset({"windows"})
ASKED_THEN_WARNED = ("question", "warning")


def xdg_email_fails(status, reason):
    return Scenario(f"xdg-email ends with {status}", mail=Fail(status, reason), boxes=ASKED_THEN_WARNED,
                    platforms=LINUX)


def replaced_during_hand_off(name, how, new_dump):
    return Scenario(f"a new dump {name} during the hand-off stays pending", replaced=(how, new_dump), after=new_dump)


SCENARIOS = [
    Scenario("no dump", dump=None, boxes=()),
    Scenario("a directory", dump=DIRECTORY, boxes=()),
    Scenario("already sent", dump=b"# status:   SeNt\r\nproduct: Yorv\r\n", boxes=()),
    Scenario("user says no", answer="no"),
    Scenario("hand-off accepted", after=MARKED),
    Scenario("LF-only dump", dump=b"# status: pending\nrest\n", after=b"# status: sent   \nrest\n"),
    Scenario("status line too short", dump=b"# status: new\r\nrest\r\n"),
    Scenario("read-only dump", readonly=True),
    Scenario("no mail library", mail=NO_LIBRARY, boxes=("question", "error")),
    Scenario("no entry point", mail=NO_ENTRY, boxes=("question", "error"), platforms=WINDOWS),
    Scenario("a planted MAPI32.DLL is ignored", planted=True, after=MARKED, platforms=WINDOWS),
    Scenario("user abort", mail=Fail(1, "MAPI_E_USER_ABORT(1)"), boxes=ASKED_THEN_WARNED, platforms=WINDOWS),
    Scenario("unnamed code", mail=Fail(7, "7"), boxes=ASKED_THEN_WARNED, platforms=WINDOWS),
    Scenario("temporary folder outside the code page", temp=NON_ANSI_TEMP, after=MARKED),
    Scenario("... and a failure names its dump", temp=NON_ANSI_TEMP, mail=Fail(1, "MAPI_E_USER_ABORT(1)"),
             boxes=ASKED_THEN_WARNED, platforms=WINDOWS),
    xdg_email_fails(1, "xdg-email reported a syntax error (status 1)"),
    xdg_email_fails(2, "xdg-email could not find the report file (status 2)"),
    xdg_email_fails(3, "xdg-email found no mail program to use (status 3)"),
    xdg_email_fails(4, "xdg-email failed (status 4)"),
    xdg_email_fails(5, "xdg-email had no permission to read the report file (status 5)"),
    xdg_email_fails("signal", "xdg-email was stopped by signal 9"),
    Scenario("xdg-email cannot be started", mail=UNSTARTABLE, boxes=("question", "error"), platforms=LINUX),
    Scenario("kdialog without zenity", dialog=KDIALOG, mail=Fail(3, "xdg-email found no mail program to use (status 3)"),
             boxes=ASKED_THEN_WARNED, platforms=LINUX),
    Scenario("zenity dies: the terminal asks", dialog=ZENITY_DIES, after=MARKED, platforms=LINUX),
    Scenario("stale display: the terminal asks", dialog=STALE_DISPLAY, mail=Fail(4, "xdg-email failed (status 4)"),
             boxes=ASKED_THEN_WARNED, platforms=LINUX),
    Scenario("NUL, EOF and lone CR bytes", dump=b"\0# status:\rpending\x1a\r\nrest\x1a\r",
             after=b"# status: sent     \r\nrest\x1a\r"),
    Scenario("a status line of spaces", dump=b" " * 20 + b"\nrest\n", after=b"# status: sent      \nrest\n"),
    Scenario("a symlink", dump=SYMLINK, boxes=(), platforms=LINUX),
    Scenario("a symlink to /dev/zero", dump=DEV_ZERO, boxes=(), platforms=LINUX),
    Scenario("a socket", dump=SOCKET, boxes=(), platforms=LINUX),
    Scenario("vanishes before the hand-off", vanish="question",
             mail=Fail(0, "the report file was gone or replaced before it could be attached"),
             boxes=ASKED_THEN_WARNED, platforms=LINUX),
    Scenario("vanishes before the marking", vanish="hand-off", platforms=LINUX),
    Scenario("a FIFO", dump=FIFO, boxes=(), platforms=LINUX),
    Scenario("another user's file", dump=FOREIGN, boxes=(), platforms=LINUX),
    replaced_during_hand_off("renamed into place", RENAMED, NEWER),
    replaced_during_hand_off("written over the old one", REWRITTEN, NEWER),
    replaced_during_hand_off("of the same size written over the old one", REWRITTEN, SAME_SIZE),

    # Launchers
    Scenario(IGNORES_SIGNALS, launcher=IGNORES_SIGNALS, after=MARKED, platforms=LINUX),
    Scenario(BACKGROUND_JOB, launcher=BACKGROUND_JOB, dialog=NO_DESKTOP, boxes=(), platforms=LINUX),
    Scenario(STDERR_CLOSED, launcher=STDERR_CLOSED, mail=Fail(4, "xdg-email failed (status 4)"),
             boxes=ASKED_THEN_WARNED, platforms=LINUX),
    Scenario(TERMINATED, launcher=TERMINATED, answer=ENDED, platforms=LINUX),
    Scenario(HUNG_UP, launcher=HUNG_UP, answer=ENDED, platforms=LINUX),

    # Environments
    Scenario(EMPTY_TMPDIR, environment=EMPTY_TMPDIR, after=MARKED, platforms=LINUX),
    Scenario(RELATIVE_TMPDIR, environment=RELATIVE_TMPDIR, mail=Fail(3, "xdg-email found no mail program to use (status 3)"),
             boxes=ASKED_THEN_WARNED, platforms=LINUX),
    Scenario(RUNTIME_LINK, environment=RUNTIME_LINK, after=MARKED, platforms=LINUX),
    Scenario("zenity cannot open the display: the terminal asks", dialog=NO_DISPLAY_ACCESS, after=MARKED,
             platforms=LINUX),
    Scenario("No, with GTK's unrelated warnings", dialog=GTK_WARNINGS, answer="no", platforms=LINUX),
    Scenario("a temporary folder whose name is not UTF-8", temp=NON_UTF8_TEMP,
             mail=Fail(3, "xdg-email found no mail program to use (status 3)"), boxes=ASKED_THEN_WARNED,
             platforms=LINUX),
]
