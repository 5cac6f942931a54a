"""The run's scenarios as data, walked by the Linux suite and the Wine suite alike.

Each row sets up the dump and the user's and the mail system's answers, and says
which boxes a run shows, whether the report is handed off and what the dump
holds afterwards.
"""
from dataclasses import dataclass

QUESTION = "The error report was created for last Yorv crash.\nSend error information to Dravonel Tech Support?"
LOAD_FAILURE = "Failed to load MAPI32.DLL"
SEND_FAILURE = "Failed to send e-mail message.\nMAPI error code: {}.\n\nError report saved to file:\n{}"
SUBJECT, RECIPIENT = "Yorv: Crash Report", "support@dravonel.com"

PENDING = b"# status: pending\r\nproduct: Yorv 4.2\r\nfault: access violation\r\n"
MARKED = b"# status: sent   \r\nproduct: Yorv 4.2\r\nfault: access violation\r\n"

# Entries that stand under the dump's name instead of a file.
DIRECTORY, SYMLINK, FIFO, FOREIGN = "directory", "symlink", "fifo", "another user's file"
DEV_ZERO, SOCKET = "symlink to /dev/zero", "socket"

# What the mail hand-off does: accepts, or the library (or its entry point) is missing.
ACCEPT, NO_LIBRARY, NO_ENTRY = "accept", "no library", "no entry point"


@dataclass(frozen=True)
class Fail:
    """The hand-off fails: `answer` is the MAPI code (Windows) or xdg-email's status (Linux)."""
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
    platforms: frozenset = frozenset({"linux", "windows"})

    def box_texts(self, dump_path):
        """The boxes a run shows, in order: (kind, text)."""
        texts = {"question": QUESTION, "error": LOAD_FAILURE}
        if isinstance(self.mail, Fail):
            texts["warning"] = SEND_FAILURE.format(self.mail.error_text, dump_path)
        return [(kind, texts[kind]) for kind in self.boxes]

    @property
    def handed_off(self):
        return (self.answer == "yes" and "question" in self.boxes and self.vanish != "question"
                and self.mail not in (NO_LIBRARY, NO_ENTRY))


LINUX, WINDOWS = frozenset({"linux"}), frozenset({"windows"})

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
    Scenario("user abort", mail=Fail(1, "MAPI_E_USER_ABORT(1)"), boxes=("question", "warning"), platforms=WINDOWS),
    Scenario("unnamed code", mail=Fail(7, "7"), boxes=("question", "warning"), platforms=WINDOWS),
    Scenario("xdg-email fails", mail=Fail(1, "MAPI_E_FAILURE(2)"), boxes=("question", "warning"), platforms=LINUX),
    Scenario("xdg-email: no file", mail=Fail(2, "MAPI_E_ATTACHMENT_NOT_FOUND(11)"), boxes=("question", "warning"),
             platforms=LINUX),
    Scenario("xdg-email: no access", mail=Fail(5, "MAPI_E_ATTACHMENT_OPEN_FAILURE(12)"),
             boxes=("question", "warning"), platforms=LINUX),
    Scenario("xdg-email killed", mail=Fail("signal", "MAPI_E_FAILURE(2)"), boxes=("question", "warning"),
             platforms=LINUX),
    Scenario("NUL, EOF and lone CR bytes", dump=b"\0# status:\rpending\x1a\r\nrest\x1a\r",
             after=b"# status: sent     \r\nrest\x1a\r"),
    Scenario("a status line of spaces", dump=b" " * 20 + b"\nrest\n", after=b"# status: sent      \nrest\n"),
    Scenario("a symlink", dump=SYMLINK, boxes=(), platforms=LINUX),
    Scenario("a symlink to /dev/zero", dump=DEV_ZERO, boxes=(), platforms=LINUX),
    Scenario("a socket", dump=SOCKET, boxes=(), platforms=LINUX),
    Scenario("vanishes before the hand-off", vanish="question", mail=Fail(0, "MAPI_E_ATTACHMENT_NOT_FOUND(11)"),
             boxes=("question", "warning"), platforms=LINUX),
    Scenario("vanishes before the marking", vanish="hand-off", platforms=LINUX),
    Scenario("a FIFO", dump=FIFO, boxes=(), platforms=LINUX),
    Scenario("another user's file", dump=FOREIGN, boxes=(), platforms=LINUX),
]
