"""The launcher run from a downloads folder that also holds DLLs named like system ones: none
of them may be loaded, and the launcher behaves as it does anywhere else.

The planted DLL (wine-planted.dll, copied under each name) forwards nothing; when loaded it
leaves a marker C:\\planted-markers\\NAME-PID.txt naming itself and the program. Two things
make the planting bite under Wine as it would on Windows, and are checked by the control
cases with wine-fixture.exe (the same start-up steps as the launcher, or none):
- Wine prefers its own builtin DLL even where the search found a file of that name: the
  builtin is then mapped under the found file's path and the planted code never runs. A
  per-program override (HKCU\\Software\\Wine\\AppDefaults\\EXE\\DllOverrides, native first)
  makes Wine run the file the search found, as Windows always does.
- The loader trace (+loaddll) names the file each search chose, builtin or not: no module
  of the launcher's process may come from its folder but the launcher itself.

What a launch loads by name after its start, under Wine 8 (+loaddll, +module):
- a stop box (bitness, connection failure): uxtheme.dll, comctl32.dll (redirected to the
  common controls 6 by the manifest), Wine's display driver null.dll, and msimg32.dll
  (a delayed import of uxtheme);
- the connection failure adds nothing: an unregistered ProgID is answered from the registry;
- a whole launch: uxtheme.dll (COM's hidden window), the proxy DLLs by their full registered
  paths (actxprxy.dll, ole32.dll, oleaut32.dll), ole32.dll by name once more (already loaded).
Every other DLL is a static import of the launcher or of Wine's own DLLs.

Not planted, because no code of the program can keep them out under Wine (see
WineLoadsBeforeTheProgramStarts): version.dll, a static import of Wine's user32 (not of
Windows'), and imm32.dll, loaded by user32's start-up (a known DLL on Windows): both are
searched for in the program's folder first before its first instruction. Nor msimg32.dll:
Wine resolves delayed imports with the program's folder first even after
SetDefaultDllDirectories, so a planted one is loaded whenever the box is painted before it
is pressed, which is a matter of timing.
"""

import subprocess
import unittest
from pathlib import Path
from unittest import mock

import watched
from hostserver import (APPLICATION_TITLE, EXIT_DONE, EXIT_NO_CONNECTION, MENU_SOURCES,
                        OK_BUTTON, OPENING_LINES, SERVER_EXE, STOP_ICON, HostServer, bstr, signed)
from relaytrace import decode_logged_string
from winecase import LAUNCH_TIMEOUT, Win32Windows, Win64Windows

PLANTED_DLL = "wine-planted.dll"
MARKER_FOLDER = "planted-markers"  # C:\planted-markers, fixed in planted_dll.cpp
FIXTURE = "wine-fixture.exe"
FIXTURE_HARDENING_MISSING = 122
FIXTURE_UNKNOWN_COMMAND = 121

# The names a launch loads by name after its start (module docstring): planted beside it.
PLANTED = ("uxtheme.dll", "comctl32.dll", "null.dll")
SYSTEM_UXTHEME = "C:\\windows\\system32\\uxtheme.dll"

BITNESS_TITLE = "Morlavent Message"
EXIT_BITNESS_STOP = 2
CO_E_CLASSSTRING = 0x800401F3

# Each kind of Windows: the edition that stops there with its prompt, and the one that goes on.
STOPS = {
    "win32": ("64", "Please, run Morlavent CAD 2017 32 Bits"),
    "win64": ("32", "Please, run Morlavent CAD 2017 64 Bits"),
}
GOES_ON = {"win32": "32", "win64": "64"}

# +loaddll on top of the watcher's own settings for the program.
_PROGRAM_WINEDEBUG_WITH_LOADS = watched.PROGRAM_WINEDEBUG + ",+loaddll"

# 0128:012c:trace:loaddll:build_module Loaded L"C:\\windows\\system32\\uxtheme.dll" at 70D80000: builtin
_LOADED = ("trace:loaddll:build_module Loaded L\"", "\" at ")


def loaded_modules(trace_path, pid):
    """The file of every module the loader mapped into process `pid`, in order."""
    paths = []
    with open(trace_path, encoding="utf-8", errors="replace") as trace:
        for line in trace:
            head, _, rest = line.partition(":")
            start = rest.find(_LOADED[0])
            if start < 0 or int(head, 16) != pid:
                continue
            body = rest[start + len(_LOADED[0]):]
            paths.append(decode_logged_string(body[:body.rfind(_LOADED[1])]))
    return paths


def fixture_args(*items):
    """The fixture's command line: it takes backslash escapes."""
    return subprocess.list2cmdline([str(item).replace("\\", "\\\\") for item in items])


class Planting:
    """Mixed in before a winecase class: a downloads folder of the prefix's user with the
    planted DLLs, and runs under the watcher with the loader trace on."""

    def setUp(self):
        super().setUp()
        self.folder = self.downloads() / "Morlavent"
        self.folder.mkdir()

    def downloads(self):
        users = [p for p in (self.prefix.drive_c / "users").iterdir()
                 if p.is_dir() and p.name != "Public"]
        self.assertEqual(len(users), 1, f"not one user profile in the prefix: {users}")
        downloads = users[0] / "Downloads"
        # Wine links the folder to the Unix home; the clone gets a folder of its own so that
        # nothing is written outside it.
        if downloads.is_symlink():
            downloads.unlink()
        downloads.mkdir(exist_ok=True)
        return downloads

    def plant(self, names, program):
        """Copies the planted DLL into the folder under each name, and has Wine run such a
        file for `program` (an exe file name) instead of its own builtin."""
        source = self.built(self.config.tools, PLANTED_DLL)
        for name in names:
            (self.folder / name).write_bytes(source.read_bytes())
        overrides = "".join(f'"{Path(name).stem}"="native,builtin"\n' for name in names)
        # HKCU\Software is one view for 32-bit and 64-bit programs alike.
        self.prefix.apply_reg("Windows Registry Editor Version 5.00\n\n"
                              f"[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\{program}"
                              f"\\DllOverrides]\n{overrides}", views=("32",))

    def run_traced(self, program, args="", timeout=LAUNCH_TIMEOUT):
        with mock.patch.object(watched, "PROGRAM_WINEDEBUG", _PROGRAM_WINEDEBUG_WITH_LOADS):
            return self.watcher.run(program, args=args, timeout=timeout)

    # -- what was loaded -------------------------------------------------------------
    def markers(self):
        """{DLL file name: marker text} of every planted DLL any process loaded."""
        folder = self.prefix.drive_c / MARKER_FOLDER
        if not folder.is_dir():
            return {}
        return {path.name.rsplit("-", 1)[0]: path.read_text(encoding="utf-8")
                for path in folder.iterdir()}

    def loaded_from_folder(self, result, program):
        """The modules of the program's process that came from the planted folder, itself
        aside."""
        folder = self.prefix.windows_path(self.folder).lower() + "\\"
        return [path for path in loaded_modules(result.trace_path, result.pid)
                if path.lower().startswith(folder)
                and path.lower() != self.prefix.windows_path(program).lower()]

    def assertNothingPlantedLoaded(self, result, program):
        self.assertEqual(self.markers(), {}, "planted DLLs ran:\n" + result.describe())
        self.assertEqual(self.loaded_from_folder(result, program), [],
                         "modules found in the program's folder")
        # Not vacuous: the program did ask for a planted name and got the system's file.
        loaded = [path.lower() for path in loaded_modules(result.trace_path, result.pid)]
        self.assertIn(SYSTEM_UXTHEME.lower(), loaded, f"uxtheme.dll never loaded: {loaded}")


# -- the control: the same planting catches a program without the start-up steps ----------

# (name, fixture commands after "harden" or none, what each run must show)
CONTROL_RUNS = [
    # A message box loads uxtheme.dll and the display driver by name, as the launcher's do.
    ("box", ("box", 16, "Planted", "A box"), None),
    # A load by name, as anyone's LoadLibraryW(L"uxtheme.dll").
    ("loadlibrary", ("loadlibrary", "uxtheme.dll"), "uxtheme.dll"),
]
# What the fixture without the start-up steps loaded from the folder, in both runs.
UNHARDENED_MARKERS = {"uxtheme.dll", "null.dll"}


def control_test(commands, loaded_name, hardened):
    def test(self):
        fixture = self.prefix.install(self.built(self.config.tools, FIXTURE), self.folder)
        self.plant(PLANTED, FIXTURE)
        steps = (("harden",) if hardened else ()) + commands
        result = self.run_traced(fixture, args=fixture_args(*steps))
        self.assertEndedByItself(result)
        self.assertNotIn(result.exit_code, (FIXTURE_UNKNOWN_COMMAND, FIXTURE_HARDENING_MISSING),
                         "rebuild the mingw preset (wine-fixture.exe), or Wine lacks "
                         "SetDefaultDllDirectories: " + result.describe())
        self.assertEqual(result.exit_code, 0, result.describe())
        if loaded_name:
            expected = SYSTEM_UXTHEME if hardened else \
                self.prefix.windows_path(self.folder / loaded_name)
            self.assertEqual([box.text for box in result.boxes], [f"loaded={expected}"],
                             result.describe())
        else:
            self.assertEqual([(box.caption, box.text) for box in result.boxes],
                             [(commands[2], commands[3])], result.describe())
        if hardened:
            self.assertNothingPlantedLoaded(result, fixture)
            return
        markers = self.markers()
        self.assertEqual(set(markers), UNHARDENED_MARKERS, result.describe())
        for name, text in markers.items():
            self.assertEqual(text.splitlines(),
                             [f"module={self.prefix.windows_path(self.folder / name)}",
                              f"exe={self.prefix.windows_path(fixture)}"])
        self.assertEqual(sorted(Path(p.replace("\\", "/")).name.lower()
                                for p in self.loaded_from_folder(result, fixture)),
                         sorted(UNHARDENED_MARKERS))

    test.__doc__ = ("wine-fixture.exe " + ("with" if hardened else "without") +
                    " the launcher's start-up steps, " + " ".join(map(str, commands[:2])) +
                    (": the system's DLLs alone." if hardened else
                     ": the planted DLLs run (the test can fail)."))
    return test


def with_control_cases(cls):
    for name, commands, loaded_name in CONTROL_RUNS:
        for hardened in (False, True):
            setattr(cls, f"test_{name}_{'hardened' if hardened else 'unhardened'}",
                    control_test(commands, loaded_name, hardened))
    return cls


@with_control_cases
class ControlOn64BitWindows(Planting, Win64Windows):
    pass


@with_control_cases
class ControlOn32BitWindows(Planting, Win32Windows):
    pass


class WineLoadsBeforeTheProgramStarts(Planting, Win64Windows):
    """Why version.dll and imm32.dll are not planted beside the launcher: under Wine they are
    taken from the program's folder before its first instruction. Should this case fail,
    Wine no longer does so, and both belong among the planted names."""

    def test_version_and_imm32_load_before_the_start_up_steps(self):
        fixture = self.prefix.install(self.built(self.config.tools, FIXTURE), self.folder)
        self.plant(("version.dll", "imm32.dll"), FIXTURE)
        result = self.run_traced(fixture, args="harden exit 0")
        self.assertEndedByItself(result)
        self.assertEqual(result.exit_code, 0, result.describe())
        self.assertEqual(set(self.markers()), {"version.dll", "imm32.dll"}, result.describe())


# -- the launcher from the downloads folder -------------------------------------------------

class LaunchCases(Planting):
    """Each case runs one edition from the planted folder, with its menu file beside it."""

    def launch(self, edition):
        exe = self.install_launcher(edition, self.folder)
        self.prefix.install(MENU_SOURCES / f"Morlavent_{edition}.mns", self.folder)
        self.plant(PLANTED, exe.name)
        return exe, self.run_traced(exe)

    def test_bitness_stop(self):
        """The edition that does not fit: its stop box, exit 2, nothing planted loaded."""
        edition, prompt = STOPS[self.kind]
        exe, result = self.launch(edition)
        self.assertEndedByItself(result)
        self.assertEqual([(b.caption, b.text, b.style, b.buttons) for b in result.boxes],
                         [(BITNESS_TITLE, prompt, STOP_ICON, OK_BUTTON)], result.describe())
        self.assertEqual(result.exit_code, EXIT_BITNESS_STOP, result.describe())
        self.assertNothingPlantedLoaded(result, exe)

    def test_connection_failure(self):
        """No AutoCAD registered: the opening message, exit 3, nothing planted loaded."""
        exe, result = self.launch(GOES_ON[self.kind])
        self.assertEndedByItself(result)
        self.assertEqual([(b.caption, b.style, b.buttons) for b in result.boxes],
                         [(APPLICATION_TITLE, STOP_ICON, OK_BUTTON)], result.describe())
        lines = result.boxes[0].text.split("\r\n")
        self.assertEqual(lines[:6], [*OPENING_LINES, str(signed(CO_E_CLASSSTRING))],
                         result.describe())
        self.assertEqual(result.exit_code, EXIT_NO_CONNECTION, result.describe())
        self.assertNothingPlantedLoaded(result, exe)

    def test_whole_launch(self):
        """AutoCAD started by COM: the menu from the downloads folder set up, no box, exit 0,
        nothing planted loaded by the launcher or the host."""
        edition = GOES_ON[self.kind]
        server = HostServer.install(self.prefix, self.built(self.config.mingw_bin, SERVER_EXE))
        exe, result = self.launch(edition)
        server.check_script()
        self.assertEndedByItself(result)
        self.assertEqual((result.exit_code, result.boxes), (EXIT_DONE, []), result.describe())
        menu = self.prefix.windows_path(self.folder / f"Morlavent_{edition}.mns")
        self.assertEqual([(c.args, c.outcome) for c in server.journal() if c.member == "Load"],
                         [((bstr(menu),), "ok")])
        self.assertIn('menubar "MORLAVENT" "Morlavent"', server.state_lines())
        self.assertNothingPlantedLoaded(result, exe)


class LauncherFromDownloadsOn64BitWindows(LaunchCases, Win64Windows):
    pass


class LauncherFromDownloadsOn32BitWindows(LaunchCases, Win32Windows):
    pass


if __name__ == "__main__":
    unittest.main()
