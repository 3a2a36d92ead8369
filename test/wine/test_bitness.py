"""Each edition on each kind of Windows: the one that does not fit stops with its message,
the one that fits goes on towards AutoCAD (none is registered in these prefixes)."""

import unittest

from winecase import Win32Windows, Win64Windows

TITLE = "Morlavent Message"
STOP_ICON = 16          # MB_ICONERROR with the OK button alone
OK_BUTTON = ((1, "OK"),)

EXIT_BITNESS_STOP = 2
# With no AutoCAD registered the launch either runs to its end (0: no connection step yet)
# or stops at the connection (3). A release mismatch (4) needs a host, so it cannot occur.
EXITS_GOING_ON = {0: "ran to its end", 3: "connection failure"}

# The edition that does not fit each kind of Windows, and the prompt it must show.
STOPS = {
    "win32": ("64", "Please, run Morlavent CAD 2017 32 Bits"),
    "win64": ("32", "Please, run Morlavent CAD 2017 64 Bits"),
}
GOES_ON = {"win64": "64", "win32": "32"}

# Every way of closing the message: the launcher must treat them alike.
PRESSES = ("ok", "escape", "close")


def stops_test(edition, prompt, press):
    def test(self):
        result = self.run_launcher(edition, press=press)
        self.assertEndedByItself(result)
        self.assertEqual([(box.caption, box.text, box.style, box.buttons)
                          for box in result.boxes],
                         [(TITLE, prompt, STOP_ICON, OK_BUTTON)], result.describe())
        self.assertEqual(result.exit_code, EXIT_BITNESS_STOP, result.describe())

    test.__doc__ = f"menu-launcher-{edition}: one stop box asking for the other edition " \
                   f"({press} closes it), then the end."
    return test


def goes_on_test(edition):
    def test(self):
        result = self.run_launcher(edition)
        self.assertEndedByItself(result)
        self.assertNotIn(TITLE, result.captions(),
                         "the bitness message appeared:\n" + result.describe())
        self.assertNotEqual(result.exit_code, EXIT_BITNESS_STOP, result.describe())
        self.assertIn(result.exit_code, EXITS_GOING_ON, result.describe())

    test.__doc__ = f"menu-launcher-{edition}: no bitness message; the launch goes on."
    return test


def with_cases(cls):
    edition, prompt = STOPS[cls.kind]
    for press in PRESSES:
        setattr(cls, f"test_edition_{edition}_stops_{press}", stops_test(edition, prompt, press))
    setattr(cls, f"test_edition_{GOES_ON[cls.kind]}_goes_on", goes_on_test(GOES_ON[cls.kind]))
    return cls


@with_cases
class LauncherOn64BitWindows(Win64Windows):
    pass


@with_cases
class LauncherOn32BitWindows(Win32Windows):
    pass


if __name__ == "__main__":
    unittest.main()
