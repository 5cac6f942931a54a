"""The run's scenarios that both platforms walk, as data, and what the two suites share.

Each row sets up the dump and the user's and the mail system's answers, and says which boxes a
run shows, whether the report is handed off and what the dump holds afterwards. Rows that one
platform walks, and the fields only they need, live in that platform's suite.
"""
import os
import socket
import time
from dataclasses import dataclass, fields
from pathlib import Path

QUESTION = "The error report was created for last Yorv crash.\nSend error information to Dravonel Tech Support?"
SUBJECT = "Yorv: Crash Report"
RECIPIENT = os.environ["YORV_SUPPORT_MAIL_ADDRESS"]  # as the build under test was configured

PENDING = b"# status: pending\r\nproduct: Yorv 4.2\r\nfault: access violation\r\n"
MARKED = b"# status: sent   \r\nproduct: Yorv 4.2\r\nfault: access violation\r\n"

# Entries that stand under the dump's name instead of a file.
DIRECTORY, SYMLINK, FIFO, FOREIGN = "directory", "symlink", "fifo", "another user's file"
DEV_ZERO, SOCKET = "symlink to /dev/zero", "socket"
ELSEWHERE = b"# status: pending, but not the dump\n"  # what a planted symlink points at
NOBODY = 65534

# What the mail hand-off does: accepts, or there is no mail library (Windows) or xdg-email (Linux).
ACCEPT, NO_LIBRARY = "accept", "no library"

# A new report that the product writes while the mail client is open, after another crash: renamed
# into place, or the old file rewritten. Its bytes were never sent, so it stays pending.
RENAMED, REWRITTEN = "renamed", "rewritten"
NEWER = b"# status: pending\r\nproduct: Yorv 4.2\r\nfault: stack overflow in the renderer\r\n"
SAME_SIZE = PENDING.replace(b"access violation", b"division by zero")

# A temporary folder that Windows' ANSI code page cannot spell.
NON_ANSI_TEMP = "\u03a9mega J\u00f6rg"


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
    temp: str = None                 # a folder of this name in the temporary directory holds the dump
    replaced: tuple = None           # (RENAMED or REWRITTEN, the new dump) during the hand-off

    @property
    def handed_off(self):
        return (self.answer == "yes" and "question" in self.boxes
                and (self.mail == ACCEPT or isinstance(self.mail, Fail)))


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
    Scenario("temporary folder outside the code page", temp=NON_ANSI_TEMP, after=MARKED),
    Scenario("NUL, EOF and lone CR bytes", dump=b"\0# status:\rpending\x1a\r\nrest\x1a\r",
             after=b"# status: sent     \r\nrest\x1a\r"),
    Scenario("a status line of spaces", dump=b" " * 20 + b"\nrest\n", after=b"# status: sent      \nrest\n"),
    replaced_during_hand_off("renamed into place", RENAMED, NEWER),
    replaced_during_hand_off("written over the old one", REWRITTEN, NEWER),
    replaced_during_hand_off("of the same size written over the old one", REWRITTEN, SAME_SIZE),
    # Those bytes are the report that was handed off, whichever file holds them.
    Scenario("the same bytes renamed into place during the hand-off are marked", replaced=(RENAMED, PENDING),
             after=MARKED),
]


def walked_by(platform_scenario, own_rows):
    """The shared rows as the platform's own kind of row, then the platform's own rows."""
    shared = [platform_scenario(**{f.name: getattr(row, f.name) for f in fields(Scenario)}) for row in SCENARIOS]
    return shared + own_rows


def place_dump(path: Path, content, keep, readonly=False):
    """Puts what a row names under the dump's name. `keep` (a contextlib.ExitStack) holds what
    must stay open for the run and be closed after it."""
    if content is None:
        return
    if content == DIRECTORY:
        path.mkdir()
    elif content == FIFO:
        os.mkfifo(path)
    elif content == SYMLINK:
        (path.parent / "elsewhere.txt").write_bytes(ELSEWHERE)
        path.symlink_to(path.parent / "elsewhere.txt")
    elif content == DEV_ZERO:
        path.symlink_to("/dev/zero")
    elif content == SOCKET:
        keep.enter_context(socket.socket(socket.AF_UNIX)).bind(str(path))
    elif content == FOREIGN:
        path.write_bytes(b"# status: pending\n")
        os.chown(path, NOBODY, NOBODY)
    else:
        path.write_bytes(content)
        if readonly:
            path.chmod(0o444)


def check_two_senders(test, start, until_asking, answer):
    """Starts a sender, and a second one while the first is asking: the second ends at once, with
    status 0. Then the first is answered and ends with status 0. `start(name)` starts a sender and
    returns its process; `until_asking()` waits until the first is asking; `answer()` answers it."""
    first = start("first")
    until_asking()
    test.assertEqual(start("second").wait(timeout=30), 0)
    answer()
    test.assertEqual(first.wait(timeout=30), 0)


def wait_until(condition, seconds=20):
    """Polls `condition` until it holds or `seconds` have passed; returns its last value."""
    deadline = time.monotonic() + seconds
    while not (held := condition()) and time.monotonic() < deadline:
        time.sleep(0.02)
    return held
