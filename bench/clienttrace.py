"""A client's way to the host, read from Wine's relay trace of a few COM entry points
(WINEDEBUG=+timestamp,+pid,+relay with RelayInclude set to RELAY_FUNCTIONS).

Counts: look-ups in the running object table (GetActiveObject) and creates that may start
a server (CoCreateInstance(Ex) or CoGetClassObject with CLSCTX_LOCAL_SERVER).
Phases, for the launcher: COM set-up, connection, the host calls, COM end; the rest of
the wall time is Wine starting and ending the process.
"""

import re
from dataclasses import dataclass, field
from typing import Dict

RELAY_FUNCTIONS = (
    "oleaut32.GetActiveObject",
    "ole32.CoCreateInstance", "ole32.CoCreateInstanceEx", "ole32.CoGetClassObject",
    "combase.CoCreateInstance", "combase.CoCreateInstanceEx", "combase.CoGetClassObject",
    "ole32.CoInitializeEx", "combase.CoInitializeEx",
    "ole32.CoUninitialize", "combase.CoUninitialize",
    "kernel32.ExitProcess",
)
CLSCTX_LOCAL_SERVER = 0x4

# "1234.567:0170:0174:Call combase.CoInitializeEx(00000000,00000002) ret=00429ec4"
# "1234.578:0170:0174:Ret  combase.CoInitializeEx() retval=00000000 ret=00429ec4"
_LINE = re.compile(r"^(?:(\d+\.\d+):)?([0-9a-f]+):[0-9a-f]+:(Call|Ret) +(\w+)\.(\w+)\(([^)]*)\)",
                   re.MULTILINE)
# Where the context flags stand among each function's arguments.
_CONTEXT_ARGUMENT = {"CoCreateInstance": 2, "CoCreateInstanceEx": 2, "CoGetClassObject": 1}
_CONNECT = ("GetActiveObject",) + tuple(_CONTEXT_ARGUMENT)

PHASES = ("COM set-up", "connect", "host calls", "COM end")


@dataclass
class ClientTrace:
    attaches: int = 0
    creates: int = 0
    phases: Dict[str, float] = field(default_factory=dict)   # seconds, for the first process


def _allows_local_server(function, arguments):
    try:
        return int(arguments.split(",")[_CONTEXT_ARGUMENT[function]], 16) & CLSCTX_LOCAL_SERVER
    except (IndexError, ValueError):
        return False


def read(trace_text):
    found = ClientTrace()
    marks = {}
    first_pid = None
    for match in _LINE.finditer(trace_text):
        stamp, pid, kind, function = match.group(1), match.group(2), match.group(3), \
            match.group(5)
        if kind == "Call":
            if function == "GetActiveObject":
                found.attaches += 1
            elif function in _CONTEXT_ARGUMENT and _allows_local_server(function,
                                                                         match.group(6)):
                found.creates += 1
        if stamp is None:
            continue
        first_pid = first_pid or pid
        if pid != first_pid:
            continue
        when = float(stamp)
        if function == "CoInitializeEx":
            marks.setdefault(f"init {kind}", when)
        elif function in _CONNECT:
            marks.setdefault("connect Call", when)
            if kind == "Ret":
                marks["connect Ret"] = when
        elif function == "CoUninitialize":
            marks.setdefault(f"end {kind}", when)
        elif function == "ExitProcess":
            marks.setdefault("exit", when)
    order = ("init Call", "init Ret", "connect Call", "connect Ret", "end Call", "exit")
    if all(key in marks for key in order):
        found.phases = {
            "COM set-up": marks["init Ret"] - marks["init Call"],
            "connect": marks["connect Ret"] - marks["connect Call"],
            "host calls": marks["end Call"] - marks["connect Ret"],
            "COM end": marks["exit"] - marks["end Call"],
        }
    return found
