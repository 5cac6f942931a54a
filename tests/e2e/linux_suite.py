"""Runs the real Linux sender through every scenario, with stand-in zenity, kdialog
and xdg-email first (and alone) on PATH. Usage: linux_suite.py SENDER"""
import json
import os
import pty
import resource
import socket
import subprocess
import sys
import tempfile
import termios
import time
import unittest
from pathlib import Path

from scenarios import (DEV_ZERO, DIRECTORY, FIFO, FOREIGN, KDIALOG, MARKED, NO_LIBRARY, ON_TERMINAL, PENDING,
                       RECIPIENT, SCENARIOS, SOCKET, STALE_DISPLAY, SUBJECT, SYMLINK, UNSTARTABLE,
                       ZENITY_DIES, Fail, Scenario)

SENDER = None
NOBODY = 65534
SANITIZED = os.environ.get("YORV_SANITIZED") == "1"

# Records its name and arguments, then does what the scenario asks of this tool.
STANDIN = """#!{python}
import json, os, signal, sys, time
tool = os.path.basename(sys.argv[0])
with open(os.environ["STANDIN_LOG"], "a") as log:
    log.write(json.dumps([tool] + sys.argv[1:]) + "\\n")
variable = tool.upper().replace("-", "_")
if os.environ.get(variable + "_REMOVES_DUMP") and os.path.lexists(os.environ["DUMP"]):
    os.remove(os.environ["DUMP"])
waits_for = os.environ.get(variable + "_WAITS_FOR")
deadline = time.monotonic() + 20
while waits_for and not os.path.exists(waits_for) and time.monotonic() < deadline:
    time.sleep(0.05)
status = os.environ.get(variable + "_EXIT", "0")
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


def run_sender(env, timeout=30):
    return subprocess.run([SENDER, "--ignored", "argument"], env=env, stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=timeout)


def run_on_terminal(env, typed: bytes):
    """Runs the sender with a terminal for its input and messages; returns its status and what it printed."""
    terminal, sender_side = pty.openpty()
    modes = termios.tcgetattr(sender_side)
    modes[3] &= ~termios.ECHO  # what is typed is not printed back, wherever the sender's output stands
    termios.tcsetattr(sender_side, termios.TCSANOW, modes)
    sender = subprocess.Popen([SENDER], env=env, stdin=sender_side, stdout=subprocess.DEVNULL, stderr=sender_side)
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
    return status, output.decode()


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
        runtime = scratch / "run"
        runtime.mkdir(mode=0o700)
        self.wayland = socket.socket(socket.AF_UNIX)
        self.wayland.bind(str(runtime / "wayland-0"))
        self.wayland.listen(8)
        self.env = {"PATH": str(bin_dir), "TMPDIR": str(folder), "XDG_RUNTIME_DIR": str(runtime),
                    "WAYLAND_DISPLAY": "wayland-0", "STANDIN_LOG": str(self.log), "DUMP": str(self.dump)}

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
            calls.append(["kdialog", "--title", "Yorv", dialog, text])
        elif scenario.dialog != STALE_DISPLAY:
            calls.append(["zenity", f"--{kind}", "--title=Yorv", "--no-markup", f"--text={text}"])
    if scenario.handed_off:
        calls.insert(1 if scenario.dialog != STALE_DISPLAY else 0,
                     ["xdg-email", "--subject", SUBJECT, "--attach", dump_path, RECIPIENT])
    return calls


class Scenarios(unittest.TestCase):
    def run_scenario(self, scenario: Scenario):
        tools = [KDIALOG if scenario.dialog == KDIALOG else "zenity"]
        if scenario.mail != NO_LIBRARY:
            tools.append(UNSTARTABLE if scenario.mail == UNSTARTABLE else "xdg-email")
        with Sandbox(tools, scenario.temp) as box:
            keep = place_dump(box.dump, scenario.dump, box.scratch)
            if scenario.readonly:
                box.dump.chmod(0o444)
            before = box.dump.read_bytes() if isinstance(scenario.dump, bytes) else None
            answer = "0" if scenario.answer == "yes" else "1"
            env = dict(box.env, ZENITY_EXIT=answer, KDIALOG_EXIT=answer)
            if isinstance(scenario.mail, Fail):
                env["XDG_EMAIL_EXIT"] = str(scenario.mail.answer)
            if scenario.vanish:
                env["ZENITY_REMOVES_DUMP" if scenario.vanish == "question" else "XDG_EMAIL_REMOVES_DUMP"] = "1"
            if scenario.dialog == ZENITY_DIES:
                env["ZENITY_EXIT"] = "signal"
            elif scenario.dialog == STALE_DISPLAY:
                del env["WAYLAND_DISPLAY"]
                env["DISPLAY"] = ":7319"  # no X server, no socket

            if scenario.dialog in ON_TERMINAL:
                status, printed = run_on_terminal(env, b"y\n" if scenario.answer == "yes" else b"n\n")
                shown = "".join(f"Yorv\n{text}\n" + ("[y/N] " if kind == "question" else "")
                                for kind, text in scenario.box_texts(str(box.dump), "linux"))
                self.assertIn(shown, printed.replace("\r\n", "\n"))
            else:
                result = run_sender(env)
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
