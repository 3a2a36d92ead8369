"""One Wine prefix set up for the benchmark: the test automation server registered as
AutoCAD.Application.21, the launcher of the prefix's edition (once beside its menu file,
once without it), launch.vbs and the do-nothing program; and the timed runs in it.

Every run is `wine PROGRAM ...` from Linux, timed from the start of the Wine loader to its
end, so the launcher, the script and the do-nothing program pay the same Wine start.
"""

import contextlib
import os
import signal
import subprocess
import tempfile
import threading
import time
from dataclasses import dataclass, field
from pathlib import Path
from typing import Optional

import clienttrace
import hostlog
from hostserver import SERVER_EXE, HostServer
from winehost import Template, WineError, wait_until

REPO = Path(__file__).resolve().parents[1]
BENCH = REPO / "bench"

# A Windows program that should end by itself has this long (seconds) unless told more.
RUN_TIMEOUT = 60.0
SERVER_END_TIMEOUT = 20.0
# How long the keep-warm program stays at most (the prefix is shut down before).
KEEP_WARM = 3600

# The standard host: AutoCAD's own menu group is loaded before the product's, so the
# search examines one group before it finds "MORLAVENT".
STANDARD_SCRIPT = """group ACAD
menu File
toolbar Standard shown
"""


@dataclass
class Timed:
    seconds: float
    exit_code: int
    output: str
    log: Optional[hostlog.HostLog] = None
    lingered: int = 0          # server processes that had to be killed after the run
    samples: list = field(default_factory=list)   # (seconds, calls so far) while it ran


class BenchPrefix:
    """A clone of the booted template of `kind`, set up for `edition` ("64" or "32")."""

    def __init__(self, templates, kind, edition, mingw_bin, nothing_exe, work):
        self.kind = kind
        self.edition = edition
        self.mingw_bin = Path(mingw_bin)
        self.nothing_exe = Path(nothing_exe)
        self.work = Path(work)
        self.template = Template(templates, kind)
        self.prefix = None
        self.server = None

    # -- set-up --------------------------------------------------------------------------
    def __enter__(self):
        self.template.ensure()
        clone = Path(self.template.root) / "clones" / f"{self.kind}-{os.getpid()}"
        if clone.exists():
            raise WineError(f"{clone} exists already: remove it")
        self.prefix = self.template.clone(clone)
        try:
            self._set_up()
        except BaseException:
            self.prefix.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        self.prefix.__exit__(*exc)
        return False

    def _keep_warm(self):
        """Keeps the prefix's wineserver and Wine's services running for the whole bench,
        as on a machine in use: a program then starts in a tenth of a second instead of
        paying seconds for a cold server. The do-nothing program staying alive holds them;
        the persistent server covers the moments between."""
        self.prefix.start(["-p"], loader="wineserver")
        self.prefix.start([self.prefix.windows_path(self.nothing), "/stay", str(KEEP_WARM)])

    def _set_up(self):
        prefix = self.prefix
        self.server = HostServer.install(prefix, self.mingw_bin / SERVER_EXE,
                                         self.script(STANDARD_SCRIPT))
        launcher = self.mingw_bin / f"menu-launcher-{self.edition}.exe"
        menu = REPO / "menu" / self.menu_file_name
        self.menu_folder = prefix.drive_c / "Morlavent" / "Menu"
        self.launcher = prefix.install(launcher, self.menu_folder)
        prefix.install(menu, self.menu_folder)
        # The same program where no menu file lies beside it: the load fails, no group matches.
        self.bare_folder = prefix.drive_c / "Morlavent" / "NoMenu"
        self.bare_launcher = prefix.install(launcher, self.bare_folder)
        tools = prefix.drive_c / "Morlavent" / "Bench"
        self.vbs = prefix.install(BENCH / "launch.vbs", tools)
        self.getobject_vbs = prefix.install(BENCH / "getobject.vbs", tools)
        self.nothing = prefix.install(self.nothing_exe, tools)
        self._keep_warm()
        prefix.apply_reg(
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\Wine\\Debug]\n"
            f"\"RelayInclude\"=\"{';'.join(clienttrace.RELAY_FUNCTIONS)}\"\n", views=("32",))

    @property
    def menu_file_name(self):
        return f"Morlavent_{self.edition}.mns"

    @staticmethod
    def script(host_lines):
        # The server's own default end (after a spell without calls) suits every run here.
        return host_lines

    # -- programs ------------------------------------------------------------------------
    def argv(self, program, menu=True):
        """The `wine` arguments of "launcher", "script" or "nothing"."""
        windows = self.prefix.windows_path
        if program == "nothing":
            return [windows(self.nothing)]
        if program == "launcher":
            return [windows(self.launcher if menu else self.bare_launcher)]
        if program == "script":
            folder = self.menu_folder if menu else self.bare_folder
            return ["cscript", "//nologo", windows(self.vbs),
                    windows(folder / self.menu_file_name)]
        raise ValueError(program)

    def _timed(self, argv, timeout):
        """Runs `wine ARGV...` and times it from the start of the loader to its end. The
        wait blocks in waitpid (subprocess' own time-out polls, which would round every
        time up to its next 50 ms); a timer kills the run at `timeout`."""
        with tempfile.TemporaryFile() as out:
            start = time.perf_counter()
            process = subprocess.Popen(["wine"] + [str(a) for a in argv], env=self.prefix.env,
                                       stdout=out, stderr=subprocess.DEVNULL,
                                       start_new_session=True)
            expired = threading.Event()

            def kill():
                expired.set()
                with contextlib.suppress(ProcessLookupError):
                    os.killpg(process.pid, signal.SIGKILL)

            timer = threading.Timer(timeout, kill)
            timer.start()
            try:
                status = process.wait()
            finally:
                timer.cancel()
            seconds = time.perf_counter() - start
            if expired.is_set():
                raise WineError(f"{argv[0]} did not end within {timeout} s")
            out.seek(0)
            return Timed(seconds, status, out.read().decode(errors="replace").strip())

    def floor(self):
        return self._timed(self.argv("nothing"), RUN_TIMEOUT)

    def script_host_works(self):
        """Wine's cscript and vbscript run launch.vbs without arguments: its usage line
        and status 64. Returns (works, what was seen)."""
        done = self._timed(["cscript", "//nologo", self.prefix.windows_path(self.vbs)],
                           RUN_TIMEOUT)
        return done.exit_code == 64 and "usage" in done.output, \
            f"status {done.exit_code}, output {done.output!r}"

    def script_attach(self):
        """Whether a script's GetObject(, ProgID) attaches to the running host here.
        Returns (attached, the failure number and text it printed)."""
        self.server.write_script(self.script(STANDARD_SCRIPT))
        mark = hostlog.mark(self.server)
        pid = self.server.start_running()
        try:
            done = self._timed(["cscript", "//nologo",
                                self.prefix.windows_path(self.getobject_vbs)], RUN_TIMEOUT)
        finally:
            self.server.path("quit").write_text("quit")
            left = self._wait_ended(mark, [pid], SERVER_END_TIMEOUT)
            if left:
                self._kill(left)
        return done.exit_code == 0, done.output.replace("\t", " ")

    # -- the host ------------------------------------------------------------------------
    def _events_since(self, mark):
        text = hostlog._tail(self.server.path("events"), mark.offsets["events"])
        return [line.split("\t") for line in text.splitlines()]

    def _wait_ended(self, mark, pids, timeout):
        """Waits until each server process in `pids` has written its end; returns the
        ones that did not within `timeout`."""
        def missing():
            ended = {int(f[0]) for f in self._events_since(mark)
                     if len(f) >= 2 and f[0].isdigit() and f[1] == "exit"}
            return [pid for pid in pids if pid not in ended]
        try:
            wait_until(lambda: not missing(), timeout, interval=0.05,
                       what="the server's end")
            return []
        except WineError:
            return missing()

    def _kill(self, pids):
        for pid in pids:
            self.prefix.run(["taskkill", "/F", "/PID", str(pid)], timeout=RUN_TIMEOUT)

    def attached(self, program, host_lines=STANDARD_SCRIPT, menu=True, timeout=RUN_TIMEOUT,
                 follow=None):
        """A launch against a host that runs already (registered in the running object
        table before the clock starts); the host is a fresh server process each time, so
        every run finds the same state. `follow` (object type, member): count that
        member's calls once a second while the run goes on, into `timed.samples`."""
        self.server.write_script(self.script(host_lines))
        mark = hostlog.mark(self.server)
        pid = self.server.start_running(timeout=max(30.0, timeout / 4))
        try:
            if follow:
                with hostlog.Progress(self.server, mark, *follow) as progress:
                    timed = self._timed(self.argv(program, menu), timeout)
                timed.samples = progress.samples
            else:
                timed = self._timed(self.argv(program, menu), timeout)
        finally:
            self.server.path("quit").write_text("quit")
            left = self._wait_ended(mark, [pid], SERVER_END_TIMEOUT)
            if left:
                self._kill(left)
        timed.log = hostlog.since(self.server, mark)
        timed.lingered = len(left)
        return timed

    def created(self, program, host_lines=STANDARD_SCRIPT, menu=True, timeout=RUN_TIMEOUT):
        """A launch with no host running: COM starts the server for the client. The server
        ends when the client has given back its last reference; one that does not is
        killed after a while and counted."""
        self.server.write_script(self.script(host_lines))
        mark = hostlog.mark(self.server)
        timed = self._timed(self.argv(program, menu), timeout)
        started = [int(f[0]) for f in self._events_since(mark)
                   if len(f) >= 2 and f[0].isdigit() and f[1] == "start"]
        left = self._wait_ended(mark, started, SERVER_END_TIMEOUT)
        if left:
            self._kill(left)
        timed.log = hostlog.since(self.server, mark)
        timed.lingered = len(left)
        return timed

    def client_calls(self, program, running):
        """An untimed run with the relay trace of the COM entry points: how the client
        reached the host, and where the launcher's time went. Returns (ClientTrace, wall
        seconds, exit status)."""
        self.server.write_script(self.script(STANDARD_SCRIPT))
        mark = hostlog.mark(self.server)
        if running:
            self.server.start_running()
        way = "attached" if running else "created"
        trace = self.work / f"relay-{self.edition}-{program}-{way}.txt"
        env = dict(self.prefix.env, WINEDEBUG="-all,+timestamp,+pid,+relay")
        try:
            with open(trace, "wb") as err:
                start = time.perf_counter()
                done = subprocess.run(["wine"] + self.argv(program), env=env,
                                      stdout=subprocess.DEVNULL, stderr=err,
                                      timeout=RUN_TIMEOUT, check=False,
                                      start_new_session=True)
                seconds = time.perf_counter() - start
        except subprocess.TimeoutExpired as error:
            raise WineError(f"the traced {program} did not end within {RUN_TIMEOUT} s") \
                from error
        finally:
            if running:
                self.server.path("quit").write_text("quit")
        started = [int(f[0]) for f in self._events_since(mark)
                   if len(f) >= 2 and f[0].isdigit() and f[1] == "start"]
        left = self._wait_ended(mark, started, SERVER_END_TIMEOUT)
        if left:
            self._kill(left)
        return clienttrace.read(trace.read_text(errors="replace")), seconds, done.returncode
