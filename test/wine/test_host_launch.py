"""The whole launch under Wine against autocad-test-server.exe registered as
AutoCAD.Application.21: created by COM or attached to a running one, the connection and
release messages with the host's own failures, and the set-up seen in the host's journal
and state."""

import unittest

from hostserver import (EXIT_NO_CONNECTION, EXIT_WRONG_RELEASE, STOP_ICON, WARNING_ICON,
                        HostCase, bstr, opening_message, signed, state_variables)
from winecase import Win32Windows, Win64Windows

PRODUCT_FOLDER = "C:\\Morlavent\\2017;"
CO_E_CLASSSTRING = 0x800401F3
ERROR_SOURCE = "Morlavent CAD"   # the launcher's own failures name the application


def chain(*steps):
    """The calls that walk from the document to a member, each ("Object", "Member", args)."""
    return [(obj, member, "Get", args, "ok") for obj, member, args in steps]


def to_group(*then):
    return chain(("Document", "Application", ()), ("Application", "MenuGroups", ()),
                 ("MenuGroups", "Item", ("I2|BYREF:0",)), *then)


def full_launch(menu_path):
    """Every call of a launch into a fresh AutoCAD 2017 (menu bar off, no trusted folder,
    no menu group), in order: the chain from the document is walked anew for each step."""
    return [
        ("Application", "Visible", "Put", ("BOOL:true",), "ok"),
        ("Application", "ActiveDocument", "Get", (), "ok"),
        ("Document", "GetVariable", "Get", (bstr("ACADVER"),), "ok"),
        ("Document", "GetVariable", "Get", (bstr("TRUSTEDPATHS"),), "ok"),
        ("Document", "SetVariable", "Call", (bstr("TRUSTEDPATHS"), bstr(PRODUCT_FOLDER)), "ok"),
        *chain(("Document", "Application", ()), ("Application", "MenuGroups", ())),
        ("MenuGroups", "Load", "Call", (bstr(menu_path),), "ok"),
        *chain(("Document", "Application", ()), ("Application", "MenuGroups", ()),
               ("MenuGroups", "Count", ())),
        *to_group(("MenuGroup", "Name", ())),
        *to_group(("MenuGroup", "Menus", ())),
        ("PopupMenus", "InsertMenuInMenuBar", "Call", (bstr("Morlavent"), bstr("")), "ok"),
        *to_group(("MenuGroup", "Toolbars", ()), ("Toolbars", "Count", ())),
        *to_group(("MenuGroup", "Toolbars", ()), ("Toolbars", "Item", ("I2|BYREF:0",)),
                  ("Toolbar", "Name", ())),
        *to_group(("MenuGroup", "Toolbars", ()), ("Toolbars", "Item", ("I2|BYREF:0",))),
        ("Toolbar", "Visible", "Put", ("BOOL:true",), "ok"),
        ("Document", "GetVariable", "Get", (bstr("MENUBAR"),), "ok"),
        ("Document", "SetVariable", "Call", (bstr("MENUBAR"), "I2:1"), "ok"),
    ]


# What a fresh AutoCAD holds after a whole launch.
SET_UP_STATE = [
    "visible true",
    "document open",
    'variable ACADVER BSTR:"21.0s (LMS Tech)"',
    "variable MENUBAR I2:1",
    'variable TRUSTEDPATHS BSTR:"C:\\\\Morlavent\\\\2017;"',
    'group "MORLAVENT"',
    '  menu "Morlavent"',
    '  toolbar "Morlavent" shown',
    'menubar "MORLAVENT" "Morlavent"',
]

# A group already loaded, its menu not on the bar and its toolbar hidden.
LOADED_GROUP = """\
group "MORLAVENT"
menu "Morlavent"
toolbar "Morlavent" hidden
"""

LOCKED = "El dibujo está bloqueado por «otro» usuario"

# The host's own failure on ActiveDocument: (name, script number, description, source,
# the message the launcher must show).
ACTIVE_DOCUMENT_FAILURES = [
    ("own_texts", 0x8020000C, LOCKED, "AutoCAD.Application",
     opening_message(signed(0x8020000C), LOCKED, "AutoCAD.Application")),
    ("empty_texts", 0x80004005, "", "", opening_message(signed(0x80004005), "", "")),
    ("type_library_number", 48, "Cannot load", "AutoCAD",
     "Error loading AutoCAD type library.\r\nCheck if AutoCAD 2017 is installed in your "
     "computer."),
    ("type_library_failure", 0x80029C4A, "Error loading type library", "AutoCAD",
     "Error loading AutoCAD type library.\r\nCheck if AutoCAD 2017 is installed in your "
     "computer."),
]


def script_text(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def active_document_failure_test(number, description, source, message):
    def test(self):
        self.install_server(f"fail member ActiveDocument 0x{number:08X} "
                            f"{script_text(description)} {script_text(source)}\n")
        result = self.launch()
        self.assertOneBox(result, message, STOP_ICON, EXIT_NO_CONNECTION)
        journal = [call.brief() for call in self.server.journal()]
        self.assertEqual(journal, [
            ("Application", "Visible", "Put", ("BOOL:true",), "ok"),
            ("Application", "ActiveDocument", "Get", (), f"0x{number:08X}"),
        ], self.journal_text())
        # AutoCAD stays started and visible.
        self.assertIn("visible true", self.server.state_lines())

    test.__doc__ = f"ActiveDocument fails with 0x{number:08X}: the connection message, exit 3."
    return test


class LaunchCases(HostCase):
    def menu_path(self):
        return self.prefix.windows_path(self.default_folder() / self.menu_file_name())

    def test_created_by_com_and_set_up(self):
        """Nothing running: COM starts the server, and the whole launch sets it up."""
        self.install_server()
        result = self.launch()
        self.assertDone(result)
        self.assertEqual([call.brief() for call in self.server.journal()],
                         full_launch(self.menu_path()), self.journal_text())
        self.assertEqual(self.server.state_lines(), SET_UP_STATE)
        processes = self.server.processes()
        self.assertEqual(list(processes.values()), ["embedding"], self.server.events())
        self.assertEqual([e.what for e in self.server.events()].count("create"), 1)

    def test_attached_to_the_running_instance(self):
        """An AutoCAD already running: the launcher attaches to it, creates none."""
        self.install_server()
        pid = self.server.start_running()
        result = self.launch()
        self.assertDone(result)
        self.assertEqual([call.brief() for call in self.server.journal()],
                         full_launch(self.menu_path()), self.journal_text())
        self.assertEqual(self.server.state_lines(), SET_UP_STATE)
        # Every call went to the process the test started; COM started no other and was
        # not asked for a new application.
        self.assertEqual(self.server.processes(), {pid: "running"}, self.server.events())
        self.assertNotIn("create", [e.what for e in self.server.events()])
        self.server.stop_running()

    def test_progid_not_registered(self):
        """No AutoCAD.Application.21 at all: the opening message with the system's failure."""
        self.install_server(register=False)
        description = self.server.system_message(CO_E_CLASSSTRING)
        result = self.launch()
        self.assertOneBox(result, opening_message(signed(CO_E_CLASSSTRING), description,
                                                  ERROR_SOURCE),
                          STOP_ICON, EXIT_NO_CONNECTION)
        self.assertEqual(self.server.processes(), {})

    def test_other_release_is_refused(self):
        """AutoCAD 2015: the release message; nothing is set up, AutoCAD stays visible."""
        self.install_server('variable ACADVER text "20.0s (LMS Tech)"\n')
        result = self.launch()
        self.assertOneBox(
            result,
            "You can not run Morlavent CAD for AutoCAD 2015 with AutoCAD 2017\r\n"
            "Must download and install Morlavent CAD for AutoCAD 2017\r\n"
            "Morlavent Menu was not added.",
            WARNING_ICON, EXIT_WRONG_RELEASE)
        self.assertEqual([call.brief() for call in self.server.journal()], [
            ("Application", "Visible", "Put", ("BOOL:true",), "ok"),
            ("Application", "ActiveDocument", "Get", (), "ok"),
            ("Document", "GetVariable", "Get", (bstr("ACADVER"),), "ok"),
        ], self.journal_text())
        variables = state_variables(self.server.state())
        self.assertEqual((variables["TRUSTEDPATHS"], variables["MENUBAR"]), ('BSTR:""', "I2:0"))
        self.assertIn("visible true", self.server.state_lines())

    def test_matching_release_already_set_up(self):
        """Folder already trusted and menu bar on: neither variable is written."""
        trusted = "D:\\Tools;C:\\Morlavent\\2017;E:\\Más"
        self.install_server('variable ACADVER text "21.0s (LMS Tech)"\n'
                            f"variable TRUSTEDPATHS text {script_text(trusted)}\n"
                            "variable MENUBAR i2 1\n")
        result = self.launch()
        self.assertDone(result)
        journal = self.server.journal()
        self.assertEqual([c for c in journal if c.member == "SetVariable"], [],
                         self.journal_text())
        self.assertEqual([c.args for c in journal if c.member == "GetVariable"],
                         [(bstr("ACADVER"),), (bstr("TRUSTEDPATHS"),), (bstr("MENUBAR"),)])
        self.assertTrue(all(call.ok for call in journal), self.journal_text())
        variables = state_variables(self.server.state())
        self.assertEqual((variables["TRUSTEDPATHS"], variables["MENUBAR"]),
                         (bstr(trusted), "I2:1"))
        self.assertIn('menubar "MORLAVENT" "Morlavent"', self.server.state_lines())

    def test_second_launch_against_the_same_instance(self):
        """A second launch leaves the trusted folders alone and inserts the menu again."""
        self.install_server()
        self.server.start_running()
        self.assertDone(self.launch())
        first = len(self.server.journal())
        self.assertDone(self.launch())
        journal = self.server.journal()
        second = journal[first:]
        self.assertEqual([c.brief() for c in second if c.member == "SetVariable"], [],
                         self.journal_text())
        self.assertEqual([c.brief() for c in journal if c.member == "InsertMenuInMenuBar"],
                         [("PopupMenus", "InsertMenuInMenuBar", "Call",
                           (bstr("Morlavent"), bstr("")), "ok")] * 2, self.journal_text())
        # The group is loaded already: the second Load fails, as AutoCAD's does.
        self.assertEqual([c.outcome for c in journal if c.member == "Load"],
                         ["ok", "0x80020009"], self.journal_text())
        self.assertEqual(self.server.state_lines(), SET_UP_STATE)
        self.assertEqual(len(self.server.processes()), 1, self.server.events())
        self.server.stop_running()

    def test_menu_file_missing_with_the_group_loaded(self):
        """No menu file beside the launcher: Load fails, the loaded group is set up all the same."""
        self.install_server(LOADED_GROUP)
        result = self.launch(menu=False)
        self.assertDone(result)
        journal = self.server.journal()
        loads = [c for c in journal if c.member == "Load"]
        self.assertEqual([(c.args, c.outcome) for c in loads],
                         [((bstr(self.menu_path()),), "0x80020009")], self.journal_text())
        self.assertEqual([c.outcome for c in journal if c.member == "InsertMenuInMenuBar"],
                         ["ok"], self.journal_text())
        self.assertEqual(self.server.state_lines(), SET_UP_STATE)


def with_failure_cases(cls):
    for name, number, description, source, message in ACTIVE_DOCUMENT_FAILURES:
        setattr(cls, f"test_active_document_fails_{name}",
                active_document_failure_test(number, description, source, message))
    return cls


@with_failure_cases
class LaunchOn64BitWindows(LaunchCases, Win64Windows):
    pass


class LaunchOn32BitWindows(HostCase, Win32Windows):
    """The 32-bit edition in a 32-bit prefix: the whole launch, created and attached."""

    test_created_by_com_and_set_up = LaunchCases.test_created_by_com_and_set_up
    test_attached_to_the_running_instance = LaunchCases.test_attached_to_the_running_instance
    menu_path = LaunchCases.menu_path


if __name__ == "__main__":
    unittest.main()
