"""Test fixtures for cases that run Windows programs under Wine: one class per prefix kind,
each test in its own clone of the booted template, torn down whatever the outcome.

Configuration (environment; run_wine_tests.py and the CMake registration set it):
  MORLAVENT_MINGW_BIN      the deliverables (build/mingw/bin)
  MORLAVENT_WINE_TOOLS     wine-watcher.exe and wine-fixture.exe (default: MINGW_BIN)
  MORLAVENT_WINE_PREFIXES  templates and clones (default: build/linux/wine-prefixes,
                           where ctest of the linux preset keeps them too)
  MORLAVENT_WINE_KEEP=1    keep each test's clone for a look afterwards
"""

import itertools
import os
import unittest
from dataclasses import dataclass
from pathlib import Path

from watched import Watcher
from winehost import Template

REPO = Path(__file__).resolve().parents[2]

# A launch that must end by itself does so within this; a box nobody presses would not.
LAUNCH_TIMEOUT = 30.0


@dataclass(frozen=True)
class Config:
    mingw_bin: Path
    tools: Path
    prefixes: Path
    keep: bool

    @classmethod
    def from_environment(cls):
        mingw_bin = Path(os.environ.get("MORLAVENT_MINGW_BIN", REPO / "build/mingw/bin"))
        return cls(
            mingw_bin=mingw_bin.resolve(),
            tools=Path(os.environ.get("MORLAVENT_WINE_TOOLS", mingw_bin)).resolve(),
            prefixes=Path(os.environ.get("MORLAVENT_WINE_PREFIXES",
                                         REPO / "build/linux/wine-prefixes")).resolve(),
            keep=os.environ.get("MORLAVENT_WINE_KEEP") == "1",
        )


_clone_numbers = itertools.count()


class WineCase(unittest.TestCase):
    """A test with a private prefix of kind `kind` (self.prefix) and a watcher in it."""

    kind = None

    @classmethod
    def setUpClass(cls):
        if cls.kind is None:
            raise unittest.SkipTest("base class")
        cls.config = Config.from_environment()
        Template(cls.config.prefixes, cls.kind).ensure()

    def setUp(self):
        template = Template(self.config.prefixes, self.kind)
        name = f"{self.id().rsplit('.', 1)[-1]}-{os.getpid()}-{next(_clone_numbers)}"
        self.prefix = template.clone(self.config.prefixes / "clones" / name)
        self.prefix.keep = self.config.keep
        self.addCleanup(self.prefix.__exit__, None, None, None)
        self.watcher = Watcher(self.prefix, self.config.tools / "wine-watcher.exe")

    # -- programs --------------------------------------------------------------------
    def built(self, folder, name):
        path = folder / name
        if not path.is_file():
            self.fail(f"{path} does not exist: build it first "
                      "(cmake --preset mingw && cmake --build --preset mingw)")
        return path

    def launcher_path(self, edition):
        return self.built(self.config.mingw_bin, f"menu-launcher-{edition}.exe")

    def install_launcher(self, edition, folder=None):
        """Copies menu-launcher-EDITION.exe into `folder` (a Unix path; default
        C:\\Morlavent\\Menu in the prefix) and returns the copy's Unix path."""
        folder = folder or self.prefix.drive_c / "Morlavent" / "Menu"
        return self.prefix.install(self.launcher_path(edition), folder)

    def run_launcher(self, edition, press="ok", folder=None, cwd=None, timeout=LAUNCH_TIMEOUT):
        """Installs and runs the launcher under the watcher; returns its LaunchResult."""
        return self.watcher.run(self.install_launcher(edition, folder), cwd=cwd, press=press,
                                timeout=timeout)

    # -- checks ----------------------------------------------------------------------
    def assertEndedByItself(self, result):
        self.assertFalse(result.timed_out,
                         "still running at the time-out:\n" + result.describe())
        unclosed = [box for box in result.boxes if not box.closed]
        self.assertEqual(unclosed, [], "boxes that stayed open:\n" + result.describe())


class Win64Windows(WineCase):
    """64-bit Windows: a 32-bit program runs under WOW64."""

    kind = "win64"


class Win32Windows(WineCase):
    """32-bit Windows."""

    kind = "win32"
