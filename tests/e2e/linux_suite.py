"""Runs the real Linux sender through every scenario, with stand-in zenity, kdialog
and xdg-email first (and alone) on PATH. Usage: linux_suite.py SENDER"""
import fcntl
import json
import os
import pty
import resource
import signal
import socket
import subprocess
import sys
import tempfile
import termios
import time
import unittest
from pathlib import Path

from scenarios import (BACKGROUND_JOB, CANNOT_OPEN_DISPLAY, DEV_ZERO, DIRECTORY, EMPTY_TMPDIR, FIFO, FOREIGN,
                       GTK_WARNINGS, HUNG_UP, IGNORES_SIGNALS, KDIALOG, MARKED, NO_DESKTOP, NO_DISPLAY_ACCESS,
                       NO_LIBRARY, ON_TERMINAL, PENDING, RECIPIENT, RELATIVE_TMPDIR, RUNTIME_LINK, SCENARIOS,
                       SOCKET, STALE_DISPLAY, STDERR_CLOSED, SUBJECT, SYMLINK, TERMINATED, UNRELATED_WARNINGS,
                       UNSTARTABLE, ZENITY_DIES, Fail, Scenario)

SENDER = None
NOBODY = 65534
SANITIZED = os.environ.get("YORV_SANITIZED") == "1"

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
if setting("PIDFILE"):
    with open(setting("PIDFILE"), "w") as pidfile:
        pidfile.write(str(os.getpid()))
if setting("REMOVES_DUMP") and os.path.lexists(os.environ["DUMP"]):
    os.remove(os.environ["DUMP"])
if setting("REPLACES_DUMP"):  # as the product does after another crash
    how, content = setting("REPLACES_DUMP").split(":", 1)
    target = os.environ["DUMP"] + ".new" if how == "renamed" else os.environ["DUMP"]
    with open(target, "wb") as dump:
        dump.write(content.encode())
    if how == "renamed":
        os.replace(target, os.environ["DUMP"])
waits_for = setting("WAITS_FOR")
deadline = time.monotonic() + 20
while waits_for and not os.path.exists(waits_for) and time.monotonic() < deadline:
    time.sleep(0.05)
sys.stderr.write(setting("STDERR", ""))
text = next((argument for argument in sys.argv if argument.startswith("--text=")), "")
try:
    os.fsencode(text).decode("utf-8")
except UnicodeDecodeError:
    sys.exit(255)  # as zenity refuses a text that is not UTF-8
statuses = setting("EXIT", "0").split(",")
status = statuses[min(earlier, len(statuses) - 1)]
if status == "signal":
    os.kill(os.getpid(), signal.SIGKILL)
sys.exit(int(status))
"""

def place_dump(path: Path, dump, scratch: Path):
    """Puts what the scenario names under the dump's name; returns what must outlive the run."""
    if dump is None:
        return None
    if dump == DIRECTORY:
        path.mkdir()
    elif dump == FIFO:
        os.mkfifo(path)
    elif dump == SYMLINK:
        target = scratch / "elsewhere.txt"
        target.write_bytes(b"# status: pending, but not the dump\n")
        path.symlink_to(target)
        return target
    elif dump == DEV_ZERO:
        path.symlink_to("/dev/zero")
    elif dump == SOCKET:
        server = socket.socket(socket.AF_UNIX)
        server.bind(str(path))
        return server
    elif dump == FOREIGN:
        path.write_bytes(b"# status: pending\n")
        os.chown(path, NOBODY, NOBODY)
    else:
        path.write_bytes(dump)
    return None


def run_sender(env, timeout=30, **options):
    return subprocess.run([SENDER, "--ignored", "argument"], env=env, stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=timeout, **options)


def run_on_terminal(env, typed: bytes, background=False):
    """Runs the sender with a terminal (its controlling one) for its input and messages, as a user's
    shell does: in the terminal's foreground, or as a background job (`&`) under `stty tostop`.
    Returns its status and what it printed."""
    terminal, sender_side = pty.openpty()
    modes = termios.tcgetattr(sender_side)
    modes[3] &= ~termios.ECHO  # what is typed is not printed back, wherever the sender's output stands
    termios.tcsetattr(sender_side, termios.TCSANOW, modes)
    command = ["/bin/bash", "-c", 'set -m; /bin/stty tostop; "$0" & wait $!', SENDER] if background else [SENDER]
    sender = subprocess.Popen(command, env=env, stdin=sender_side, stdout=subprocess.DEVNULL, stderr=sender_side,
                              start_new_session=True, preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))
    os.close(sender_side)
    os.write(terminal, typed)
    status = sender.wait(timeout=30)
    output = b""
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
        bin_dir = scratch / "bin"
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

    def calls(self):
        return [json.loads(line) for line in self.log.read_text().splitlines()]


def expected_calls(scenario: Scenario, dump_path: str):
    calls = []
    for kind, text in scenario.box_texts(dump_path, "linux"):
        if scenario.dialog == KDIALOG:
            dialog = {"question": "--yesno", "error": "--error", "warning": "--sorry"}[kind]
            calls.append(["kdialog", "--title", "Yorv", dialog, dialog_text(text)])
        elif scenario.dialog not in (STALE_DISPLAY, NO_DESKTOP):
            calls.append(["zenity", f"--{kind}", "--title=Yorv", "--no-markup", f"--text={dialog_text(text)}"])
    if scenario.handed_off:
        calls.insert(1 if scenario.dialog != STALE_DISPLAY else 0,
                     ["xdg-email", "--subject", SUBJECT, "--attach", dump_path, RECIPIENT])
    return calls


class Scenarios(unittest.TestCase):
    def environment(self, scenario: Scenario, box: Sandbox):
        """The sender's environment and working directory: the sandbox's, as the scenario changes it."""
        answer = "0" if scenario.answer == "yes" else "1"
        env = dict(box.env, ZENITY_EXIT=answer, KDIALOG_EXIT=answer)
        cwd = None
        if isinstance(scenario.mail, Fail):
            env["XDG_EMAIL_EXIT"] = str(scenario.mail.answer)
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
        elif scenario.dialog == NO_DISPLAY_ACCESS:
            env.update(ZENITY_EXIT="1", ZENITY_STDERR=CANNOT_OPEN_DISPLAY)
        elif scenario.dialog == GTK_WARNINGS:
            env["ZENITY_STDERR"] = UNRELATED_WARNINGS
        if scenario.launcher == STDERR_CLOSED:
            env["ZENITY_EXIT"] = "0,signal"  # the failure box falls back to standard error
        elif scenario.launcher in (TERMINATED, HUNG_UP):
            env.update(ZENITY_WAITS_FOR=str(box.scratch / "never"), ZENITY_PIDFILE=str(box.scratch / "zenity.pid"))
        if scenario.environment == EMPTY_TMPDIR:
            env.update(TMPDIR="", TMP=env["TMPDIR"])
        elif scenario.environment == RELATIVE_TMPDIR:
            cwd, env["TMPDIR"] = os.path.split(env["TMPDIR"])
        elif scenario.environment == RUNTIME_LINK:
            (box.scratch / "run-link").symlink_to(box.runtime)
            env["XDG_RUNTIME_DIR"] = str(box.scratch / "run-link")
        return env, cwd

    def run_ended_while_asking(self, scenario: Scenario, env):
        """Ends the sender while its question is open: the dialog must go with it."""
        sender = subprocess.Popen([SENDER], env=env, stdin=subprocess.DEVNULL)
        pidfile = Path(env["ZENITY_PIDFILE"])
        deadline = time.monotonic() + 20
        while not (pidfile.exists() and pidfile.read_text()) and time.monotonic() < deadline:
            time.sleep(0.02)  # until the question is open
        sender.send_signal(signal.SIGTERM if scenario.launcher == TERMINATED else signal.SIGHUP)
        status = sender.wait(timeout=30)
        dialog = int(pidfile.read_text())
        while not gone(dialog) and time.monotonic() < deadline:
            time.sleep(0.02)
        self.assertTrue(gone(dialog), "the dialog outlived the sender")
        return status

    def run_scenario(self, scenario: Scenario):
        tools = [KDIALOG if scenario.dialog == KDIALOG else "zenity"]
        if scenario.mail != NO_LIBRARY:
            tools.append(UNSTARTABLE if scenario.mail == UNSTARTABLE else "xdg-email")
        with Sandbox(tools, scenario.temp) as box:
            keep = place_dump(box.dump, scenario.dump, box.scratch)
            if scenario.readonly:
                box.dump.chmod(0o444)
            before = box.dump.read_bytes() if isinstance(scenario.dump, bytes) else None
            env, cwd = self.environment(scenario, box)
            lock = box.runtime / "yorv-report-sender.lock"

            if scenario.dialog in ON_TERMINAL or scenario.launcher == BACKGROUND_JOB:
                typed = b"y\n" if scenario.answer == "yes" else b"n\n"
                status, printed = run_on_terminal(env, typed, background=scenario.launcher == BACKGROUND_JOB)
                shown = "".join(f"Yorv\n{text}\n" + ("[y/N] " if kind == "question" else "")
                                for kind, text in scenario.box_texts(str(box.dump), "linux"))
                self.assertIn(shown, printed.replace("\r\n", "\n"))
                if not shown:
                    self.assertNotIn("Yorv", printed)
            elif scenario.launcher in (TERMINATED, HUNG_UP):
                status = self.run_ended_while_asking(scenario, env)
            else:
                preexec = {IGNORES_SIGNALS: ignoring_signals, STDERR_CLOSED: lambda: os.close(2)}.get(scenario.launcher)
                result = run_sender(env, cwd=cwd, preexec_fn=preexec)
                status = result.returncode
                self.assertEqual(result.stderr, b"")

            self.assertEqual(status, 0)
            self.assertEqual(box.calls(), expected_calls(scenario, str(box.dump)))
            if scenario.vanish:
                self.assertFalse(os.path.lexists(box.dump), "the dump was created again")
            elif before is not None:
                self.assertEqual(box.dump.read_bytes(), scenario.after or before)
            if isinstance(keep, Path):
                self.assertEqual(keep.read_bytes(), b"# status: pending, but not the dump\n")
            if scenario.boxes:  # the guard was taken, and nothing else written into its file
                self.assertEqual(lock.read_bytes(), b"")
            self.assertFalse((box.scratch / "pwned").exists())

    def test_scenarios(self):
        for scenario in SCENARIOS:
            if "linux" not in scenario.platforms:
                continue
            if scenario.dump == FOREIGN and os.geteuid() != 0:
                continue  # needs root to give a file away
            with self.subTest(scenario.name):
                self.run_scenario(scenario)

    def test_two_senders_ask_once(self):
        """The second sender ends in silence while the first is asking; then the first sends."""
        with Sandbox() as box:
            box.dump.write_bytes(PENDING)
            second_ended = box.scratch / "second ended"
            first = subprocess.Popen([SENDER], env=dict(box.env, ZENITY_WAITS_FOR=str(second_ended)),
                                     stdin=subprocess.DEVNULL)
            deadline = time.monotonic() + 20
            while not box.calls() and time.monotonic() < deadline:
                time.sleep(0.02)  # until the first sender is asking
            second = run_sender(box.env)
            second_ended.touch()
            self.assertEqual((first.wait(timeout=30), second.returncode), (0, 0))
            self.assertEqual([call[0] for call in box.calls()], ["zenity", "xdg-email"])
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
        """Without a desktop or a terminal the question counts as No."""
        with Sandbox() as box:
            box.dump.write_bytes(PENDING)
            env = dict(box.env)
            del env["WAYLAND_DISPLAY"]
            result = run_sender(env)
            self.assertEqual((result.returncode, box.calls(), box.dump.read_bytes()), (0, [], PENDING))


if __name__ == "__main__":
    SENDER = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
