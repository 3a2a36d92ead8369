"""A host that is busy or that dies under the launcher: the launch waits out a busy host,
gives up on one that stays busy after its minute of patience, and ends soon (within the
watcher's time-out) when the host's process ends in the middle of it."""

import unittest

from hostserver import (EXIT_NO_CONNECTION, STOP_ICON, HostCase, bstr, opening_message, signed,
                        state_variables)
from winecase import Win64Windows

RPC_E_CALL_REJECTED = 0x80010001
ERROR_SOURCE = "Morlavent CAD"

# The launcher tries a rejected call again for a minute; then come the message and the end.
BUSY_FOREVER_TIMEOUT = 150.0

# (name, server directive, calls answered before the end, whether the connection fails)
# Calls: 1 Visible, 2 ActiveDocument, 3 GetVariable ACADVER, ..., 8 MenuGroups.Load.
DEATHS = [
    ("after_visible", "server die after 1", 1, True),
    ("during_active_document", "server die during 2", 1, True),
    ("after_release_check", "server die after 3", 3, False),
    ("after_menu_load", "server die after 8", 8, False),
]


def death_test(directive, answered, connection_fails):
    def test(self):
        self.install_server(directive + "\n")
        result = self.launch()
        self.assertEndedByItself(result)
        if connection_fails:
            self.assertEqual(len(result.boxes), 1, result.describe())
            lines = result.boxes[0].text.split("\r\n")
            # The number is whatever Wine's COM reports for a server that went away.
            self.assertEqual(len(lines), 7, result.describe())
            self.assertRegex(lines[5], r"^-\d+$", result.describe())
            number = int(lines[5])
            self.assertOneBox(result, opening_message(
                number, self.server.system_message(number), ERROR_SOURCE),
                STOP_ICON, EXIT_NO_CONNECTION)
        else:
            self.assertDone(result)
        journal = self.server.journal()
        self.assertEqual([call.number for call in journal], list(range(1, answered + 1)),
                         self.journal_text())
        self.assertTrue(all(call.ok for call in journal), self.journal_text())
        self.assertIn("die", [event.what for event in self.server.events()])

    test.__doc__ = (f"{directive}: " + ("the connection message, exit 3." if connection_fails
                                        else "the launch runs to its end, no message."))
    return test


def with_deaths(cls):
    for name, directive, answered, connection_fails in DEATHS:
        setattr(cls, f"test_host_dies_{name}", death_test(directive, answered, connection_fails))
    return cls


@with_deaths
class RobustnessOn64BitWindows(HostCase, Win64Windows):
    def busy_turned_away(self):
        return sum(1 for fields in self.server.calls() if fields[0] == "busy")

    def test_host_busy_for_three_seconds(self):
        """The host rejects every call for 3 s: the launch waits and then runs to its end."""
        self.install_server("reject for 3000 ms\n")
        result = self.launch()
        self.assertDone(result)
        self.assertGreater(self.busy_turned_away(), 0, "the host never turned a call away")
        journal = self.server.journal()
        self.assertEqual([(c.member, c.args) for c in journal[:2]],
                         [("Visible", ("BOOL:true",)), ("ActiveDocument", ())],
                         self.journal_text())
        self.assertTrue(all(call.ok for call in journal), self.journal_text())
        variables = state_variables(self.server.state())
        self.assertEqual((variables["TRUSTEDPATHS"], variables["MENUBAR"]),
                         (bstr("C:\\Morlavent\\2017;"), "I2:1"))
        self.assertIn('menubar "MORLAVENT" "Morlavent"', self.server.state_lines())

    def test_host_busy_forever(self):
        """The host rejects every call: after a minute the connection message, exit 3."""
        self.install_server("reject forever\n")
        result = self.launch(timeout=BUSY_FOREVER_TIMEOUT)
        self.assertOneBox(result, opening_message(
            signed(RPC_E_CALL_REJECTED), self.server.system_message(RPC_E_CALL_REJECTED),
            ERROR_SOURCE), STOP_ICON, EXIT_NO_CONNECTION)
        # Nothing ran: the host stayed as it started.
        self.assertEqual([call for call in self.server.journal() if call.number is not None],
                         [], self.journal_text())
        self.assertIn("visible false", self.server.state_lines())
        self.assertGreater(self.busy_turned_away(), 1, "the host never turned a call away")


if __name__ == "__main__":
    unittest.main()
