"""Runs the real Linux sender through every scenario, with stand-in zenity, kdialog
and xdg-email first (and alone) on PATH. Usage: linux_suite.py SENDER"""
import fcntl
import json
import mailbox
import os
import pty
import re
import resource
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import termios
import textwrap
import unittest
from contextlib import ExitStack, contextmanager
from dataclasses import dataclass
from importlib.machinery import SourceFileLoader
from pathlib import Path
from urllib.parse import parse_qs, quote, unquote, urlsplit

from scenarios import (ACCEPT, DEV_ZERO, ELSEWHERE, FIFO, FOREIGN, MARKED, NO_LIBRARY, PENDING, QUESTION,
                       RECIPIENT, SAME_SIZE, SOCKET, SUBJECT, SYMLINK, Fail, Scenario, check_two_senders, place_dump,
                       wait_until, walked_by)


# How Linux shows the boxes. Where zenity dies or cannot open the display, or the display is stale,
# the terminal's prompt takes over.
ZENITY, KDIALOG, ZENITY_DIES, STALE_DISPLAY = "zenity", "kdialog", "zenity dies", "stale display"
NO_DISPLAY_ACCESS, GTK_WARNINGS, NO_DESKTOP = "zenity cannot open the display", "GTK warnings", "no desktop"
NO_DISPLAY_ACCESS_GTK4 = "zenity 4 cannot open the display"
ON_TERMINAL = (ZENITY_DIES, STALE_DISPLAY, NO_DISPLAY_ACCESS, NO_DISPLAY_ACCESS_GTK4)
# What zenity 3 (GTK 3) and zenity 4 (GTK 4) say on standard error before they exit 1.
CANNOT_OPEN_DISPLAY = {NO_DISPLAY_ACCESS: "(zenity:4242): Gtk-WARNING **: 10:31:07.512: cannot open display: :0\n",
                       NO_DISPLAY_ACCESS_GTK4: "(zenity:945): Gtk-WARNING **: 22:51:07.950: Failed to open display\n"}
UNRELATED_WARNINGS = ("(zenity:4242): Gtk-WARNING **: 10:31:07.512: Locale not supported by C library.\n"
                      "\tUsing the fallback 'C' locale.\n"
                      "Gtk-Message: 10:31:07.530: GtkDialog mapped without a transient parent. This is discouraged.\n")

# xdg-email missing from PATH is NO_LIBRARY; present but impossible to start, this.
UNSTARTABLE = "cannot be started"
NO_MAILER = "No mail program could be started: xdg-email (from xdg-utils) was not found"
FAILURE = "Failed to send e-mail message.\n{}.\n\nError report saved to file:\n{}"
# After xdg-email started a mail program, only the user knows whether the report left.
WAS_IT_SENT = ("Was the crash report sent to Dravonel Tech Support?\nThe report is in the mail. Answer when you are "
               "done in your mail program. If you say No, you will be asked again next time.\n\n{}")
ATTACHED, NOT_ATTACHED = ("If your mail program did not attach the report file, it is:\n",
                          "The report file was not attached; it is:\n")
# xdg-email is handed the mail as one link; the body is checked where real mail programs get it.
LINK = f"mailto:{RECIPIENT}?subject={quote(SUBJECT, safe='')}"
BODY_OPENING = "Yorv crash report; its file is attached where the mail program allows.\r\n\r\n"
REST_IN_FILE = "\r\nThe rest of the report is in the file:\r\n"
BLOCK_INTRO = "The report once more, packed for support's tools:\r\n"


# How the product starts the sender: one launcher's habit a row.
IGNORES_SIGNALS, BACKGROUND_JOB = "ignores SIGCHLD and the ending signals", "a background job on a terminal"
STDERR_CLOSED, TERMINATED, HUNG_UP = "standard error closed", "SIGTERM while asking", "SIGHUP while asking"
ENDED = "ended while asking"  # the answer of a sender that is ended before the user answers
FROM_TERMINAL, BROKEN_PIPE = "started from a terminal", "standard error a pipe nobody reads"
# Ended at the terminal's prompt, with no dialog program run before it.
CTRL_C, TERMINAL_HUNG_UP, TERMINATED_AT_PROMPT = "Ctrl-C at the prompt", "terminal hung up", "SIGTERM at the prompt"
AT_PROMPT = (CTRL_C, TERMINAL_HUNG_UP, TERMINATED_AT_PROMPT)
ESCAPED = "closed with Escape"  # kdialog's status 2

# The environment it finds.
EMPTY_TMPDIR, RELATIVE_TMPDIR, RUNTIME_LINK = "TMPDIR empty", "TMPDIR relative", "runtime folder through a link"
SHARED_RUNTIME, LOCK_SYMLINK = "a runtime folder others can write to", "a symlink planted as the lock"
NON_UTF8_TEMP = os.fsdecode(b"J\xc3\xb6rg \xff\xed\xa0\x80")


@dataclass(frozen=True)
class LinuxScenario(Scenario):
    dialog: str = ZENITY
    launcher: str = None
    environment: str = None
    vanish: str = None               # the dump disappears at "question" or "hand-off"
    later: str = None                # the dialog program's statuses for the boxes after the question
    confirm: str = "yes"             # the answer to whether it was sent
    typing: tuple = None             # what the user types at the terminal's prompts, if not the answers
    mail_statuses: str = None        # xdg-email's statuses, call by call, where the hand-off is not a Fail

    @property
    def xdg_email_statuses(self):
        return str(self.mail.answer) if isinstance(self.mail, Fail) else self.mail_statuses

    @property
    def text_alone(self):
        """xdg-email refused the attachment (3, 4) and was asked once more, without it."""
        return (self.xdg_email_statuses or "")[:1] in ("3", "4")

    @property
    def asks_whether_sent(self):
        return self.handed_off and self.mail == ACCEPT

    @property
    def handed_off(self):
        return super().handed_off and self.vanish != "question" and self.mail != UNSTARTABLE

    def box_texts(self, dump_path):
        """The boxes a run shows, in order: (kind, text)."""
        texts = {"question": QUESTION, "error": FAILURE.format(NO_MAILER, dump_path),
                 "confirm": WAS_IT_SENT.format((NOT_ATTACHED if self.text_alone else ATTACHED) + dump_path)}
        if isinstance(self.mail, Fail):
            texts["warning"] = FAILURE.format(self.mail.error_text, dump_path)
        return [(kind, texts[kind]) for kind in self.boxes + ("confirm",) * self.asks_whether_sent]

    def dialog_statuses(self):
        """What the stand-in dialog program answers, box by box ("wait": the user never answers)."""
        status = {"yes": "0", "no": "1", ESCAPED: "2", ENDED: "wait"}
        statuses = [status[self.answer]]
        if self.later:
            statuses.append(self.later)
        elif self.asks_whether_sent:
            statuses.append(status[self.confirm])
        return ",".join(statuses)

    def typed(self):
        """What the user types at the terminal, prompt by prompt."""
        return self.typing or [b"n\n" if answer == "no" else b"y\n" for answer in (self.answer, self.confirm)]


ASKED_THEN_WARNED = ("question", "warning")
STATUS_4 = "xdg-email could not hand the report over (status 4)"


def xdg_email_fails(status, reason):
    return LinuxScenario(f"xdg-email ends with {status}", mail=Fail(status, reason), boxes=ASKED_THEN_WARNED)


NO_MAIL_PROGRAM = Fail(3, "xdg-email found no mail program to use (status 3)")
SCENARIOS = walked_by(LinuxScenario, [
    xdg_email_fails(1, "xdg-email reported a syntax error (status 1)"),
    xdg_email_fails(2, "xdg-email could not find the report file (status 2)"),
    xdg_email_fails(3, NO_MAIL_PROGRAM.error_text),
    xdg_email_fails(4, STATUS_4),
    xdg_email_fails(6, "xdg-email failed (status 6)"),
    xdg_email_fails(5, "xdg-email had no permission to read the report file (status 5)"),
    xdg_email_fails("signal", "xdg-email was stopped by signal 9"),
    LinuxScenario("xdg-email cannot be started", mail=UNSTARTABLE, boxes=("question", "error")),
    LinuxScenario("kdialog without zenity", dialog=KDIALOG, mail=NO_MAIL_PROGRAM, boxes=ASKED_THEN_WARNED),
    LinuxScenario("zenity dies: the terminal asks", dialog=ZENITY_DIES, after=MARKED),
    LinuxScenario("stale display: the terminal asks", dialog=STALE_DISPLAY,
                  mail=Fail(4, STATUS_4), boxes=ASKED_THEN_WARNED),
    LinuxScenario("a symlink", dump=SYMLINK, boxes=()),
    LinuxScenario("a symlink to /dev/zero", dump=DEV_ZERO, boxes=()),
    LinuxScenario("a socket", dump=SOCKET, boxes=()),
    LinuxScenario("vanishes before the hand-off", vanish="question",
                  mail=Fail(0, "the report file could not be read when it was to be attached"),
                  boxes=ASKED_THEN_WARNED),
    LinuxScenario("vanishes before the marking", vanish="hand-off"),
    LinuxScenario("a FIFO", dump=FIFO, boxes=()),
    LinuxScenario("another user's file", dump=FOREIGN, boxes=()),

    # Launchers
    LinuxScenario(IGNORES_SIGNALS, launcher=IGNORES_SIGNALS, after=MARKED),
    LinuxScenario(BACKGROUND_JOB, launcher=BACKGROUND_JOB, dialog=NO_DESKTOP, boxes=()),
    LinuxScenario(STDERR_CLOSED, launcher=STDERR_CLOSED, mail=Fail(4, STATUS_4),
                  boxes=ASKED_THEN_WARNED, later="signal"),
    LinuxScenario(BROKEN_PIPE, launcher=BROKEN_PIPE, mail=Fail(4, STATUS_4),
                  boxes=ASKED_THEN_WARNED, later="signal"),
    *(LinuxScenario(name, launcher=name, dialog=NO_DESKTOP, answer=ENDED) for name in AT_PROMPT),
    LinuxScenario("Escape on kdialog's question is No", dialog=KDIALOG, launcher=FROM_TERMINAL, answer=ESCAPED),
    LinuxScenario("Escape on kdialog's failure box closes it", dialog=KDIALOG, launcher=FROM_TERMINAL,
                  mail=NO_MAIL_PROGRAM, boxes=ASKED_THEN_WARNED, later="2"),

    # Whether the report was sent, asked after xdg-email started a mail program
    LinuxScenario("Yes, then No: it was not sent", confirm="no"),
    LinuxScenario("xdg-email refuses the attachment (3): the text alone, then asked", mail_statuses="3,0", after=MARKED),
    LinuxScenario("the portal refuses the attachment (4): the text alone, then asked", mail_statuses="4,0", after=MARKED),
    LinuxScenario("on the terminal, y then n", dialog=NO_DESKTOP, confirm="no"),
    LinuxScenario("on the terminal, y then y", dialog=NO_DESKTOP, after=MARKED),
    # One answer a prompt: the rest of a line, and what is typed before a prompt shows, answer nothing.
    LinuxScenario("on the terminal, a long line then n", dialog=NO_DESKTOP, typing=(b"y" * 40 + b"\n", b"n\n")),
    LinuxScenario("on the terminal, y typed twice, then n", dialog=NO_DESKTOP, typing=(b"y\ny\n", b"n\n")),
    LinuxScenario("Escape on kdialog's second question is No", dialog=KDIALOG, launcher=FROM_TERMINAL,
                  confirm=ESCAPED),
    LinuxScenario("SIGTERM at the second question", launcher=TERMINATED, confirm=ENDED),
    LinuxScenario(TERMINATED, launcher=TERMINATED, answer=ENDED),
    LinuxScenario(HUNG_UP, launcher=HUNG_UP, answer=ENDED),

    # Environments
    LinuxScenario(EMPTY_TMPDIR, environment=EMPTY_TMPDIR, after=MARKED),
    LinuxScenario(RELATIVE_TMPDIR, environment=RELATIVE_TMPDIR, mail=NO_MAIL_PROGRAM, boxes=ASKED_THEN_WARNED),
    LinuxScenario(RUNTIME_LINK, environment=RUNTIME_LINK, after=MARKED),
    LinuxScenario(SHARED_RUNTIME, environment=SHARED_RUNTIME, after=MARKED),
    LinuxScenario(LOCK_SYMLINK, environment=LOCK_SYMLINK, after=MARKED),
    LinuxScenario("zenity cannot open the display: the terminal asks", dialog=NO_DISPLAY_ACCESS, after=MARKED),
    LinuxScenario("zenity 4 cannot open the display: the terminal asks", dialog=NO_DISPLAY_ACCESS_GTK4, after=MARKED),
    LinuxScenario("No, with GTK's unrelated warnings", dialog=GTK_WARNINGS, answer="no"),
    LinuxScenario("a temporary folder whose name is not UTF-8", temp=NON_UTF8_TEMP, mail=NO_MAIL_PROGRAM,
                  boxes=ASKED_THEN_WARNED),
])

# Mail programs registered for mailto: links as each package does it, reached through the real xdg-email and gio:
# the stand-in named in the desktop file's Exec line records what it was handed.
MAIL_PROGRAMS = {
    "a .deb's Thunderbird": "thunderbird %u",
    "a snap's Thunderbird": "env BAMF_DESKTOP_FILE_HINT=/var/lib/snapd/desktop/applications/thunderbird_thunderbird"
                            ".desktop {bin}/thunderbird %u",
    "a Flatpak's Thunderbird": "{bin}/flatpak run --branch=stable --arch=x86_64 --command=thunderbird "
                               "--file-forwarding org.mozilla.Thunderbird @@u %u @@",
    "a browser, for webmail": "firefox %u",
    "a browser known as the https: links' handler": "firefox %u",
}
# What a shell, echo or a -compose parser would change, and text that is not UTF-8.
AWKWARD = ("# status: pending\r\nC:\\new\\box\\cut 'q' \"q\" a,b 100% & x=y;z\ttab\r\n".encode()
           + "Jörg, ça va €\n".encode() + b"\xff\x00 end\n")
LONG = b"# status: pending\n" + b"".join(b"line %06d of a dump far over the bound\n" % n for n in range(1, 8000))

SENDER = None
SANITIZED = os.environ.get("YORV_SANITIZED") == "1"
# The sender built for the tests: it waits 1 s for a mail program, and reads TEST_FLATPAK_INFO for /.flatpak-info.
TEST_BUILD = "TEST_BUILD_SENDER" in os.environ
KEEPS_RUNNING, IN_FLATPAK = "the mail program keeps running", "inside a Flatpak"
EXTRACT = SourceFileLoader("extract_reports", str(Path(__file__).parents[2] / "scripts/extract-reports")).load_module()

# Records its name and arguments, then does what the scenario asks of this tool.
STANDIN = """#!{python}
import json, os, signal, sys, time
tool = os.path.basename(sys.argv[0])
variable = tool.upper().replace("-", "_")
setting = lambda name, default=None: os.environ.get(variable + "_" + name, default)
with open(os.environ["STANDIN_LOG"], "r+") as log:
    earlier = sum(json.loads(line)[0] == tool for line in log.read().splitlines())
    log.write(json.dumps([tool] + sys.argv[1:]) + "\\n")
    ignored = int(next(line for line in open("/proc/self/status") if line.startswith("SigIgn:")).split()[1], 16)
    if ignored & sum(1 << (number - 1) for number in (1, 2, 15, 17)):  # HUP, INT, TERM, CHLD
        log.write(json.dumps(["inherited ignored signals", hex(ignored)]) + "\\n")
if setting("REMOVES_DUMP") and os.path.lexists(os.environ["DUMP"]):
    os.remove(os.environ["DUMP"])
if setting("REPLACES_DUMP"):  # as the product does after another crash
    how, content = setting("REPLACES_DUMP").split(":", 1)
    target = os.environ["DUMP"] + ".new" if how == "renamed" else os.environ["DUMP"]
    with open(target, "wb") as dump:
        dump.write(content.encode())
    if how == "renamed":
        os.replace(target, os.environ["DUMP"])
if setting("REFUSES_ATTACH") and "--attach" in sys.argv:  # as flatpak-xdg-utils' xdg-email, for the portal's error
    sys.exit(4)
statuses = setting("EXIT", "0").split(",")
status = statuses[min(earlier, len(statuses) - 1)]
if status == "wait":  # the user takes their time: until WAITS_FOR exists (at most 20 s), then Yes
    with open(setting("PIDFILE"), "w") as pidfile:
        pidfile.write(str(os.getpid()))
    deadline = time.monotonic() + 20
    while not os.path.exists(setting("WAITS_FOR")) and time.monotonic() < deadline:
        time.sleep(0.05)
    status = "0"
sys.stderr.write(setting("STDERR", ""))
text = next((argument for argument in sys.argv if argument.startswith("--text=")), "")
try:
    os.fsencode(text).decode("utf-8")
except UnicodeDecodeError:
    sys.exit(255)  # as zenity refuses a text that is not UTF-8
if status == "signal":
    os.kill(os.getpid(), signal.SIGKILL)
sys.exit(int(status))
"""

def run_sender(env, timeout=30, **options):
    return subprocess.run([SENDER, "--ignored", "argument"], env=env, stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=timeout, **options)


def run_on_terminal(env, typed, background=False, interrupt=None):
    """Runs the sender with a terminal (its controlling one) for its input and messages, as a user's
    shell does: in the terminal's foreground, or as a background job (`&`) under `stty tostop`.
    `typed` holds what is typed at each prompt; with `interrupt`, it is ended at its prompt instead.
    Returns its status and what it printed."""
    terminal, sender_side = pty.openpty()
    command = ["/bin/bash", "-c", 'set -m; /bin/stty tostop; "$0" & wait $!', SENDER] if background else [SENDER]
    sender = subprocess.Popen(command, env=env, stdin=sender_side, stdout=subprocess.DEVNULL, stderr=sender_side,
                              start_new_session=True, preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))
    os.close(sender_side)
    output = b""
    if interrupt:
        while b"[y/N] " not in output and select.select([terminal], [], [], 20)[0]:
            output += os.read(terminal, 4096)
        if interrupt == CTRL_C:
            os.write(terminal, b"\x03")
        elif interrupt == TERMINATED_AT_PROMPT:
            sender.send_signal(signal.SIGTERM)
        else:  # the terminal goes away, and the kernel hangs up its session
            os.close(terminal)
            return sender.wait(timeout=30), output.decode(errors="surrogateescape")
    else:  # each answer once its prompt is shown, as a person types
        answers = list(typed)
        while answers and sender.poll() is None:
            if output.count(b"[y/N] ") > len(typed) - len(answers):
                os.write(terminal, answers.pop(0))
            elif select.select([terminal], [], [], 0.1)[0]:
                try:
                    output += os.read(terminal, 4096)
                except OSError:  # EIO once the sender's side has closed
                    break
    status = sender.wait(timeout=30)
    try:
        while chunk := os.read(terminal, 4096):
            output += chunk
    except OSError:  # EIO once the sender's side has closed
        pass
    os.close(terminal)
    return status, output.decode(errors="surrogateescape")


def dialog_text(text):
    """A box's text as a dialog gets it in a UTF-8 locale: bytes that are not UTF-8 as \\xNN."""
    return os.fsencode(text).decode("utf-8", "backslashreplace")


def ignoring_signals():
    for number in (signal.SIGCHLD, signal.SIGTERM, signal.SIGHUP, signal.SIGINT, signal.SIGPIPE):
        signal.signal(number, signal.SIG_IGN)


def stderr_to_a_pipe_nobody_reads():
    reader, writer = os.pipe()
    os.dup2(writer, 2)
    os.close(reader)
    os.close(writer)


def handed_over(call):
    """The body a mail program was handed, and the attachment: Thunderbird's -compose fields, or a link's."""
    if "-compose" in call:
        fields = call[call.index("-compose") + 1]
        attached = re.search(r",attachment='(.*)'$", fields)
        return unquote(re.search(r"(?:^|,)body=([^,]*)", fields)[1]), attached and attached[1]
    return parse_qs(urlsplit(next(arg for arg in call if arg.startswith("mailto:"))).query)["body"][0], None


def gone(pid):
    try:
        return Path(f"/proc/{pid}/stat").read_text().split(")")[-1].split()[0] == "Z"
    except FileNotFoundError:
        return True


class Sandbox:
    """A scratch temporary directory with a hostile name, a reachable Wayland display and a
    runtime folder of its own, and a PATH of stand-ins only."""

    def __init__(self, tools=("zenity", "xdg-email"), temp=None):
        self.scratch_dir = tempfile.TemporaryDirectory()
        self.scratch = scratch = Path(self.scratch_dir.name)
        self.tmp = scratch / "tmp dir 'q' \"d\" $(touch pwned)"
        self.tmp.mkdir()
        folder = self.tmp / temp if temp else self.tmp
        folder.mkdir(exist_ok=True)
        self.dump = folder / "yorv_crash_dump.txt"
        self.log = scratch / "calls.log"
        self.log.touch()
        self.bin = bin_dir = scratch / "bin"
        bin_dir.mkdir()
        for tool in tools:
            python = "/nonexistent/python3" if tool == UNSTARTABLE else sys.executable
            name = "xdg-email" if tool == UNSTARTABLE else tool
            (bin_dir / name).write_text(STANDIN.format(python=python))
            (bin_dir / name).chmod(0o755)
        self.runtime = runtime = scratch / "run"
        runtime.mkdir(mode=0o700)
        self.wayland = socket.socket(socket.AF_UNIX)
        self.wayland.bind(str(runtime / "wayland-0"))
        self.wayland.listen(8)
        self.env = {"PATH": str(bin_dir), "TMPDIR": str(folder), "XDG_RUNTIME_DIR": str(runtime),
                    "WAYLAND_DISPLAY": "wayland-0", "LANG": "C.UTF-8", "STANDIN_LOG": str(self.log),
                    "DUMP": str(self.dump)}

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.wayland.close()
        self.scratch_dir.cleanup()

    def register_mail_program(self, exec_line, browser=None):
        """The mailto: handler's desktop file, made the user's default: the environment that finds it."""
        home = self.scratch / "home"
        (home / ".local/share/applications").mkdir(parents=True)
        (home / ".config").mkdir()  # xdg-mime 1.2.1 does not make it
        (home / ".local/share/applications/mail.desktop").write_text(
            f"[Desktop Entry]\nType=Application\nName=Mail\nExec={exec_line.format(bin=self.bin)}\n"
            "MimeType=x-scheme-handler/mailto;\n"
            f"Categories={ {'webmail': 'Network;WebBrowser;', 'https': ''}.get(browser, 'Network;Email;') }\n")
        env = dict(self.env, HOME=str(home), XDG_CURRENT_DESKTOP="GNOME", PATH=f"{self.bin}:/usr/bin:/bin")
        for scheme in ["mailto"] + ["https"] * (browser == "https"):
            subprocess.run(["xdg-mime", "default", "mail.desktop", f"x-scheme-handler/{scheme}"], env=env, check=True)
        return env

    def calls(self):
        """What each stand-in was given; of a mailto: link, its address and subject."""
        return [[argument.split("&body=")[0] if argument.startswith("mailto:") else argument for argument in call]
                for call in map(json.loads, self.log.read_text().splitlines())]


def expected_calls(scenario: LinuxScenario, dump_path: str):
    calls = []
    for kind, text in scenario.box_texts(dump_path):
        if scenario.dialog == KDIALOG:
            dialog = {"question": "--yesno", "confirm": "--yesno", "error": "--error", "warning": "--sorry"}[kind]
            calls.append(["kdialog", "--title", "Yorv", dialog, dialog_text(text)])
        elif scenario.dialog not in (STALE_DISPLAY, NO_DESKTOP):
            calls.append(["zenity", "--question" if kind == "confirm" else f"--{kind}", "--title=Yorv", "--no-markup", f"--text={dialog_text(text)}"])
    if scenario.handed_off:
        at = 1 if scenario.dialog != STALE_DISPLAY else 0
        calls.insert(at, ["xdg-email", "--attach", dump_path, LINK])
        if scenario.text_alone:  # asked once more, without the attachment
            calls.insert(at + 1, ["xdg-email", LINK])
    return calls


class Scenarios(unittest.TestCase):
    def environment(self, scenario: LinuxScenario, box: Sandbox):
        """The sender's environment and working directory: the sandbox's, as the scenario changes it."""
        statuses = scenario.dialog_statuses()
        env = dict(box.env, ZENITY_EXIT=statuses, KDIALOG_EXIT=statuses)
        cwd = None
        if scenario.xdg_email_statuses:
            env["XDG_EMAIL_EXIT"] = scenario.xdg_email_statuses
        if scenario.vanish:
            env["ZENITY_REMOVES_DUMP" if scenario.vanish == "question" else "XDG_EMAIL_REMOVES_DUMP"] = "1"
        if scenario.replaced:
            how, new_dump = scenario.replaced
            env["XDG_EMAIL_REPLACES_DUMP"] = f"{how}:{new_dump.decode()}"
        if scenario.dialog == ZENITY_DIES:
            env["ZENITY_EXIT"] = "signal"
        elif scenario.dialog in (STALE_DISPLAY, NO_DESKTOP):
            del env["WAYLAND_DISPLAY"]
            if scenario.dialog == STALE_DISPLAY:
                env["DISPLAY"] = ":7319"  # no X server, no socket
        elif scenario.dialog in CANNOT_OPEN_DISPLAY:
            env.update(ZENITY_EXIT="1", ZENITY_STDERR=CANNOT_OPEN_DISPLAY[scenario.dialog])
        elif scenario.dialog == GTK_WARNINGS:
            env["ZENITY_STDERR"] = UNRELATED_WARNINGS
        if scenario.launcher in (TERMINATED, HUNG_UP):
            env.update(ZENITY_WAITS_FOR=str(box.scratch / "never"), ZENITY_PIDFILE=str(box.scratch / "zenity.pid"))
        if scenario.environment == EMPTY_TMPDIR:
            env.update(TMPDIR="", TMP=env["TMPDIR"])
        elif scenario.environment == RELATIVE_TMPDIR:
            cwd, env["TMPDIR"] = os.path.split(env["TMPDIR"])
        elif scenario.environment == RUNTIME_LINK:
            (box.scratch / "run-link").symlink_to(box.runtime)
            env["XDG_RUNTIME_DIR"] = str(box.scratch / "run-link")
        elif scenario.environment == SHARED_RUNTIME:
            box.runtime.chmod(0o777)
        elif scenario.environment == LOCK_SYMLINK:
            (box.runtime / "yorv-report-sender.lock").symlink_to(box.scratch / "lock target")
        return env, cwd

    def run_ended_while_asking(self, scenario: LinuxScenario, env):
        """Ends the sender while its question is open: the dialog must go with it."""
        sender = subprocess.Popen([SENDER], env=env, stdin=subprocess.DEVNULL)
        pidfile = Path(env["ZENITY_PIDFILE"])
        wait_until(lambda: pidfile.exists() and pidfile.read_text())  # until the question is open
        sender.send_signal(signal.SIGTERM if scenario.launcher == TERMINATED else signal.SIGHUP)
        status = sender.wait(timeout=30)
        dialog = int(pidfile.read_text())
        self.assertTrue(wait_until(lambda: gone(dialog)), "the dialog outlived the sender")
        return status

    def run_scenario(self, scenario: LinuxScenario):
        tools = [KDIALOG if scenario.dialog == KDIALOG else "zenity"]
        if scenario.mail != NO_LIBRARY:
            tools.append(UNSTARTABLE if scenario.mail == UNSTARTABLE else "xdg-email")
        with Sandbox(tools, scenario.temp) as box, ExitStack() as keep:
            place_dump(box.dump, scenario.dump, keep, scenario.readonly)
            before = box.dump.read_bytes() if isinstance(scenario.dump, bytes) else None
            env, cwd = self.environment(scenario, box)
            lock = box.runtime / "yorv-report-sender.lock"

            if scenario.dialog in ON_TERMINAL + (NO_DESKTOP,) or scenario.launcher == FROM_TERMINAL:
                status, printed = run_on_terminal(env, scenario.typed(), background=scenario.launcher == BACKGROUND_JOB,
                                                  interrupt=scenario.launcher if scenario.launcher in AT_PROMPT else None)
                on_terminal = scenario.dialog in ON_TERMINAL + (NO_DESKTOP,)
                shown = "".join(f"Yorv\n{text}\n" + ("[y/N] " if kind in ("question", "confirm") else "")
                                for kind, text in scenario.box_texts(str(box.dump)) if on_terminal)
                printed = printed.replace("\r\n", "\n")
                for typed in scenario.typed():  # echoed where it was typed
                    printed = printed.replace("[y/N] " + typed.decode(), "[y/N] ", 1)
                self.assertIn(shown, printed)
                if not shown:
                    self.assertNotIn("Yorv", printed)
            elif scenario.launcher in (TERMINATED, HUNG_UP):
                status = self.run_ended_while_asking(scenario, env)
            else:
                preexec = {IGNORES_SIGNALS: ignoring_signals, STDERR_CLOSED: lambda: os.close(2),
                           BROKEN_PIPE: stderr_to_a_pipe_nobody_reads}.get(scenario.launcher)
                result = run_sender(env, cwd=cwd, preexec_fn=preexec)
                status = result.returncode
                self.assertEqual(result.stderr, b"")

            self.assertEqual(status, 0)
            self.assertEqual(box.calls(), expected_calls(scenario, str(box.dump)))
            if scenario.vanish:
                self.assertFalse(os.path.lexists(box.dump), "the dump was created again")
            elif before is not None:
                self.assertEqual(box.dump.read_bytes(), scenario.after or before)
            if scenario.dump == SYMLINK:
                self.assertEqual((box.dump.parent / "elsewhere.txt").read_bytes(), ELSEWHERE)
            if scenario.environment == SHARED_RUNTIME:  # others could hold it for good
                self.assertFalse(lock.exists())
            elif scenario.environment == LOCK_SYMLINK:
                self.assertFalse(os.path.lexists(box.scratch / "lock target"), "the lock's symlink was followed")
            elif scenario.boxes:  # the guard was taken, and nothing else written into its file
                self.assertEqual(lock.read_bytes(), b"")
            self.assertFalse((box.scratch / "pwned").exists())

    def test_scenarios(self):
        for scenario in SCENARIOS:
            if scenario.dump == FOREIGN and os.geteuid() != 0:
                continue  # needs root to give a file away
            with self.subTest(scenario.name):
                self.run_scenario(scenario)

    @unittest.skipUnless(shutil.which("xdg-email") and shutil.which("gio"), "xdg-utils or gio not installed")
    def test_every_mail_program_gets_the_reports_text(self):
        """Through the real xdg-email: the text arrives whole, cut at a line end when over the bound, and the block
        gives back the dump's bytes, re-wrapped too; a browser's link fits a web server's request line; the second
        question comes while a Thunderbird that keeps running is up. Inside a Flatpak-like sandbox, whose xdg-email
        cannot attach a file, the text alone is handed over and the boxes name the dump where the host has it."""
        rows = [(name, AWKWARD, None) for name in MAIL_PROGRAMS] + [
            ("a snap's Thunderbird", LONG, None), ("a browser, for webmail", LONG, None),
            ("a browser known as the https: links' handler", LONG, None)] + [
            ("a .deb's Thunderbird", AWKWARD, KEEPS_RUNNING), ("a .deb's Thunderbird", LONG, IN_FLATPAK)] * TEST_BUILD
        for name, dump, build in rows:
            with self.subTest(name, size=len(dump), build=build), \
                    Sandbox(("zenity", "thunderbird", "flatpak", "firefox") + ("xdg-email",) * (build == IN_FLATPAK)) as box:
                browser = "https" if "https" in name else "webmail" if "browser" in name else None
                env = box.register_mail_program(MAIL_PROGRAMS[name], browser)
                box.dump.write_bytes(dump)
                if build == KEEPS_RUNNING:  # until the row ends (at most 20 s)
                    env.update(THUNDERBIRD_EXIT="wait", THUNDERBIRD_WAITS_FOR=str(box.scratch / "quit"),
                               THUNDERBIRD_PIDFILE=str(box.scratch / "thunderbird.pid"))
                info = Path(os.environ.get("TEST_FLATPAK_INFO", "/nonexistent"))
                if build == IN_FLATPAK:  # flatpak-xdg-utils' xdg-email: 4 for a file the portal cannot open
                    info.write_text("[Application]\nname=org.example.Yorv\n\n[Instance]\n"
                                    "instance-path=/run/user/1000/.flatpak/2052357641\n")
                    env["XDG_EMAIL_REFUSES_ATTACH"] = "1"
                # Read to its end, as a launcher may: no mail program that keeps running holds it open.
                try:
                    result = subprocess.run([os.environ["TEST_BUILD_SENDER"] if build else SENDER], env=env,
                                            stdin=subprocess.DEVNULL, capture_output=True, timeout=15)
                finally:
                    info.unlink(missing_ok=True)
                self.assertEqual((result.returncode, result.stdout, result.stderr), (0, b"", b""))
                if build == KEEPS_RUNNING:  # asked, and answered, while it still runs
                    pidfile = box.scratch / "thunderbird.pid"
                    self.assertTrue(wait_until(lambda: pidfile.exists() and pidfile.read_text()))
                    self.assertFalse(gone(int(pidfile.read_text())))
                    (box.scratch / "quit").touch()
                # gio starts the mail program and returns: its record may come after the sender has ended.
                records = lambda: [call for call in map(json.loads, box.log.read_text().splitlines())
                                   if call[0] != "zenity"]
                self.assertTrue(wait_until(records), "no mail program was handed the report")
                mail_program = records()[-1]
                body, attached = handed_over(mail_program)
                self.assertEqual(attached, str(box.dump) if "-compose" in mail_program else None)
                # The dump's text as the dialogs show it, CR LF line ends; a long one cut at a line end.
                text = dialog_text(os.fsdecode(dump)).replace("\0", "\\x00").replace("\r\n", "\n")
                text = text.replace("\n", "\r\n")
                shown = str(box.dump)
                if build == IN_FLATPAK and shown.startswith("/tmp/"):
                    shown = "/run/user/1000/.flatpak/org.example.Yorv/tmp/" + shown.removeprefix("/tmp/")
                text_part = body.removeprefix(BODY_OPENING).partition("\r\n\r\n" + BLOCK_INTRO)[0]
                quoted, cut, rest = text_part.partition(REST_IN_FILE)
                self.assertEqual((body.startswith(BODY_OPENING), cut, rest), (True, REST_IN_FILE, shown)
                                 if dump == LONG else (True, "", ""))
                self.assertTrue(quoted + "\r\n" == text or text.startswith(quoted) and quoted.endswith("\r\n"))
                # The block, as a composer may re-wrap it (its lines joined, spaces collapsed, no-break spaces).
                rewrapped = textwrap.fill(body.replace("\r\n", " "), 72).replace(" ", "\u00a0 ", 30)
                for sent in (body, rewrapped):
                    report, whole_size = EXTRACT.decode_block(sent)
                    self.assertEqual((report, whole_size), (dump, None) if whole_size is None else (dump[:len(report)], len(dump)))
                bound = 6000 if "browser" in name or build == IN_FLATPAK else 65535
                self.assertLessEqual(max(map(len, mail_program)), 10**6 if "-compose" in mail_program else bound)
                if dump == LONG and bound == 65535:  # a mail program takes the long link
                    self.assertGreater(max(map(len, mail_program)), 60000)
                if build == IN_FLATPAK:
                    self.assertEqual(len(records()), 1, "the file was offered to the portal")
                    self.assertIn(NOT_ATTACHED + shown, box.calls()[-1][-1])
                self.assertEqual(box.dump.read_bytes()[:14], b"# status: sent")

    def test_support_recovers_each_report_once(self):
        """scripts/extract-reports on mails as the measured composers sent them, as .eml files and in an mbox: the
        block gives back the dump whatever the composer did to the text, and is written once however often it came;
        an attachment the mail program read after the marking is not taken for the report."""
        mails = sorted((Path(__file__).parents[1] / "data/mails").glob("*.eml"))
        with tempfile.TemporaryDirectory() as scratch:
            box = mailbox.mbox(f"{scratch}/mbox")
            for mail in mails:
                box.add(mail.read_bytes())
            box.flush()
            found = subprocess.run([EXTRACT.__file__, "-o", scratch, *mails, f"{scratch}/mbox"], capture_output=True,
                                   text=True, check=True).stdout.splitlines()
            self.assertEqual(Path(scratch, "yorv-report-0b688a97.txt").read_bytes(), (mails[0].parent / "dump.txt").read_bytes())
            self.assertEqual(len(list(Path(scratch).glob("yorv-report-*"))), 2)
        each = 2 * ["3297 bytes, block (the attachment differs)"] + 2 * ["3297 bytes, block"] + [
            "8651 bytes, block of the first 8651 of 61440 bytes"]  # claws, evolution, flatpak, snap, webmail
        self.assertEqual([line.split(": ", 1)[1].split("; from")[0] for line in found], each * 2)  # the mbox too
        self.assertEqual(sum("(written before)" in line for line in found), 8)

    def test_two_senders_ask_once(self):
        """The second sender ends in silence while the first asks, either question; then the first sends."""
        for statuses in ["wait,0", "0,wait"]:
            with self.subTest(statuses), Sandbox() as box:
                box.dump.write_bytes(PENDING)
                answered, pidfile = box.scratch / "answered", box.scratch / "zenity.pid"
                env = dict(box.env, ZENITY_EXIT=statuses, ZENITY_WAITS_FOR=str(answered), ZENITY_PIDFILE=str(pidfile))
                check_two_senders(self, lambda _: subprocess.Popen([SENDER], env=env, stdin=subprocess.DEVNULL),
                                  lambda: wait_until(pidfile.exists), answered.touch)
                self.assertEqual([call[0] for call in box.calls()], ["zenity", "xdg-email", "zenity"])
                self.assertEqual(box.dump.read_bytes(), MARKED)

    @unittest.skipIf(SANITIZED, "the sanitizer builds link dynamically and reserve more address space")
    def test_one_static_file_read_through_its_window(self):
        """A static PIE; under a 128 MiB address-space limit, a 1 GiB dump without a line end is read and marked."""
        elf = Path(SENDER).read_bytes()
        program_headers, entry_size, count = (int.from_bytes(elf[at:at + size], "little")
                                              for at, size in ((0x20, 8), (0x36, 2), (0x38, 2)))
        kinds = [int.from_bytes(elf[program_headers + i * entry_size:][:4], "little") for i in range(count)]
        self.assertEqual(int.from_bytes(elf[16:18], "little"), 3, "not position-independent")
        self.assertNotIn(3, kinds, "asks for a dynamic loader")

        with Sandbox() as box:
            with box.dump.open("wb") as dump:
                dump.write(b"# status: pending")
                dump.truncate(1 << 30)
            limit = lambda: resource.setrlimit(resource.RLIMIT_AS, (128 << 20, 128 << 20))
            result = subprocess.run([SENDER], env=box.env, stdin=subprocess.DEVNULL,
                                    capture_output=True, timeout=30, preexec_fn=limit)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(box.dump.stat().st_size, 1 << 30)
            with box.dump.open("rb") as dump:
                self.assertEqual(dump.read(4096), b"# status: sent".ljust(255) + bytes(4096 - 255))

    def test_temporary_directory_problems_mean_no_dump(self):
        with Sandbox() as box:
            long_dir = box.scratch / ("d" * 230)
            long_dir.mkdir()
            (long_dir / "yorv_crash_dump.txt").write_bytes(b"# status: pending\n")
            for tmpdir in [str(long_dir), str(box.scratch / "missing")]:
                result = run_sender(dict(box.env, TMPDIR=tmpdir))
                self.assertEqual(result.returncode, 0)
            self.assertEqual(box.calls(), [])

    def test_no_desktop(self):
        """Without a desktop, or a dialog program on it, and a terminal the question counts as No; standard error
        says so, and where the report lies."""
        for tools in [("zenity", "xdg-email"), ("xdg-email",)]:
            with self.subTest(tools=tools), Sandbox(tools) as box:
                box.dump.write_bytes(PENDING)
                env = dict(box.env)
                if "zenity" in tools:
                    del env["WAYLAND_DISPLAY"]
                result = run_sender(env)
                self.assertEqual((result.returncode, box.calls(), box.dump.read_bytes()), (0, [], PENDING))
                self.assertEqual(result.stderr, b"Yorv: the crash report was not offered: no zenity or kdialog could "
                                 b"show the question, and no terminal could ask it. It waits in %s\n" % bytes(box.dump))


class MountedFileSystems(unittest.TestCase):
    """File systems of their own, mounted where the machine lets root do so, else skipped."""

    def need(self, *tools):
        missing = [tool for tool in tools if not shutil.which(tool)]
        if missing:
            self.skipTest(f"{', '.join(missing)} not installed (e2fsprogs, mount)")

    @contextmanager
    def mounted(self, point: Path, arguments, what):
        """`mount ARGUMENTS POINT` for the block, which gets the dump's path there; skipped if it fails."""
        point.mkdir()
        if subprocess.run(["mount", *arguments, str(point)], capture_output=True).returncode != 0:
            self.skipTest(f"this machine cannot mount {what} (root needed)")
        try:
            yield point / "yorv_crash_dump.txt"
        finally:
            subprocess.run(["umount", str(point)], check=True)

    def dump_after_a_run(self, box, dump: Path, **env):
        env = dict(box.env, TMPDIR=str(dump.parent), DUMP=str(dump), **env)
        self.assertEqual(run_sender(env).returncode, 0)
        return dump.read_bytes()

    def test_a_dump_in_an_overlays_lower_layer_is_marked(self):
        """overlayfs, as in containers: the open for marking copies the dump up, with new metadata; its bytes
        are still the report that was handed off."""
        self.need("mount", "umount")
        with Sandbox() as box:
            lower, upper, work = (box.scratch / name for name in ("lower", "upper", "work"))
            for folder in (lower, upper, work):
                folder.mkdir()
            (lower / "yorv_crash_dump.txt").write_bytes(PENDING)
            layers = ["-t", "overlay", "overlay", "-o", f"lowerdir={lower},upperdir={upper},workdir={work}"]
            with self.mounted(box.scratch / "merged", layers, "an overlayfs") as dump:
                self.assertEqual(self.dump_after_a_run(box, dump), MARKED)

    def test_a_new_dump_of_the_same_size_stays_pending(self):
        """Where a file's times are whole seconds (ext4 with 128-byte inodes, ext3, vfat), a dump rewritten
        in place at its size during the hand-off looks the same by its times: its content tells."""
        self.need("mkfs.ext4", "mount", "umount")
        with Sandbox() as box:
            image = box.scratch / "whole-seconds.img"
            with image.open("wb") as file:
                file.truncate(8 << 20)
            if subprocess.run(["mkfs.ext4", "-q", "-I", "128", str(image)], capture_output=True).returncode != 0:
                self.skipTest("mkfs.ext4 could not make an image")
            with self.mounted(box.tmp / "whole seconds", ["-o", "loop", str(image)], "a loop device") as dump:
                dump.write_bytes(PENDING)
                self.assertEqual(dump.stat().st_ctime_ns % 10**9, 0, "the times are not whole seconds")
                rewrite = f"rewritten:{SAME_SIZE.decode()}"
                self.assertEqual(self.dump_after_a_run(box, dump, XDG_EMAIL_REPLACES_DUMP=rewrite), SAME_SIZE)


if __name__ == "__main__":
    SENDER = os.path.abspath(sys.argv.pop(1))
    result = unittest.main(verbosity=2, exit=False).result
    if not result.wasSuccessful():
        sys.exit(1)
    if result.skipped and len(result.skipped) == result.testsRun:
        sys.exit(77)  # nothing here could run: CTest's SKIP_RETURN_CODE
