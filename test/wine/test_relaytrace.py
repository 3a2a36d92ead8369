"""Reading message box calls out of relay trace lines as Wine 8 writes them (no Wine
needed): texts with escapes, commas and non-ASCII, cut-short texts, missing captions, the
three functions, other processes' lines and return values."""

import unittest

from relaytrace import message_box_calls

PID = 0x100

NOISE = [
    '0100:0104:trace:relay:load_list L"RelayInclude" = '
    'L"user32.MessageBoxW;user32.MessageBoxExW;user32.MessageBoxIndirectW"',
    "0100:0104:Call window proc 688A1870 (hwnd=0001003C,msg=WM_NCCREATE,wp=00000000,lp=0067ef74)",
    "0100:0104:Ret  window proc 688A1870 (hwnd=0001003C,msg=WM_NCCREATE,wp=00000000,"
    "lp=0067ef74) retval=00000001",
]

# (name, trace lines, expected [(function, text, text complete, caption, style, returned)])
CASES = [
    ("message box with escapes",
     ['0100:0104:Call user32.MessageBoxW(00000000,01015c60 L"Line1\\r\\nL\\00f1 \\"q\\", '
      '\\\\x",01015c18 L"Morlavent Message",00000010) ret=004019f8',
      "0100:0104:Ret  user32.MessageBoxW() retval=00000001 ret=004019f8"],
     [("MessageBoxW", 'Line1\r\nL\u00f1 "q", \\x', True, "Morlavent Message", 16, 1)]),
    ("text Wine cut short",
     ['0100:0104:Call user32.MessageBoxW(00000000,01015c60 L"Error opening"...,'
      '01015c18 L"Title",00000010) ret=004019f8'],
     [("MessageBoxW", "Error opening", False, "Title", 16, None)]),
    ("no caption",
     ['0100:0104:Call user32.MessageBoxW(00000000,01015c60 L"t",00000000,00000030) '
      'ret=004019f8'],
     [("MessageBoxW", "t", True, None, 48, None)]),
    ("surrogate pair",
     ['0100:0104:Call user32.MessageBoxW(00000000,01015c60 L"\\d83d\\de00",'
      '01015c18 L"",00000000) ret=004019f8'],
     [("MessageBoxW", "\U0001F600", True, "", 0, None)]),
    ("extended function with a language",
     ['0100:0104:Call user32.MessageBoxExW(00000000,0067f650 L"t1",0067f638 L"cap",'
      "00000030,00000000) ret=00401a34",
      "0100:0104:Ret  user32.MessageBoxExW() retval=00000002 ret=00401a34"],
     [("MessageBoxExW", "t1", True, "cap", 48, 2)]),
    ("indirect function logs no style",
     ["0100:0104:Call user32.MessageBoxIndirectW(0067f660) ret=00401a73",
      "0100:0104:Ret  user32.MessageBoxIndirectW() retval=ffffffff ret=00401a73"],
     [("MessageBoxIndirectW", None, None, None, None, -1)]),
    ("other processes are left out",
     ['0110:0114:Call user32.MessageBoxW(00000000,01015c60 L"server",00000000,00000010) '
      'ret=004019f8',
      '0100:0104:Call user32.MessageBoxW(00000000,01015c60 L"ours",00000000,00000010) '
      'ret=004019f8',
      "0110:0114:Ret  user32.MessageBoxW() retval=00000001 ret=004019f8"],
     [("MessageBoxW", "ours", True, None, 16, None)]),
]


def summary(call):
    text, caption = call.text, call.caption
    return (call.function, text.value if text else None, text.complete if text else None,
            caption.value if caption else None, call.style, call.returned)


class MessageBoxCallsFromTrace(unittest.TestCase):
    def test_cases(self):
        for name, lines, expected in CASES:
            with self.subTest(name):
                calls = message_box_calls(NOISE + [line + "\n" for line in lines], pid=PID)
                self.assertEqual([summary(call) for call in calls], expected)

    def test_trace_without_process_ids(self):
        calls = message_box_calls(
            ['0024:Call user32.MessageBoxW(00000000,00403000 L"x",00403050 L"y",00000010) '
             "ret=00401583",
             "0024:Ret  user32.MessageBoxW() retval=00000001 ret=00401583"])
        self.assertEqual([summary(call) for call in calls],
                         [("MessageBoxW", "x", True, "y", 16, 1)])

    def test_cut_short_text_agrees_only_with_what_begins_with_it(self):
        call, = message_box_calls(CASES[1][1], pid=PID)
        self.assertTrue(call.text.agrees_with("Error opening AutoCAD. Try again or..."))
        self.assertFalse(call.text.agrees_with("Error"))
        self.assertFalse(call.caption.agrees_with("Title2"))


if __name__ == "__main__":
    unittest.main()
