"""autocad-test-server.exe in a test's prefix: the simulated AutoCAD that the launcher finds
registered as AutoCAD.Application.21.

The server lives in a folder of its own in the prefix and keeps every file there:
  autocad-script.txt   the host's directives (test/sim/Script.h) and the server's own
                       ("server die after K", "server die during K", "server idle S")
  autocad-journal.txt  one line per call the host received (number, object, member, kind,
                       arguments, outcome), appended as each call is answered
  autocad-calls.txt    every name looked up ("names") and every Invoke ("invoke", with its
                       arguments) that arrived, and the calls the busy host turned away
                       ("busy")
  autocad-state.txt    the host's state, rewritten whenever a call may have changed it
  autocad-events.txt   per server process: start (embedding: COM started it; running: the
                       test did), "create" for each application object COM asked for,
                       the running object table registration, how it ended
A server started by the test (start_running) stands for an AutoCAD the user opened: it is
in the running object table once autocad-ready.txt exists, and ends when
autocad-quit.txt appears (stop_running).
"""

import re
from dataclasses import dataclass
from pathlib import Path
from typing import Optional, Tuple

from winecase import LAUNCH_TIMEOUT
from winehost import WineError, wait_until

PROGID = "AutoCAD.Application.21"
CLSID = "{4627E675-3699-4537-B035-37459C3FC494}"
SERVER_EXE = "autocad-test-server.exe"

# Where the test puts the server: a folder with spaces, as AutoCAD's own has.
SERVER_FOLDER = ("Program Files", "Autodesk", "AutoCAD 2017")

READY_TIMEOUT = 30.0
STOP_TIMEOUT = 30.0


@dataclass(frozen=True)
class Call:
    """One line of the host's journal."""
    number: Optional[int]       # None for a call the busy host rejected (it gets no number)
    object: str                 # Application, Document, MenuGroups, MenuGroup, ...
    member: str
    kind: str                   # Get, Call, Put
    args: Tuple[str, ...]       # each as the host describes it: BOOL:true, I2|BYREF:0, BSTR:"..."
    outcome: str                # ok, rejected, or the failure number as 0x%08X

    @property
    def ok(self):
        return self.outcome == "ok"

    def brief(self):
        """(object, member, kind, args, outcome), to compare with a table."""
        return (self.object, self.member, self.kind, self.args, self.outcome)


@dataclass(frozen=True)
class Event:
    pid: int
    what: str
    detail: str


def split_arguments(text):
    """The journal joins arguments with ';', which may also stand inside a quoted text."""
    if text == "":
        return ()
    parts, current, in_text, escaped = [], [], False, False
    for ch in text:
        if escaped:
            escaped = False
        elif ch == "\\" and in_text:
            escaped = True
        elif ch == '"':
            in_text = not in_text
        elif ch == ";" and not in_text:
            parts.append("".join(current))
            current = []
            continue
        current.append(ch)
    parts.append("".join(current))
    return tuple(parts)


def quoted(text):
    """A text as the journal and the state quote it."""
    escapes = {'"': '\\"', "\\": "\\\\", "\t": "\\t", "\r": "\\r", "\n": "\\n"}
    return '"' + "".join(escapes.get(ch, ch) for ch in text) + '"'


def bstr(text):
    return "BSTR:" + quoted(text)


def parse_journal(text):
    calls = []
    for line in text.splitlines():
        if not line:
            continue
        fields = line.split("\t")
        if len(fields) != 6:
            raise WineError(f"a journal line that does not have six fields: {line!r}")
        number, obj, member, kind, args, outcome = fields
        calls.append(Call(None if number == "-" else int(number), obj, member, kind,
                          split_arguments(args), outcome))
    return calls


class HostServer:
    """The server installed in `folder` of `prefix` (a winehost.Prefix)."""

    def __init__(self, prefix, exe):
        self.prefix = prefix
        self.exe = Path(exe)
        self.folder = self.exe.parent
        self._running = None

    @classmethod
    def install(cls, prefix, server_exe, script="", register=True, folder=None):
        """Copies the server into the prefix, writes its script and (unless `register` is
        false) registers it as AutoCAD.Application.21 in both registry views."""
        folder = folder or prefix.drive_c.joinpath(*SERVER_FOLDER)
        server = cls(prefix, prefix.install(server_exe, folder))
        server.write_script(script)
        if register:
            prefix.register_local_server(PROGID, CLSID, prefix.windows_path(server.exe))
        return server

    def path(self, name):
        return self.folder / f"autocad-{name}.txt"

    def write_script(self, text):
        self.path("script").write_text(text, encoding="utf-8")

    # -- a server the user had open ----------------------------------------------------
    def start_running(self, timeout=READY_TIMEOUT):
        """Starts the server as a running AutoCAD and waits until it is in the running
        object table; returns its process id (Windows)."""
        ready = self.path("ready")
        if ready.exists():
            ready.unlink()
        self._running = self.prefix.start([self.prefix.windows_path(self.exe), "/running"])
        pid = wait_until(lambda: ready.exists() and ready.read_text().strip(), timeout,
                         what="the running server's registration")
        self.check_script()
        return int(pid)

    def stop_running(self, timeout=STOP_TIMEOUT):
        """Asks the running server to end and waits until it has written its last state."""
        self.path("quit").write_text("quit")
        wait_until(lambda: any(e.what == "exit" for e in self.events()), timeout,
                   what="the running server's end")

    # -- what it wrote -----------------------------------------------------------------
    def _read(self, name):
        path = self.path(name)
        return path.read_text(encoding="utf-8") if path.exists() else ""

    def journal(self):
        return parse_journal(self._read("journal"))

    def state(self):
        return self._read("state")

    def state_lines(self):
        return self.state().splitlines()

    def calls(self):
        return [line.split("\t") for line in self._read("calls").splitlines() if line]

    def looked_up(self):
        """The names asked of GetIDsOfNames, as (object type, name), in order."""
        return [(fields[1], fields[2]) for fields in self.calls() if fields[0] == "names"]

    def invoked(self):
        """Every Invoke that arrived, as (object type, member, arguments), in order; texts
        in the arguments are whole up to 4096 characters (the journal cuts them at 200)."""
        return [(fields[1], fields[2], split_arguments(fields[5]))
                for fields in self.calls() if fields[0] == "invoke"]

    def events(self):
        events = []
        for line in self._read("events").splitlines():
            fields = line.split("\t")
            if len(fields) >= 2:
                events.append(Event(int(fields[0]), fields[1], "\t".join(fields[2:])))
        return events

    def processes(self):
        """The server processes that started, as {pid: how} (embedding or running)."""
        return {e.pid: e.detail for e in self.events() if e.what == "start"}

    def check_script(self):
        """Fails loudly when a server could not read its script."""
        errors = [e.detail for e in self.events() if e.what == "script-error"]
        if errors:
            raise WineError(f"the server rejected its script: {errors}")

    # -- the system's texts ------------------------------------------------------------
    def system_message(self, number):
        """The system's text for a failure number, as FormatMessageW gives it in this
        prefix, without its line end; empty when the system has none (Wine has none for
        several COM failures)."""
        out = self.path("message")
        if out.exists():
            out.unlink()
        done = self.prefix.run([self.prefix.windows_path(self.exe), "/message",
                                f"0x{number & 0xFFFFFFFF:08X}"])
        if done.returncode not in (0, 1) or not out.exists():
            raise WineError(f"no system text for 0x{number & 0xFFFFFFFF:08X} "
                            f"(status {done.returncode})")
        return out.read_text(encoding="utf-8").rstrip("\r\n")


def signed(number):
    """A failure number as the launcher writes it: a signed 32-bit decimal."""
    number &= 0xFFFFFFFF
    return number - (1 << 32) if number & 0x80000000 else number


_STATE_VARIABLE = re.compile(r"^variable (\S+) (.*)$")


def state_variables(state_text):
    """{name: described value} from the state's variable lines."""
    found = {}
    for line in state_text.splitlines():
        match = _STATE_VARIABLE.match(line)
        if match:
            found[match.group(1)] = match.group(2)
    return found


# -- test cases ----------------------------------------------------------------------------

REPO = Path(__file__).resolve().parents[2]
MENU_SOURCES = REPO / "menu"

WARM_TIMEOUT = 20.0

APPLICATION_TITLE = "Morlavent CAD"
STOP_ICON = 16       # MB_ICONERROR with the OK button alone
WARNING_ICON = 48    # MB_ICONWARNING with the OK button alone
OK_BUTTON = ((1, "OK"),)

EXIT_DONE, EXIT_NO_CONNECTION, EXIT_WRONG_RELEASE = 0, 3, 4

# The opening message's first five lines, before the number and the failure's texts.
OPENING_LINES = (
    "Error opening AutoCAD. Try again or...",
    "Check if 2017 is installed in your computer.",
    "Check if Morlavent CAD has privileges to launch other applications (AutoCAD) or try "
    "to run it as Administrator.",
    "You can install Morlavent Menu manually.",
    "Or you can try to run first AutoCAD and then Morlavent CAD.",
)


def opening_message(number, description, source):
    return "\r\n".join(OPENING_LINES + (str(number), f"({description}) de {source}"))


def keep_warm(prefix):
    """Keeps the prefix's wineserver, and so Wine's services, alive until the prefix shuts
    down: each Windows program then starts in about 0.15 s instead of paying 2.5 s for a
    cold server (Debian's wineserver wrapper asks for no persistence at all, and the
    registration alone runs two programs)."""
    process = prefix.start(["-p"], loader="wineserver")

    def listening():
        # The server works in its own folder, where its socket appears once it takes calls.
        if process.poll() is not None:
            return "ended"  # another server was there first: the case runs all the same
        try:
            return (Path(f"/proc/{process.pid}/cwd") / "socket").exists()
        except OSError:
            return False

    wait_until(listening, WARM_TIMEOUT, what="the persistent wineserver")


class HostCase:
    """Mixed in before a winecase class: the launcher of the prefix's own edition against
    autocad-test-server.exe. Call install_server() first, then launch()."""

    def setUp(self):
        super().setUp()
        keep_warm(self.prefix)
        self.server = None

    @property
    def edition(self):
        return "64" if self.kind == "win64" else "32"

    def menu_file_name(self, edition=None):
        return f"Morlavent_{edition or self.edition}.mns"

    def default_folder(self):
        return self.prefix.drive_c / "Morlavent" / "Menu"

    def install_server(self, script="", register=True):
        self.server = HostServer.install(self.prefix,
                                         self.built(self.config.mingw_bin, SERVER_EXE),
                                         script, register=register)
        return self.server

    def launch(self, folder=None, menu=True, timeout=LAUNCH_TIMEOUT, edition=None, cwd=None):
        """Runs the launcher from `folder` (a Unix path; default C:\\Morlavent\\Menu), with
        its edition's menu file beside it unless `menu` is false, in the working directory
        `cwd` (default: that folder); returns its LaunchResult."""
        edition = edition or self.edition
        folder = Path(folder or self.default_folder())
        exe = self.install_launcher(edition, folder)
        if menu:
            self.prefix.install(MENU_SOURCES / self.menu_file_name(edition), folder)
        result = self.watcher.run(exe, cwd=cwd, timeout=timeout)
        if self.server is not None:
            self.server.check_script()
        return result

    # -- checks ------------------------------------------------------------------------
    def assertDone(self, result):
        """The launch ran to its end: no box, exit 0."""
        self.assertEndedByItself(result)
        self.assertEqual((result.exit_code, result.boxes), (EXIT_DONE, []), result.describe())

    def assertOneBox(self, result, text, style, exit_code):
        self.assertEndedByItself(result)
        self.assertEqual([(box.caption, box.text, box.style, box.buttons)
                          for box in result.boxes],
                         [(APPLICATION_TITLE, text, style, OK_BUTTON)], result.describe())
        self.assertEqual(result.exit_code, exit_code, result.describe())

    def journal_text(self):
        return "\n".join("\t".join(map(str, call.brief())) for call in self.server.journal())
