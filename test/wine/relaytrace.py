"""The message box calls in a Wine relay trace (WINEDEBUG=+pid,+relay with RelayInclude
limited to the message box functions). A box's window shows its caption and text but not
its style; the trace shows the style, as the program passed it."""

import re
from dataclasses import dataclass
from typing import List, Optional

# 0100:0104:Call user32.MessageBoxW(00000000,01015c60 L"text",01015c18 L"caption",00000010) ret=004019f8
_CALL = re.compile(r"^(?:(?P<pid>[0-9a-f]+):)?(?P<tid>[0-9a-f]+):Call user32\."
                   r"(?P<function>MessageBox\w*)\((?P<args>.*)\) ret=[0-9a-f]+$")
# 0100:0104:Ret  user32.MessageBoxW() retval=00000001 ret=004019f8
_RET = re.compile(r"^(?:(?P<pid>[0-9a-f]+):)?(?P<tid>[0-9a-f]+):Ret  user32\."
                  r"(?P<function>MessageBox\w*)\(\) retval=(?P<retval>[0-9a-f]+) ret=[0-9a-f]+$")

_HEX = re.compile(r"[0-9a-f]+")
_SIMPLE_ESCAPES = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "\\": "\\"}


@dataclass(frozen=True)
class LoggedText:
    value: str
    complete: bool  # False when Wine cut the logged text short ("..." after the quote)

    def agrees_with(self, shown):
        return shown == self.value if self.complete else shown.startswith(self.value)


@dataclass(frozen=True)
class LoggedArgument:
    number: int                      # the argument as Wine logged it: a value or an address
    text: Optional[LoggedText] = None  # the string it points to, when Wine logged one


@dataclass
class MessageBoxCall:
    pid: Optional[int]
    tid: int
    function: str
    arguments: List[LoggedArgument]
    returned: Optional[int] = None

    # MessageBoxW and MessageBoxExW: (owner, text, caption, style[, language]).
    # MessageBoxIndirectW logs only the address of its parameter block.
    def _argument(self, index):
        if self.function in ("MessageBoxW", "MessageBoxExW") and len(self.arguments) > index:
            return self.arguments[index]
        return None

    @property
    def text(self) -> Optional[LoggedText]:
        argument = self._argument(1)
        return argument.text if argument else None

    @property
    def caption(self) -> Optional[LoggedText]:
        """None when the program passed no caption (or the function does not log it)."""
        argument = self._argument(2)
        return argument.text if argument else None

    @property
    def style(self) -> Optional[int]:
        argument = self._argument(3)
        return argument.number if argument else None


def decode_logged_string(body):
    """The text of a Wine debug string body (between L" and "): \\n \\r \\t \\" \\\\ and
    \\XXXX (one UTF-16 code unit in hex)."""
    units = []
    i = 0
    while i < len(body):
        c = body[i]
        if c != "\\":
            units.append(ord(c))
            i += 1
            continue
        nxt = body[i + 1]
        if nxt in _SIMPLE_ESCAPES:
            units.append(ord(_SIMPLE_ESCAPES[nxt]))
            i += 2
        else:
            units.append(int(body[i + 1:i + 5], 16))
            i += 5
    data = b"".join(u.to_bytes(2, "little") for u in units)
    return data.decode("utf-16-le", errors="surrogatepass")


def parse_arguments(args):
    """Splits Wine's logged argument list: `00000010`, `0040a000 L"..."` (maybe followed by
    `...`), `0040a000 (null)`."""
    parsed = []
    i = 0
    while i < len(args):
        match = _HEX.match(args, i)
        if not match:
            raise ValueError(f"unexpected relay argument at {args[i:]!r}")
        number = int(match.group(), 16)
        i = match.end()
        text = None
        if args.startswith(' L"', i):
            j = i + 3
            while args[j] != '"':
                j += 2 if args[j] == "\\" else 1
            body = args[i + 3:j]
            i = j + 1
            complete = not args.startswith("...", i)
            if not complete:
                i += 3
            text = LoggedText(decode_logged_string(body), complete)
        elif args.startswith(" ", i):
            end = args.find(",", i)
            i = len(args) if end < 0 else end  # (null), (invalid), #0001: no text
        parsed.append(LoggedArgument(number, text))
        if i < len(args):
            if args[i] != ",":
                raise ValueError(f"expected ',' at {args[i:]!r}")
            i += 1
    return parsed


def message_box_calls(lines, pid=None):
    """The message box calls in trace lines, in order, with their return values; only those
    of process `pid` when given (the trace must then carry +pid prefixes)."""
    calls = []
    open_calls = {}
    for raw in lines:
        line = raw.rstrip("\r\n")
        match = _CALL.match(line)
        if match:
            call_pid = int(match["pid"], 16) if match["pid"] else None
            if pid is not None and call_pid != pid:
                continue
            call = MessageBoxCall(call_pid, int(match["tid"], 16), match["function"],
                                  parse_arguments(match["args"]))
            calls.append(call)
            open_calls[(call.pid, call.tid)] = call
            continue
        match = _RET.match(line)
        if match:
            key = (int(match["pid"], 16) if match["pid"] else None, int(match["tid"], 16))
            call = open_calls.pop(key, None)
            if call is not None and call.function == match["function"]:
                value = int(match["retval"], 16)
                call.returned = value - (1 << 32) if value >= 1 << 31 else value
    return calls
