"""Each deliverable hands AutoCAD the menu file of its own edition, in the folder that it was
started from, whatever that folder's name: the host's journal shows the exact path, and the
host reads the file there."""

import unittest

from hostserver import EXIT_DONE, MENU_SOURCES, HostCase, bstr
from winecase import LAUNCH_TIMEOUT, Win32Windows, Win64Windows

# (name, folder under C:\) for the launcher and its menu file.
FOLDERS = [
    ("plain", ("Morlavent", "Menu")),
    ("non_ascii", ("Usuarios", "José Núñez", "Descargas", "CAD 2017 — menú")),
]

# More than 260 characters (MAX_PATH) before the file name.
LONG_FOLDER = ("Morlavent",) + tuple(f"Carpeta número {n} de una ruta muy larga para Morlavent CAD"
                                     for n in range(1, 6))


def menu_path_test(parts):
    """`parts`: the folder under C:\\."""
    def test(self):
        folder = self.prefix.drive_c.joinpath(*parts)
        windows_folder = self.prefix.windows_path(folder)
        self.install_server()
        self.assertDone(self.launch(folder=folder))
        self.assertLoadedFrom(windows_folder + "\\" + self.menu_file_name())

    test.__doc__ = "The menu file path is the launcher's folder and its edition's file name."
    return test


class MenuPathCases(HostCase):
    def assertLoadedFrom(self, path):
        loads = [call.outcome for call in self.server.journal() if call.member == "Load"]
        self.assertEqual(loads, ["ok"], self.journal_text())
        # The whole path, which the journal would cut after 200 characters.
        self.assertEqual([args for _, member, args in self.server.invoked() if member == "Load"],
                         [(bstr(path),)])
        # The host found the file at that path and loaded the group it defines.
        self.assertIn('group "MORLAVENT"', self.server.state_lines())
        self.assertIn('menubar "MORLAVENT" "Morlavent"', self.server.state_lines())

    def test_menu_file_from_folder_longer_than_max_path(self):
        """A folder beyond MAX_PATH: the launcher's folder still comes whole. The watcher
        cannot start a program there (CreateProcessW and the working directory stop at
        MAX_PATH under Wine), so Wine's loader starts it; a box would block it until the
        time-out, so an exit status 0 within it means none was shown."""
        folder = self.prefix.drive_c.joinpath(*LONG_FOLDER)
        windows_folder = self.prefix.windows_path(folder)
        self.assertGreater(len(windows_folder), 260)
        self.install_server()
        exe = self.install_launcher(self.edition, folder)
        self.prefix.install(MENU_SOURCES / self.menu_file_name(), folder)
        done = self.prefix.run([exe], cwd=self.prefix.drive_c, timeout=LAUNCH_TIMEOUT)
        self.assertEqual(done.returncode, EXIT_DONE, done.stderr.decode(errors="replace"))
        self.assertLoadedFrom(windows_folder + "\\" + self.menu_file_name())


def with_folders(cls):
    for name, parts in FOLDERS:
        setattr(cls, f"test_menu_file_from_{name}_folder", menu_path_test(parts))
    return cls


@with_folders
class MenuPathOn64BitWindows(MenuPathCases, Win64Windows):
    """menu-launcher-64: \\Morlavent_64.mns."""


@with_folders
class MenuPathOn32BitWindows(MenuPathCases, Win32Windows):
    """menu-launcher-32: \\Morlavent_32.mns."""


if __name__ == "__main__":
    unittest.main()
