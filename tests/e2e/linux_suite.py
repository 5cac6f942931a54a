"""Runs the real Linux sender through every scenario, with stand-in zenity and
xdg-email first (and alone) on PATH. Usage: linux_suite.py SENDER"""
import json
import os
import pty
import resource
import socket
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

from scenarios import (DEV_ZERO, DIRECTORY, FIFO, FOREIGN, SOCKET, NO_LIBRARY, RECIPIENT, SCENARIOS, SUBJECT, SYMLINK, Fail,
                       Scenario)

SENDER = None
NOBODY = 65534

# Records its arguments, then does what the scenario asks of this tool.
STANDIN = """#!{python}
import json, os, signal, sys
tool = os.path.basename(sys.argv[0]).upper().replace("-", "_")
with open(os.environ["STANDIN_LOG"], "a") as log:
    log.write(json.dumps(sys.argv[1:]) + "\\n")
if os.environ.get(tool + "_REMOVES_DUMP") and os.path.lexists(os.environ["DUMP"]):
    os.remove(os.environ["DUMP"])
status = os.environ.get(tool + "_EXIT", "0")
if status == "signal":
    os.kill(os.getpid(), signal.SIGKILL)
sys.exit(int(status))
"""


def place_dump(path: Path, dump, scratch: Path):
    """Puts what the scenario names under the dump's name; returns bytes to compare afterwards."""
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


def read_all(fd):
    output = b""
    try:
        while chunk := os.read(fd, 4096):
            output += chunk
    except OSError:  # EIO once the sender's side has closed
        pass
    os.close(fd)
    return output


class Sandbox:
    """A scratch temporary directory with a hostile name, and a PATH of stand-ins only."""

    def __init__(self, scratch: Path, xdg_email=True):
        self.tmp = scratch / "tmp dir 'q' \"d\" $(touch pwned)"
        self.tmp.mkdir()
        self.dump = self.tmp / "yorv_crash_dump.txt"
        self.log = scratch / "calls.log"
        self.log.touch()
        bin_dir = scratch / "bin"
        bin_dir.mkdir()
        for tool in ["zenity"] + (["xdg-email"] if xdg_email else []):
            (bin_dir / tool).write_text(STANDIN.format(python=sys.executable))
            (bin_dir / tool).chmod(0o755)
        self.env = {"PATH": str(bin_dir), "TMPDIR": str(self.tmp), "DISPLAY": ":0",
                    "STANDIN_LOG": str(self.log), "DUMP": str(self.dump)}

    def calls(self):
        return [json.loads(line) for line in self.log.read_text().splitlines()]


def expected_calls(scenario: Scenario, dump_path: str):
    calls = [[f"--{kind}", "--title=Yorv", "--no-markup", f"--text={text}"]
             for kind, text in scenario.box_texts(dump_path)]
    if scenario.handed_off:
        calls.insert(1, ["--subject", SUBJECT, "--attach", dump_path, RECIPIENT])
    return calls


class Scenarios(unittest.TestCase):
    def run_scenario(self, scenario: Scenario):
        with tempfile.TemporaryDirectory() as scratch:
            box = Sandbox(Path(scratch), xdg_email=scenario.mail != NO_LIBRARY)
            keep = place_dump(box.dump, scenario.dump, Path(scratch))
            if scenario.readonly:
                box.dump.chmod(0o444)
            before = box.dump.read_bytes() if isinstance(scenario.dump, bytes) else None
            env = dict(box.env, ZENITY_EXIT="0" if scenario.answer == "yes" else "1")
            if isinstance(scenario.mail, Fail):
                env["XDG_EMAIL_EXIT"] = str(scenario.mail.answer)
            if scenario.vanish:
                env["ZENITY_REMOVES_DUMP" if scenario.vanish == "question" else "XDG_EMAIL_REMOVES_DUMP"] = "1"

            result = run_sender(env)

            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(box.calls(), expected_calls(scenario, str(box.dump)))
            if scenario.vanish:
                self.assertFalse(os.path.lexists(box.dump), "the dump was created again")
            elif before is not None:
                self.assertEqual(box.dump.read_bytes(), scenario.after or before)
            if isinstance(keep, Path):
                self.assertEqual(keep.read_bytes(), b"# status: pending, but not the dump\n")
            self.assertFalse((Path(scratch) / "pwned").exists())

    def test_scenarios(self):
        for scenario in SCENARIOS:
            if "linux" not in scenario.platforms:
                continue
            if scenario.dump == FOREIGN and os.geteuid() != 0:
                continue  # needs root to give a file away
            with self.subTest(scenario.name):
                self.run_scenario(scenario)

    @unittest.skipIf(os.environ.get("YORV_SANITIZED"), "the sanitizers reserve more address space than the limit")
    def test_sparse_gigabyte_dump_is_read_only_through_its_window(self):
        """Under a 128 MiB address-space limit, a 1 GiB dump without a line end is read and marked."""
        with tempfile.TemporaryDirectory() as scratch:
            box = Sandbox(Path(scratch))
            with box.dump.open("wb") as dump:
                dump.write(b"# status: pending")
                dump.truncate(1 << 30)
            limit = lambda: resource.setrlimit(resource.RLIMIT_AS, (128 << 20, 128 << 20))
            result = subprocess.run([SENDER], env=dict(box.env, ZENITY_EXIT="0"), stdin=subprocess.DEVNULL,
                                    capture_output=True, timeout=30, preexec_fn=limit)
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual(box.dump.stat().st_size, 1 << 30)
            with box.dump.open("rb") as dump:
                self.assertEqual(dump.read(4096), b"# status: sent".ljust(255) + bytes(4096 - 255))

    def test_temporary_directory_problems_mean_no_dump(self):
        with tempfile.TemporaryDirectory() as scratch:
            box = Sandbox(Path(scratch))
            long_dir = Path(scratch) / ("d" * 230)
            long_dir.mkdir()
            (long_dir / "yorv_crash_dump.txt").write_bytes(b"# status: pending\n")
            for tmpdir in [str(long_dir), str(Path(scratch) / "missing")]:
                result = run_sender(dict(box.env, TMPDIR=tmpdir))
                self.assertEqual(result.returncode, 0)
            self.assertEqual(box.calls(), [])

    def test_terminal_and_no_desktop(self):
        """Without a desktop and a terminal the question counts as No; failures go to stderr."""
        with tempfile.TemporaryDirectory() as scratch:
            box = Sandbox(Path(scratch))
            box.dump.write_bytes(PENDING := b"# status: pending\n")
            env = dict(box.env)
            del env["DISPLAY"]
            result = run_sender(env)
            self.assertEqual((result.returncode, box.calls(), box.dump.read_bytes()), (0, [], PENDING))
            terminal, sender_side = pty.openpty()
            sender = subprocess.Popen([SENDER], env=env, stdin=sender_side, stderr=sender_side)
            os.close(sender_side)
            os.write(terminal, b"y\n")
            self.assertEqual(sender.wait(timeout=30), 0)
            self.assertIn(b"Send error information to Dravonel Tech Support?\r\n[y/N] ", read_all(terminal))
            self.assertEqual(box.dump.read_bytes(), b"# status: sent   \n")


if __name__ == "__main__":
    SENDER = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
