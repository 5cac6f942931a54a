"""Runs the real Windows sender under Wine through the shared scenarios, with a
test MAPI32.DLL beside it and a helper that presses the boxes' buttons."""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

from scenarios import DIRECTORY, NO_ENTRY, NO_LIBRARY, RECIPIENT, SCENARIOS, SUBJECT, Fail, Scenario

ARGS = None
STYLES = {"question": "00002024", "error": "00002010", "warning": "00002030"}
BUTTONS = {"question": "&Yes|&No", "error": "OK", "warning": "OK"}
MESSAGE_BOX_CALL = re.compile(r'Call user32\.MessageBoxA\((\w+),\w+ "(.*)",\w+ "(.*)",(\w+)\) ret=')


def wine_escape(text):
    return text.replace("\\", "\\\\").replace("\n", "\\n")


class Wine:
    """A fresh, offline prefix on the null graphics driver."""

    def __init__(self, root: Path):
        self.env = {k: v for k, v in os.environ.items() if k not in ("TMP", "TEMP", "TMPDIR", "DISPLAY")}
        self.env.update(WINEPREFIX=str(root / "prefix"), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        self.run("wineboot", "--init", timeout=300)
        self.run("reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Graphics", "/d", "null", "/f")
        self.run("reg", "add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/d", "user32.MessageBoxA", "/f")
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=60)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=60)
        user_dirs = [d for d in (root / "prefix/drive_c/users").iterdir() if d.name != "Public"]
        self.temp = user_dirs[0] / "Temp"
        self.dump = self.temp / "yorv_crash_dump.txt"
        self.dump_path = rf"C:\users\{user_dirs[0].name}\Temp\yorv_crash_dump.txt"

    def run(self, *command, timeout=60):
        subprocess.run([ARGS.loader, *command], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=timeout, check=True)

    def start(self, *command, output: Path, env=None, cwd=None):
        """Wine's background services inherit a pipe and keep it open: write to a file instead."""
        with output.open("w") as sink:
            return subprocess.Popen([ARGS.loader, *command], env=env or self.env, cwd=cwd,
                                    stdout=sink, stderr=sink)

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=60)


def windows_path(path: Path):
    return "Z:" + str(path).replace("/", "\\")


class Scenarios(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = Path(tempfile.mkdtemp(prefix="yorv-wine-"))
        cls.wine = Wine(cls.root)
        # One folder per mail library: the test DLL, the one without its entry point, and none.
        cls.folders = {}
        for mail, dll in [("with", ARGS.mapi), (NO_ENTRY, ARGS.mapi_no_entry), (NO_LIBRARY, None)]:
            folder = cls.root / mail.replace(" ", "-")
            folder.mkdir()
            shutil.copy(ARGS.sender, folder)
            if dll:
                shutil.copy(dll, folder)
            cls.folders[mail] = folder

    @classmethod
    def tearDownClass(cls):
        cls.wine.stop()
        shutil.rmtree(cls.root, ignore_errors=True)

    def expected_mapi_log(self, scenario: Scenario):
        if scenario.mail == NO_ENTRY:
            return ["loaded", "released"]
        if not scenario.handed_off:
            return []
        return ["loaded", "call session=0 window=0 flags=9 reserved=0",
                f"message reserved=0 subject={SUBJECT} note=(null) type=(null) date=(null) conversation=(null) "
                "flags=0 originator=(null) recipients=1 files=1",
                f"recipient reserved=0 class=1 name={RECIPIENT} address=(null) eid_size=0 eid=(null)",
                f"file reserved=0 flags=0 position=4294967295 path={self.wine.dump_path} name=(null) type=(null)"]

    def place_dump(self, scenario: Scenario):
        if self.wine.dump.is_dir():
            self.wine.dump.rmdir()
        elif self.wine.dump.exists():
            self.wine.dump.chmod(0o644)
            self.wine.dump.unlink()
        if scenario.dump == DIRECTORY:
            self.wine.dump.mkdir()
        elif scenario.dump is not None:
            self.wine.dump.write_bytes(scenario.dump)
            if scenario.readonly:
                self.wine.dump.chmod(0o444)

    def run_scenario(self, scenario: Scenario):
        self.place_dump(scenario)
        folder = self.folders.get(scenario.mail, self.folders["with"])
        log = self.root / "mapi.log"
        log.unlink(missing_ok=True)
        env = dict(self.wine.env, WINEDEBUG="-all,+relay", YORV_MAPI_LOG=windows_path(log),
                   YORV_MAPI_RESULT=str(scenario.mail.answer if isinstance(scenario.mail, Fail) else 0),
                   WINEDLLOVERRIDES="mscoree,mshtml=;mapi32=" + ("" if scenario.mail == NO_LIBRARY else "n"))
        trace, pressed = self.root / "trace.txt", self.root / "pressed.txt"
        sender = self.wine.start(folder / Path(ARGS.sender).name, "/ignored", output=trace, env=env, cwd=folder)
        shown = []
        try:
            for kind, _ in scenario.box_texts(self.wine.dump_path):
                button = scenario.answer if kind == "question" else "ok"
                self.wine.start(ARGS.press, button, "20000", output=pressed).wait(timeout=60)
                shown.append(pressed.read_text())
            sender.wait(timeout=30)
        except subprocess.TimeoutExpired:
            sender.kill()
            self.wine.start(ARGS.press, "ok", "2000", output=pressed).wait(timeout=30)
            self.fail("the sender did not end: " + " / ".join(shown) + pressed.read_text())

        self.assertEqual(sender.returncode, 0)
        boxes = scenario.box_texts(self.wine.dump_path)
        self.assertEqual(shown, [f"buttons={BUTTONS[kind]}\ntext={text}" for kind, text in boxes])
        self.assertEqual(MESSAGE_BOX_CALL.findall(trace.read_text(errors="replace")),
                         [("00000000", wine_escape(text), "Yorv", STYLES[kind]) for kind, text in boxes])
        self.assertEqual(log.read_text().splitlines() if log.exists() else [], self.expected_mapi_log(scenario))
        if isinstance(scenario.dump, bytes):
            self.assertEqual(self.wine.dump.read_bytes(), scenario.after or scenario.dump)

    def test_scenarios(self):
        for scenario in SCENARIOS:
            if "windows" in scenario.platforms:
                with self.subTest(scenario.name):
                    self.run_scenario(scenario)

    def test_executable_is_self_contained_and_a_windows_citizen(self):
        sender = Path(ARGS.sender).read_bytes()
        headers = subprocess.run([ARGS.objdump, "-p", ARGS.sender], capture_output=True, text=True).stdout
        self.assertEqual(sorted(re.findall(r"DLL Name: (\S+)", headers)), ["KERNEL32.dll", "USER32.dll", "msvcrt.dll"])
        self.assertIn("Subsystem\t\t00000002\t(Windows GUI)", headers)
        self.assertLessEqual(len(sender), 64 * 1024)
        for manifest_part in [b'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"',
                              b"<dpiAwareness", b"PerMonitorV2, PerMonitor", b"true/pm", b'level="asInvoker"']:
            self.assertTrue(manifest_part in sender, manifest_part)
        for key, value in [("ProductName", "Yorv"), ("FileDescription", "Yorv crash report sender"),
                           ("ProductVersion", "1.0.0")]:
            # A string entry of the version resource: UTF-16 key and value, 32-bit aligned.
            entry = re.escape(key.encode("utf-16-le")) + b"\0\0(\0\0)?" + re.escape(value.encode("utf-16-le"))
            self.assertTrue(re.search(entry + b"\0\0", sender), key)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    for option in ["sender", "mapi", "mapi-no-entry", "press", "objdump", "loader"]:
        parser.add_argument("--" + option, required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
