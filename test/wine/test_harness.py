"""The harness itself under Wine, with wine-fixture.exe standing in for the launcher: the
prefixes are what they claim, boxes come back exactly (text, caption, style), every way of
closing a box works, time-outs are reported, programs land where asked, registrations
reach a 32-bit program, and a clone never changes its template."""

import subprocess
import unittest

from watched import TERMINATED_STATUS
from winecase import Win32Windows, Win64Windows
from winehost import Template, wait_until

OK_BUTTON = ((1, "OK"),)
IDOK, IDCANCEL = 1, 2
FIXTURE_UNKNOWN_COMMAND = 121


def escaped(text):
    """Text in the fixture's escapes, which survive any command line."""
    out = []
    for ch in text:
        if ch == "\\":
            out.append("\\\\")
        elif " " <= ch < "\x7f":
            out.append(ch)
        else:
            data = ch.encode("utf-16-le", errors="surrogatepass")
            out.extend(f"\\u{int.from_bytes(data[i:i + 2], 'little'):04x}"
                       for i in range(0, len(data), 2))
    return "".join(out)


def fixture_args(*items):
    return subprocess.list2cmdline([escaped(str(item)) for item in items])


LONG_TEXT = "\r\n".join(f"Line {n}: " + "x" * 70 for n in range(8))  # beyond what the trace logs

# (name, caption, text, style): what a box shows must come back exactly.
TEXTS = [
    ("plain", "Morlavent Message", "Please, run Morlavent CAD 2017 32 Bits", 16),
    ("crlf_quotes_backslash", "T\"it\\le", "one\r\ntwo\r\n\r\n\"three\" C:\\dir\\", 48),
    ("non_ascii", "Mensaje ñandú", "Año €5 \u4e2d\u6587 \U0001F600 ¿sí?", 64),
    ("long", "Long", LONG_TEXT, 16),
    ("empty_text", "Empty", "", 0),
]

# (fixture command, style the harness reports): the style comes from the relay trace.
FUNCTIONS = [("box", 16), ("boxex", 48), ("boxindirect", None)]

# (press, what the message box function returned under Wine)
PRESSES = [("ok", IDOK), ("escape", IDCANCEL), ("close", IDCANCEL)]


class FixtureRunning:
    def fixture(self, folder=None):
        folder = folder or self.prefix.drive_c / "Fixture"
        return self.prefix.install(self.built(self.config.tools, "wine-fixture.exe"), folder)

    def run_fixture(self, *items, press="ok", timeout=30.0, folder=None, cwd=None):
        result = self.watcher.run(self.fixture(folder), args=fixture_args(*items), press=press,
                                  timeout=timeout, cwd=cwd)
        if result.exit_code == FIXTURE_UNKNOWN_COMMAND:
            self.fail(f"wine-fixture.exe does not know one of {items}: rebuild the mingw preset")
        return result


class BothKinds(FixtureRunning):
    """Cases run in each kind of prefix; subclasses set `kind` and `wow64_flag`."""

    def test_prefix_kind_is_what_it_claims(self):
        result = self.run_fixture("exit-wow64")
        self.assertFalse(result.timed_out)
        self.assertEqual(result.exit_code, self.wow64_flag, "IsWow64Process flag")

    def test_box_comes_back_with_its_style(self):
        result = self.run_fixture("box", 48, "Ca\u00f1\u00f3n", "a\r\nb", "exit", 7)
        self.assertEqual([(b.caption, b.text, b.style) for b in result.boxes],
                         [("Ca\u00f1\u00f3n", "a\r\nb", 48)], result.describe())
        self.assertEqual(result.exit_code, 7)

    def test_local_server_registration_reaches_a_32_bit_program(self):
        clsid = "{8B5D1C2E-0F3A-4C7B-9E61-2A4D6F8B0C13}"
        server = self.prefix.drive_c / "Test Server" / "server.exe"
        server_path = self.prefix.windows_path(server)
        self.prefix.register_local_server("Harness.Check.1", clsid, server_path)
        result = self.run_fixture("progid", "Harness.Check.1", "progid", "Harness.Missing.1")
        self.assertEqual([b.text for b in result.boxes],
                         [f'clsid={clsid}\r\nserver="{server_path}"', "hr=800401f3"],
                         result.describe())


class HarnessOn64BitWindows(BothKinds, Win64Windows):
    wow64_flag = 1


class HarnessOn32BitWindows(BothKinds, Win32Windows):
    wow64_flag = 0

    def test_texts_come_back_exactly(self):
        for name, caption, text, style in TEXTS:
            with self.subTest(name):
                result = self.run_fixture("box", style, caption, text, "exit", 3)
                self.assertEqual(
                    [(b.caption, b.text, b.style, b.buttons, b.closed) for b in result.boxes],
                    [(caption, text, style, OK_BUTTON, True)], result.describe())
                self.assertEqual((result.exit_code, result.timed_out), (3, False))

    def test_style_from_each_message_box_function(self):
        for command, style in FUNCTIONS:
            with self.subTest(command):
                result = self.run_fixture(command, 48 if command == "boxex" else 16, "c", "t")
                self.assertEqual([b.style for b in result.boxes], [style], result.describe())

    def test_each_way_of_closing_a_box(self):
        for press, returned in PRESSES:
            with self.subTest(press):
                result = self.run_fixture("box", 16, "c", "t", "exit", 2, press=press)
                self.assertEqual([(b.closed, b.returned) for b in result.boxes],
                                 [(True, returned)], result.describe())
                self.assertEqual((result.exit_code, result.timed_out), (2, False))

    def test_boxes_in_the_order_shown(self):
        result = self.run_fixture("box", 16, "first", "one", "boxex", 48, "second", "two",
                                  "box", 0, "third", "three")
        self.assertEqual([(b.caption, b.text, b.style) for b in result.boxes],
                         [("first", "one", 16), ("second", "two", 48), ("third", "three", 0)],
                         result.describe())
        self.assertEqual(result.exit_code, 0)

    def test_box_nobody_presses_ends_at_the_time_out(self):
        result = self.run_fixture("box", 16, "stays", "open", press="none", timeout=2.0)
        self.assertTrue(result.timed_out, result.describe())
        self.assertEqual(result.exit_code, TERMINATED_STATUS)
        self.assertEqual([(b.caption, b.closed) for b in result.boxes], [("stays", False)])

    def test_program_that_never_ends_is_terminated(self):
        result = self.run_fixture("sleep", 120000, timeout=1.5)
        self.assertTrue(result.timed_out, result.describe())
        self.assertEqual((result.exit_code, result.boxes), (TERMINATED_STATUS, []))

    def test_crashing_program_ends_with_its_exception_code(self):
        result = self.run_fixture("crash", timeout=20.0)
        self.assertFalse(result.timed_out, result.describe())
        self.assertEqual(result.exit_code, 0xC0000005)

    def test_program_runs_from_the_chosen_folder_and_directory(self):
        folder = self.prefix.drive_c / "Programas" / "Ñandú € 2017"
        elsewhere = self.prefix.drive_c / "Otro sitio"
        elsewhere.mkdir()
        for cwd, expected_cwd in ((None, folder), (elsewhere, elsewhere)):
            with self.subTest(cwd=str(cwd)):
                result = self.run_fixture("whereami", folder=folder, cwd=cwd)
                module = self.prefix.windows_path(folder / "wine-fixture.exe")
                self.assertEqual(
                    [b.text for b in result.boxes],
                    [f"module={module}\r\ncwd={self.prefix.windows_path(expected_cwd)}"],
                    result.describe())

    def test_started_program_is_awaited_and_ended_at_shutdown(self):
        marker = self.prefix.drive_c / "harness" / "ready"
        process = self.prefix.start([self.prefix.windows_path(self.fixture()),
                                     "touch", escaped(self.prefix.windows_path(marker)),
                                     "sleep", "120000"])
        wait_until(marker.exists, 30, what="the marker file")
        self.assertIsNone(process.poll(), "the program should still be sleeping")
        self.prefix.shutdown()
        self.assertIsNotNone(process.poll(), "shutdown left the program running")

    def test_clone_leaves_its_template_untouched(self):
        self.prefix.apply_reg("Windows Registry Editor Version 5.00\n\n"
                              "[HKEY_CURRENT_USER\\Software\\HarnessCheck]\n\"Clone\"=\"yes\"\n")
        self.prefix.shutdown()  # the registry reaches the files when the server ends
        self.assertIn("HarnessCheck", (self.prefix.path / "user.reg").read_text())
        template = Template(self.config.prefixes, self.kind)
        self.assertNotIn("HarnessCheck", (template.path / "user.reg").read_text())
        self.assertTrue(template.is_intact())


if __name__ == "__main__":
    unittest.main()
