"""Runs the real Windows sender under Wine through the shared scenarios, with a
test MAPI32.DLL in the system directory and a helper that presses the boxes'
buttons; and once against Wine's own Simple MAPI."""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path
from urllib.parse import parse_qs, unquote, urlsplit

from dataclasses import dataclass

from scenarios import (ACCEPT, MARKED, NON_ANSI_TEMP, NO_LIBRARY, PENDING, QUESTION, RECIPIENT, SUBJECT, Fail,
                       Scenario, check_two_senders, place_dump, wait_until, walked_by)

NO_ENTRY = "no entry point"  # a MAPI32.DLL without MAPISendMail
LOAD_FAILURE = "Failed to load MAPI32.DLL"
SEND_FAILURE = "Failed to send e-mail message.\nMAPI error code: {}.\n\nError report saved to file:\n{}"
ASKED_THEN_WARNED = ("question", "warning")


@dataclass(frozen=True)
class WindowsScenario(Scenario):
    planted: bool = False            # a MAPI32.DLL without MAPISendMail beside the sender
    provider: tuple = ()             # (variable, value) pairs for the test MAPI32.DLL
    held: tuple = None               # another program holds the dump: (how, milliseconds, counted from)
    removed: bool = False            # the dump is deleted while the question is open

    @property
    def handed_off(self):
        return super().handed_off and self.mail != NO_ENTRY and not self.removed

    def box_texts(self, dump_path):
        """The boxes a run shows, in order: (kind, text)."""
        texts = {"question": QUESTION, "error": LOAD_FAILURE}
        if isinstance(self.mail, Fail):
            texts["warning"] = SEND_FAILURE.format(self.mail.error_text, dump_path)
        return [(kind, texts[kind]) for kind in self.boxes]


# How another program holds the dump, and from when its milliseconds count.
WRITING, EXCLUSIVE = "hold-writing", "hold-exclusive"  # the product writing; a backup tool or scanner
OPENED, MAPI_CALLED, RELEASED = "opened", "the hand-off", "released after the run"
SENT = b"# status: sent\r\nproduct: Yorv\r\n"

SCENARIOS = walked_by(WindowsScenario, [
    WindowsScenario("no entry point", mail=NO_ENTRY, boxes=("question", "error")),
    WindowsScenario("a planted MAPI32.DLL is ignored", planted=True, after=MARKED),
    WindowsScenario("user abort", mail=Fail(1, "MAPI_E_USER_ABORT(1)"), boxes=ASKED_THEN_WARNED),
    WindowsScenario("unnamed code", mail=Fail(7, "7"), boxes=ASKED_THEN_WARNED),
    WindowsScenario("... and a failure names its dump", temp=NON_ANSI_TEMP, mail=Fail(1, "MAPI_E_USER_ABORT(1)"),
                    boxes=ASKED_THEN_WARNED),
    WindowsScenario("the mail client still reads the attachment: marked once it lets go", after=MARKED,
                    provider=(("YORV_MAPI_HOLD_MS", "1000"),)),
    WindowsScenario("the product still writes its dump: marked once it lets go", after=MARKED,
                    held=(WRITING, 1000, MAPI_CALLED)),
    WindowsScenario("a dump held unshared for a moment is read once it is free", answer="no",
                    held=(EXCLUSIVE, 1000, OPENED)),
    WindowsScenario("a sent dump held unshared past the wait is not offered", dump=SENT, boxes=(),
                    held=(EXCLUSIVE, 0, RELEASED)),
    WindowsScenario("vanishes before the hand-off: nothing to attach", removed=True, boxes=ASKED_THEN_WARNED,
                    mail=Fail(0, "MAPI_E_ATTACHMENT_OPEN_FAILURE(12)")),
    WindowsScenario("a provider's WM_QUIT does not hide the failure box", mail=Fail(2, "MAPI_E_FAILURE(2)"),
                    boxes=ASKED_THEN_WARNED, provider=(("YORV_MAPI_POST_QUIT", "1"),)),
    *(WindowsScenario(f"a provider that writes into the path it was given{name}", mail=mail, boxes=boxes, after=after,
                      provider=(("YORV_MAPI_WRITE_PATH", "1"),))
      for name, mail, boxes, after in [("", ACCEPT, ("question",), MARKED),
                                       (": the failure names the dump", Fail(1, "MAPI_E_USER_ABORT(1)"),
                                        ASKED_THEN_WARNED, None)]),
])

ARGS = None
LOADER_REFUSED = None  # why Wine cannot run here, if it cannot
SKIPPED = 77           # CTest's SKIP_RETURN_CODE for this suite
STYLES = {"question": "00002024", "error": "00002010", "warning": "00002030"}
BUTTONS = {"question": "&Yes|&No", "error": "OK", "warning": "OK"}
LOADED_DLL = re.compile(r'^([0-9a-f]+):[0-9a-f]+:trace:loaddll:.*loaded l"[^"]*\\\\([^"\\\\]+)"', re.M)
GUI_LIBRARIES = {"user32.dll", "gdi32.dll", "win32u.dll", "imm32.dll", "uxtheme.dll"}
MESSAGE_BOX_CALL = re.compile(r'Call user32\.MessageBoxA\((\w+),\w+ "(.*)",\w+ "(.*)",(\w+)\) ret=')

# Records its arguments, as the mailer that Wine's own mail provider starts.
MAILER = """#!{python}
import json, sys
with open({log!r}, "a") as log:
    log.write(json.dumps(sys.argv[1:]) + "\\n")
"""


def wine_escape(text):
    return text.replace("\\", "\\\\").replace("\n", "\\n")


class Wine:
    """A fresh, offline prefix on the null graphics driver."""

    def __init__(self, root: Path):
        self.env = {k: v for k, v in os.environ.items() if k not in ("TMP", "TEMP", "TMPDIR", "DISPLAY")}
        # Wine reads Unix file names in the locale's character set: UTF-8, whatever the caller's.
        self.env.update(WINEPREFIX=str(root / "prefix"), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                        LC_ALL="C.UTF-8")
        self.run("wineboot", "--init", timeout=300)
        self.run("reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Graphics", "/d", "null", "/f")
        self.run("reg", "add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/d", "user32.MessageBoxA", "/f")
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=60)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=60)
        # The user's temporary folder as the prefix reports it: C:\users\NAME\Temp in Wine 8,
        # C:\users\NAME\AppData\Local\Temp in Wine 10.
        self.temp_path = self.output("cmd", "/c", "echo %TEMP%")
        self.temp = Path(self.output("winepath", "-u", self.temp_path))
        windows = root / "prefix/drive_c/windows"
        self.system = windows / ("system32" if ARGS.loader.endswith("64") else "syswow64")

    def output(self, *command):
        return subprocess.run([ARGS.loader, *command], env=self.env, capture_output=True, text=True, timeout=60,
                              check=True).stdout.strip()

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
        if LOADER_REFUSED:
            raise unittest.SkipTest(LOADER_REFUSED)
        cls.root = Path(tempfile.mkdtemp(prefix="yorv-wine-"))
        cls.wine = Wine(cls.root)
        cls.wines_own_mapi = (cls.wine.system / "mapi32.dll").read_bytes()
        # The sender alone, and the sender with a MAPI32.DLL without MAPISendMail beside it and in
        # the working directory, where a user's download folder would have one.
        cls.sender, cls.planted = cls.root / "sender", cls.root / "planted"
        for folder in [cls.sender, cls.planted, cls.planted / "cwd"]:
            folder.mkdir()
            shutil.copy(ARGS.sender, folder)
            if cls.planted in (folder, folder.parent):
                shutil.copy(ARGS.mapi_no_entry, folder)

    @classmethod
    def tearDownClass(cls):
        (cls.wine.system / "mapi32.dll").write_bytes(cls.wines_own_mapi)
        cls.wine.stop()
        shutil.rmtree(cls.root, ignore_errors=True)

    @property
    def log(self):
        return self.root / "mapi.log"

    def env(self, mapi32="n", **extra):
        return dict(self.wine.env, WINEDEBUG="-all,+pid,+relay,+loaddll", YORV_MAPI_LOG=windows_path(self.log),
                    WINEDLLOVERRIDES="mscoree,mshtml=;mapi32=" + mapi32, **extra)

    def mapi_log(self):
        return self.log.read_text().splitlines() if self.log.exists() else []

    def expected_mapi_log(self, scenario: WindowsScenario, dump_path):
        if scenario.mail == NO_ENTRY:
            return ["loaded", "released"]
        if not scenario.handed_off:
            return []
        return ["loaded", "call session=0 window=0 flags=9 reserved=0",
                f"message reserved=0 subject={SUBJECT} note=(null) type=(null) date=(null) conversation=(null) "
                "flags=0 originator=(null) recipients=1 files=1",
                f"recipient reserved=0 class=1 name={RECIPIENT} address=SMTP:{RECIPIENT} eid_size=0 eid=(null)",
                f"file reserved=0 flags=0 position=4294967295 path={dump_path} name=(null) type=(null) opens=yes"]

    def place_dump(self, dump: Path, content, readonly=False):
        for old in self.wine.temp.rglob("yorv_crash_dump.txt"):
            if old.is_dir():
                old.rmdir()
            else:
                old.chmod(0o644)
                old.unlink()
        dump.parent.mkdir(exist_ok=True)
        place_dump(dump, content, None, readonly)

    def set_temp(self, folder):
        """Points TEMP and TMP of the prefix's user at `folder` in the temporary directory, or back."""
        for name in ["TEMP", "TMP"]:
            self.wine.run("reg", "add", r"HKCU\Environment", "/v", name, "/d",
                          rf"{self.wine.temp_path}\{folder}" if folder else self.wine.temp_path, "/f")

    def press(self, button, output: Path, *remove):
        self.wine.start(ARGS.press, button, "20000", *remove, output=output).wait(timeout=60)
        return output.read_text()

    def run_scenario(self, scenario: WindowsScenario):
        folder = self.wine.temp / scenario.temp if scenario.temp else self.wine.temp
        dump = folder / "yorv_crash_dump.txt"
        dump_path = rf"{self.wine.temp_path}\yorv_crash_dump.txt"  # as the sender names it, outside a subfolder
        self.place_dump(dump, scenario.dump, scenario.readonly)
        self.log.unlink(missing_ok=True)
        shutil.copy(ARGS.mapi_no_entry if scenario.mail == NO_ENTRY else ARGS.mapi, self.wine.system / "mapi32.dll")
        if scenario.temp:
            self.set_temp(scenario.temp)
        home = self.planted if scenario.planted else self.sender
        env = self.env("" if scenario.mail == NO_LIBRARY else "n",
                       YORV_MAPI_RESULT=str(scenario.mail.answer if isinstance(scenario.mail, Fail) else 0))
        env.update(scenario.provider)
        if scenario.replaced:
            how, new_dump = scenario.replaced
            (self.root / "new dump.txt").write_bytes(new_dump)
            env.update(YORV_MAPI_REPLACE=how, YORV_MAPI_NEW_DUMP=windows_path(self.root / "new dump.txt"))
        released = self.root / "released"
        released.unlink(missing_ok=True)
        if scenario.held:
            how, milliseconds, counted_from = scenario.held
            after = {OPENED: [], MAPI_CALLED: [windows_path(self.log)], RELEASED: [windows_path(released)]}
            holding = self.root / "holding.txt"
            holder = self.wine.start(ARGS.press, how, dump_path, str(milliseconds), *after[counted_from],
                                     output=holding)
            self.assertTrue(wait_until(lambda: "holding" in holding.read_text()), "the dump could not be held")
        trace = self.root / "trace.txt"
        sender = self.wine.start(home / Path(ARGS.sender).name, "/ignored", output=trace, env=env,
                                 cwd=home / "cwd" if scenario.planted else home)
        shown = []
        try:
            for kind in scenario.boxes:
                question = kind == "question"
                remove = [dump_path] if question and scenario.removed else []
                shown.append(self.press(scenario.answer if question else "ok", self.root / "pressed.txt", *remove))
            sender.wait(timeout=30)
        except subprocess.TimeoutExpired:
            sender.kill()
            self.fail("the sender did not end: " + " / ".join(shown) + self.press("ok", self.root / "late.txt"))
        finally:
            if scenario.temp:
                self.set_temp(None)
            if scenario.held:
                released.touch()
                holder.wait(timeout=30)

        if scenario.temp:
            # Outside the code page the dump goes by its folder's short name: plain ASCII.
            dump_path = re.search(r"path=(.*) name=", "\n".join(self.mapi_log())).group(1)
            self.assertRegex(dump_path, r"^" + re.escape(self.wine.temp_path) + r"\\[!-~]+\\yorv_crash_dump\.txt$")
        self.assertEqual(sender.returncode, 0)
        boxes = scenario.box_texts(dump_path)
        self.assertEqual(shown, [f"buttons={BUTTONS[kind]}\ntext={text}" for kind, text in boxes])
        traced = trace.read_text(errors="replace")
        self.assertEqual(MESSAGE_BOX_CALL.findall(traced),
                         [("00000000", wine_escape(text), "Yorv", STYLES[kind]) for kind, text in boxes])
        if not boxes:  # a quiet run loads nothing for boxes it does not show
            loads = LOADED_DLL.findall(traced.lower())  # (process, DLL) of every process that shares the trace
            sender = next(process for process, dll in loads if dll == Path(ARGS.sender).name.lower())
            loaded = {dll for process, dll in loads if process == sender}
            self.assertIn("kernel32.dll", loaded)
            self.assertEqual(GUI_LIBRARIES & loaded, set())
        self.assertEqual(self.mapi_log(), self.expected_mapi_log(scenario, dump_path))
        if scenario.removed:
            self.assertFalse(dump.exists(), "the dump was created again")
        elif isinstance(scenario.dump, bytes):
            self.assertEqual(dump.read_bytes(), scenario.after or scenario.dump)

    def test_scenarios(self):
        for scenario in SCENARIOS:
            with self.subTest(scenario.name):
                self.run_scenario(scenario)

    def test_two_senders_show_one_box(self):
        """The second sender ends in silence while the first is asking; then the first sends."""
        self.place_dump(self.wine.temp / "yorv_crash_dump.txt", PENDING)
        self.log.unlink(missing_ok=True)
        shutil.copy(ARGS.mapi, self.wine.system / "mapi32.dll")
        exe = self.sender / Path(ARGS.sender).name
        start = lambda name: self.wine.start(exe, output=self.root / f"{name}.txt", env=self.env(), cwd=self.sender)
        asking = lambda: self.assertIn("buttons=&Yes|&No", self.press("none", self.root / "asking.txt"))
        check_two_senders(self, start, asking, lambda: self.press("yes", self.root / "pressed.txt"))
        self.assertEqual(len(MESSAGE_BOX_CALL.findall((self.root / "first.txt").read_text(errors="replace"))), 1)
        self.assertEqual(MESSAGE_BOX_CALL.findall((self.root / "second.txt").read_text(errors="replace")), [])
        self.assertEqual([line for line in self.mapi_log() if line.startswith("call")],
                         ["call session=0 window=0 flags=9 reserved=0"])

    def test_wines_own_simple_mapi_gets_address_and_subject(self):
        """Wine's mail provider, written by others, hands the message to a mailer: Wine 8 to the one named in
        the registry, as a mailto: link; Wine 10 to xdg-email, with the attachment."""
        (self.wine.system / "mapi32.dll").write_bytes(self.wines_own_mapi)
        self.wine.run("reg", "add", r"HKCU\Software\Wine\WineBrowser", "/v", "Mailers", "/d", "xdg-email", "/f")
        bin_dir, record = self.root / "mailer", self.root / "mailer.log"
        bin_dir.mkdir(exist_ok=True)
        (bin_dir / "xdg-email").write_text(MAILER.format(python=sys.executable, log=str(record)))
        (bin_dir / "xdg-email").chmod(0o755)
        self.place_dump(self.wine.temp / "yorv_crash_dump.txt", PENDING)
        env = self.env("b", PATH=f"{bin_dir}:{os.environ['PATH']}")
        sender = self.wine.start(self.sender / Path(ARGS.sender).name, output=self.root / "trace.txt", env=env,
                                 cwd=self.sender)
        self.press("yes", self.root / "pressed.txt")
        self.assertEqual(sender.wait(timeout=30), 0)
        wait_until(record.exists, 30)  # Wine 8's provider does not wait for its mailer; Wine 10's does

        arguments = json.loads(record.read_text().splitlines()[0])
        if arguments[0].startswith("mailto:"):  # Wine 8: one mailto: link, without the attachment
            link = urlsplit(arguments[0])
            self.assertEqual((unquote(link.path), parse_qs(link.query)["subject"][0]), (RECIPIENT, SUBJECT))
            return
        # Wine 10: xdg-email's own options, the recipient in any position among them
        words, given, recipients = iter(arguments), {}, []
        for word in words:
            if word in ("--subject", "--body", "--cc", "--bcc", "--attach"):
                given[word] = next(words)
            elif not word.startswith("--"):
                recipients.append(word)
        attached = Path(unquote(given["--attach"].removeprefix("file://"))).resolve()
        self.assertEqual((recipients, given["--subject"], attached),
                         ([RECIPIENT], SUBJECT, (self.wine.temp / "yorv_crash_dump.txt").resolve()))


class Executable(unittest.TestCase):
    """What can be read off the file, without running it."""

    def test_executable_is_self_contained_and_a_windows_citizen(self):
        sender = Path(ARGS.sender).read_bytes()
        headers = subprocess.run([ARGS.objdump, "-p", ARGS.sender], capture_output=True, text=True).stdout
        self.assertEqual(sorted(re.findall(r"DLL Name: (\S+)", headers)), ["KERNEL32.dll", "msvcrt.dll"])
        self.assertIn("Subsystem\t\t00000002\t(Windows GUI)", headers)
        self.assertLessEqual(len(sender), 28 * 1024)  # linked stripped
        version = os.environ["YORV_VERSION"]  # as the build under test was configured
        quad = ".".join((version.split(".") + ["0"])[:4])
        for manifest_part in [f'name="Dravonel.Yorv.ReportSender" version="{quad}"'.encode(),
                              b'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"',
                              b"<dpiAwareness", b"PerMonitorV2, PerMonitor", b"true/pm", b'level="asInvoker"',
                              b"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", b"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                              b"{1f676c76-80e1-4239-95bb-83d0f6d0da78}", b"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"]:
            self.assertTrue(manifest_part in sender, manifest_part)
        for key, value in [("ProductName", "Yorv"), ("FileDescription", "Yorv crash report sender"),
                           ("ProductVersion", version), ("FileVersion", version),
                           ("LegalCopyright", "Copyright (c) 2026 The Yorv report sender authors")]:
            # A string entry of the version resource: UTF-16 key and value, 32-bit aligned.
            entry = re.escape(key.encode("utf-16-le")) + b"\0\0(\0\0)?" + re.escape(value.encode("utf-16-le"))
            self.assertTrue(re.search(entry + b"\0\0", sender), key)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    for option in ["sender", "mapi", "mapi-no-entry", "press", "objdump", "loader"]:
        parser.add_argument("--" + option, required=True)
    ARGS, rest = parser.parse_known_args()
    try:
        subprocess.run([ARGS.loader, "--version"], capture_output=True, timeout=60)
    except FileNotFoundError:  # no Wine, or Debian's wine32:i386 is not installed
        policy = subprocess.run(["apt-cache", "policy", "wine64"], capture_output=True, text=True).stdout \
            if shutil.which("apt-cache") else ""
        LOADER_REFUSED = (f"{ARGS.loader} is not installed: no 32-bit Wine here" if Path("/usr/lib/wine/wine64").exists()
                          else "Wine is not installed" if re.search(r"Candidate: [^(]", policy)
                          else "no Wine in this release's packages")
    except OSError as error:  # a kernel without 32-bit support refuses the x86 loader
        LOADER_REFUSED = f"{ARGS.loader} cannot run on this machine: {error.strerror}"
    result = unittest.main(argv=[sys.argv[0], *rest], verbosity=2, exit=False).result
    if not result.wasSuccessful():
        sys.exit(1)
    if LOADER_REFUSED:
        print(f"scenarios not run: {LOADER_REFUSED}", file=sys.stderr)
        sys.exit(SKIPPED)
