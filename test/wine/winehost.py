"""Wine prefixes for the launcher's tests: booted templates, per-test clones, processes.

A template prefix per kind ("win64", "win32") is booted once under the build tree and kept
with a stamp; every test case works in its own clone made with hard links, so tests run
in parallel without seeing each other. Every wait here is bounded, and a clone's Wine
processes are always shut down when the test is done with it.
"""

import atexit
import contextlib
import errno
import functools
import fcntl
import hashlib
import itertools
import json
import os
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

KINDS = ("win64", "win32")

# Settings every prefix gets on top of Wine's defaults: the null graphics driver, so message
# boxes block and can be pressed without an X server; no crash dialog, so a program that
# crashes ends at once with its exception code instead of waiting for someone to close the
# debugger's window; and a relay trace restricted to the message box functions (active only
# where WINEDEBUG asks for +relay).
PREFIX_SETTINGS_REG = """Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]
"Graphics"="null"

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\\Software\\Wine\\Debug]
"RelayInclude"="user32.MessageBoxW;user32.MessageBoxExW;user32.MessageBoxIndirectW"
"""

# Files Wine rewrites in a prefix: a clone gets real copies so the template stays as booted.
REGISTRY_FILES = ("system.reg", "user.reg", "userdef.reg")
REWRITTEN_FILES = REGISTRY_FILES + ("drive_c/windows/win.ini", "drive_c/windows/system.ini")

DLL_OVERRIDES = "mscoree=;mshtml="
WINE_LOADER_64 = "/usr/lib/wine/wine64"

BOOT_TIMEOUT = 300
COMMAND_TIMEOUT = 60
SHUTDOWN_TIMEOUT = 30
LOCK_TIMEOUT = 600

# Environment variables of the caller that must not leak into a prefix's processes.
_SCRUBBED = ("DISPLAY", "WAYLAND_DISPLAY", "WINEDEBUG", "WINELOADER", "WINESERVER",
             "WINEPREFIX", "WINEARCH", "WINEDLLOVERRIDES", "WINEDLLPATH", "LANG", "LANGUAGE")


class WineError(Exception):
    """Wine, a prefix or a Windows-side process did not do what the harness needed."""


def wait_until(condition, timeout, interval=0.05, what="the condition"):
    """Polls `condition` until it returns a true value, which is returned; bounded."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise WineError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


@functools.lru_cache(maxsize=None)
def wine_version():
    try:
        done = subprocess.run(["wine", "--version"], capture_output=True, text=True,
                              timeout=COMMAND_TIMEOUT, check=False)
    except FileNotFoundError as error:
        raise WineError("wine is not installed (need Debian's wine, wine32:i386, wine64)") \
            from error
    if done.returncode != 0:
        raise WineError(f"wine --version failed: {done.stderr.strip()}")
    return done.stdout.strip()


def wine_environment(prefix_path, kind, base=None):
    env = {k: v for k, v in (base if base is not None else os.environ).items()
           if k not in _SCRUBBED and not k.startswith("LC_")}
    env.update({
        "WINEPREFIX": str(prefix_path),
        "WINEARCH": kind,
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": DLL_OVERRIDES,
        # Unix file names and command lines are UTF-8, whatever the caller's locale.
        "LC_ALL": "C.UTF-8",
    })
    return env


def _run(argv, env, timeout, what, cwd=None, stderr_path=None):
    """Runs a command to its end, bounded; returns a CompletedProcess with its output.
    Output goes to files, never to pipes: Wine processes that the command leaves behind
    (services, a debugger attached to a crash) keep inherited descriptors open long after
    it has ended, and reading a pipe to its end would wait for them."""
    err_file = open(stderr_path, "w+b") if stderr_path else tempfile.TemporaryFile()
    with tempfile.TemporaryFile() as out, err_file as err:
        try:
            done = subprocess.run(argv, env=env, cwd=cwd, stdout=out, stderr=err,
                                  timeout=timeout, check=False, start_new_session=True)
        except FileNotFoundError as error:
            raise WineError(f"{what}: {argv[0]} not found") from error
        except subprocess.TimeoutExpired as error:
            raise WineError(f"{what}: no answer within {timeout} s") from error
        out.seek(0)
        err.seek(0)
        return subprocess.CompletedProcess(argv, done.returncode, out.read(),
                                           b"" if stderr_path else err.read())


def _kill_server(env):
    """Ends every process of the prefix's wineserver and waits until it has gone."""
    for argv in (["wineserver", "-k"], ["wineserver", "-w"]):
        try:
            subprocess.run(argv, env=env, capture_output=True, timeout=SHUTDOWN_TIMEOUT,
                           check=False)
        except subprocess.TimeoutExpired:
            pass


def _reg_file_bytes(text):
    # regedit reads UTF-16 with a byte order mark: any path or name survives.
    return b"\xff\xfe" + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-16-le")


def _sha256(path):
    return hashlib.sha256(path.read_bytes()).hexdigest()


@contextlib.contextmanager
def _file_lock(path, timeout):
    path.parent.mkdir(parents=True, exist_ok=True)
    with open(path, "a+") as handle:
        deadline = time.monotonic() + timeout
        while True:
            try:
                fcntl.flock(handle, fcntl.LOCK_EX | fcntl.LOCK_NB)
                break
            except OSError as error:
                if error.errno not in (errno.EAGAIN, errno.EACCES):
                    raise
                if time.monotonic() >= deadline:
                    raise WineError(f"could not take {path} within {timeout} s") from error
                time.sleep(0.2)
        try:
            yield
        finally:
            fcntl.flock(handle, fcntl.LOCK_UN)


class Template:
    """A booted prefix of one kind under `root`, reused while its stamp says it is intact."""

    STAMP = ".harness-stamp"

    def __init__(self, root, kind):
        if kind not in KINDS:
            raise ValueError(f"unknown prefix kind {kind!r}")
        self.root = Path(root)
        self.kind = kind
        self.path = self.root / kind
        self.boot_seconds = None

    def _recipe(self):
        text = "\n".join([self.kind, DLL_OVERRIDES, PREFIX_SETTINGS_REG])
        return hashlib.sha256(text.encode()).hexdigest()

    def is_intact(self):
        try:
            stamp = json.loads((self.path / self.STAMP).read_text())
            if stamp["recipe"] != self._recipe() or stamp["wine"] != wine_version():
                return False
            if not (self.path / "drive_c/windows/system32/kernel32.dll").is_file():
                return False
            return all(_sha256(self.path / name) == stamp["files"][name]
                       for name in REWRITTEN_FILES)
        except (OSError, ValueError, KeyError):
            return False

    def ensure(self):
        """Boots the template unless an intact one exists. Returns the boot time in seconds,
        0.0 when reused. Parallel callers wait for each other on a lock file."""
        with _file_lock(self.root / f".{self.kind}.lock", LOCK_TIMEOUT):
            if self.is_intact():
                self.boot_seconds = 0.0
                return 0.0
            started = time.monotonic()
            self._boot()
            self.boot_seconds = time.monotonic() - started
            return self.boot_seconds

    def _boot(self):
        building = self.root / f"{self.kind}.booting"
        for stale in (building, self.path):
            if stale.exists():
                _kill_server(wine_environment(stale, self.kind))
                shutil.rmtree(stale)
        env = wine_environment(building, self.kind)
        try:
            done = _run(["wineboot", "-i"], env, BOOT_TIMEOUT, f"booting the {self.kind} prefix")
            if done.returncode != 0:
                raise WineError(f"wineboot -i failed ({done.returncode}): "
                                f"{done.stderr.decode(errors='replace')[-2000:]}")
            settings = building / "drive_c" / "harness-settings.reg"
            settings.write_bytes(_reg_file_bytes(PREFIX_SETTINGS_REG))
            done = _run(["wine", "regedit", "/S", "C:\\harness-settings.reg"], env,
                        COMMAND_TIMEOUT, "applying the prefix settings")
            settings.unlink()
            if done.returncode != 0:
                raise WineError(f"regedit failed in the {self.kind} prefix: "
                                f"{done.stderr.decode(errors='replace')[-2000:]}")
            # The registry reaches the files only when the server ends.
            _run(["wineserver", "-w"], env, BOOT_TIMEOUT, "waiting for the booted prefix")
        finally:
            _kill_server(env)
        user_reg = (building / "user.reg").read_text(errors="replace")
        for setting in ('"Graphics"="null"', '"ShowCrashDialog"=dword:00000000',
                        '"RelayInclude"="user32.MessageBoxW;'):
            if setting not in user_reg:
                raise WineError(f"the {self.kind} prefix did not keep the setting {setting}")
        stamp = {
            "recipe": self._recipe(),
            "wine": wine_version(),
            "files": {name: _sha256(building / name) for name in REWRITTEN_FILES},
        }
        (building / self.STAMP).write_text(json.dumps(stamp, indent=1))
        building.rename(self.path)

    def clone(self, destination):
        """A private prefix: hard links to the template, real copies of what Wine rewrites."""
        destination = Path(destination)
        if destination.exists():
            raise WineError(f"{destination} exists already")
        destination.parent.mkdir(parents=True, exist_ok=True)
        done = _run(["cp", "-al", str(self.path), str(destination)], None, COMMAND_TIMEOUT,
                    "cloning the prefix")
        if done.returncode != 0:
            raise WineError(f"cp -al failed: {done.stderr.decode(errors='replace')}")
        for name in REWRITTEN_FILES:
            target = destination / name
            target.unlink()
            shutil.copy2(self.path / name, target)
        (destination / self.STAMP).unlink()
        return Prefix(destination, self.kind)


# Prefixes with processes that may still run: shut down at exit and on SIGTERM, so that an
# interrupted run leaves no Wine processes behind.
_live_prefixes = set()


def _shutdown_live_prefixes():
    for prefix in list(_live_prefixes):
        prefix.shutdown()


def _on_terminate(signum, frame):
    _shutdown_live_prefixes()
    raise SystemExit(128 + signum)


def install_signal_handlers():
    signal.signal(signal.SIGTERM, _on_terminate)


atexit.register(_shutdown_live_prefixes)


class Prefix:
    """A test's own prefix (a clone). Use as a context manager: leaving it shuts the
    prefix's Wine processes down and removes it (unless `keep`)."""

    _names = itertools.count()

    def __init__(self, path, kind):
        self.path = Path(path)
        self.kind = kind
        self.env = wine_environment(self.path, kind)
        self.keep = False
        self._processes = []

    # -- paths -------------------------------------------------------------------------
    @property
    def drive_c(self):
        return self.path / "drive_c"

    def windows_path(self, unix_path):
        """The Windows name of a Unix path: C:\\ inside the prefix, Z:\\ elsewhere."""
        unix_path = Path(os.path.abspath(unix_path))
        try:
            relative = unix_path.relative_to(self.drive_c)
            return "C:\\" + "\\".join(relative.parts)
        except ValueError:
            return "Z:" + str(unix_path).replace("/", "\\")

    def unix_path(self, windows_path):
        """The Unix path of a C:\\ or Z:\\ path."""
        drive, rest = windows_path[:2].upper(), windows_path[2:].replace("\\", "/").lstrip("/")
        if drive == "C:":
            return self.drive_c / rest
        if drive == "Z:":
            return Path("/") / rest
        raise ValueError(f"no Unix path for {windows_path!r}")

    def install(self, source, folder):
        """Copies `source` into `folder` (a Unix path, usually under drive_c, created as
        needed); returns the Unix path of the copy."""
        folder = Path(folder)
        folder.mkdir(parents=True, exist_ok=True)
        target = folder / Path(source).name
        shutil.copy2(source, target)
        return target

    # -- processes ---------------------------------------------------------------------
    def _track(self):
        _live_prefixes.add(self)

    def run(self, args, timeout=COMMAND_TIMEOUT, loader="wine", stderr_path=None, cwd=None):
        """Runs `wine ARGS...` to its end (bounded); returns the CompletedProcess.
        Its stderr goes to `stderr_path` when given (kept as bytes otherwise)."""
        self._track()
        argv = [loader] + [str(a) for a in args]
        return _run(argv, self.env, timeout, f"running {args[0]}", cwd=cwd,
                    stderr_path=stderr_path)

    def start(self, args, stdout_path=None, loader="wine"):
        """Starts `wine ARGS...` without waiting; the process ends with the prefix at
        shutdown at the latest. Pair with wait_until() for what it should bring about."""
        self._track()
        out = open(stdout_path, "wb") if stdout_path else subprocess.DEVNULL
        try:
            process = subprocess.Popen([loader] + [str(a) for a in args], env=self.env,
                                       stdout=out, stderr=subprocess.STDOUT,
                                       start_new_session=True)
        finally:
            if stdout_path:
                out.close()
        self._processes.append(process)
        return process

    # -- registry ----------------------------------------------------------------------
    def apply_reg(self, text, views=("32", "64")):
        """Applies a .reg text with `regedit /S`. In a win64 prefix "32" and "64" pick the
        registry view (Debian's `wine` is the 32-bit loader and writes the 32-bit view);
        a win32 prefix has only one."""
        folder = self.drive_c / "harness"
        folder.mkdir(exist_ok=True)
        reg = folder / f"apply-{next(self._names)}.reg"
        reg.write_bytes(_reg_file_bytes(text))
        loaders = {"32": "wine", "64": WINE_LOADER_64}
        chosen = views if self.kind == "win64" else ("32",)
        for view in chosen:
            done = self.run(["regedit", "/S", self.windows_path(reg)], loader=loaders[view])
            if done.returncode != 0:
                raise WineError(f"regedit ({view}-bit view) failed: "
                                f"{done.stderr.decode(errors='replace')[-2000:]}")

    def register_local_server(self, progid, clsid, server_windows_path, arguments=""):
        """Registers a COM local server: ProgID -> CLSID -> LocalServer32, in both views."""
        command = f'"{server_windows_path}"' + (f" {arguments}" if arguments else "")

        def quoted(value):
            return '"' + value.replace("\\", "\\\\").replace('"', '\\"') + '"'

        self.apply_reg(
            "Windows Registry Editor Version 5.00\n\n"
            f"[HKEY_CLASSES_ROOT\\{progid}]\n@={quoted(progid)}\n\n"
            f"[HKEY_CLASSES_ROOT\\{progid}\\CLSID]\n@={quoted(clsid)}\n\n"
            f"[HKEY_CLASSES_ROOT\\CLSID\\{clsid}]\n@={quoted(progid)}\n\n"
            f"[HKEY_CLASSES_ROOT\\CLSID\\{clsid}\\ProgID]\n@={quoted(progid)}\n\n"
            f"[HKEY_CLASSES_ROOT\\CLSID\\{clsid}\\LocalServer32]\n@={quoted(command)}\n")

    # -- end ---------------------------------------------------------------------------
    def shutdown(self):
        """Ends every Wine process of this prefix and waits for its server to go (bounded).
        Processes ended this way exit with status 1: read no results from them."""
        _kill_server(self.env)
        for process in self._processes:
            try:
                process.wait(timeout=SHUTDOWN_TIMEOUT)
            except subprocess.TimeoutExpired:
                with contextlib.suppress(ProcessLookupError):
                    os.killpg(process.pid, signal.SIGKILL)
                process.wait(timeout=SHUTDOWN_TIMEOUT)
        self._processes.clear()
        _live_prefixes.discard(self)

    def remove(self):
        shutil.rmtree(self.path, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.shutdown()
        if not self.keep:
            self.remove()
        return False


def sweep_stale_clones(clones_root):
    """Removes clones left by test processes that no longer run (their name ends in
    -PID-N), shutting down any Wine server still attached to them."""
    clones_root = Path(clones_root)
    if not clones_root.is_dir():
        return
    for clone in clones_root.iterdir():
        parts = clone.name.rsplit("-", 2)
        if len(parts) != 3 or not parts[1].isdigit():
            continue
        with contextlib.suppress(ProcessLookupError, PermissionError):
            os.kill(int(parts[1]), 0)
            continue  # its test process still runs
        kind = "win64" if (clone / "drive_c/windows/syswow64").is_dir() else "win32"
        _kill_server(wine_environment(clone, kind))
        shutil.rmtree(clone, ignore_errors=True)
