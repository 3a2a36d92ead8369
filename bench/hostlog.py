"""What the test automation server wrote during one timed run.

The server appends to its call log, journal and event file for as long as its folder
lives, across every server process started there; a run's share is what was appended
after a mark taken just before it. The state file is rewritten whole, so it is read whole.
"""

import threading
import time
from collections import Counter
from dataclasses import dataclass, field
from typing import Dict, List, Tuple

APPENDED = ("calls", "journal", "events")


@dataclass
class Mark:
    offsets: Dict[str, int]


@dataclass
class HostLog:
    """A run's share of the server's files."""
    names: List[Tuple[str, str]] = field(default_factory=list)   # (object type, member)
    invokes: List[Tuple[str, str]] = field(default_factory=list)
    busy: int = 0                     # calls the host turned away (none expected here)
    journal_lines: int = 0            # calls the host ran
    events: List[Tuple[int, str, str]] = field(default_factory=list)  # (pid, what, detail)
    state: str = ""

    @property
    def creates(self):
        """Application objects that COM asked the server's class object for."""
        return sum(1 for _, what, _ in self.events if what == "create")

    @property
    def started(self):
        """Windows process ids of the server processes that started."""
        return [pid for pid, what, _ in self.events if what == "start"]

    def ended(self, pid):
        return any(p == pid and what == "exit" for p, what, _ in self.events)

    def repeated_names(self):
        """(object type, member) pairs looked up more than once, with their counts."""
        return {key: n for key, n in Counter(self.names).items() if n > 1}

    def invokes_of(self, object_type, member):
        return sum(1 for key in self.invokes if key == (object_type, member))


def _size(path):
    try:
        return path.stat().st_size
    except FileNotFoundError:
        return 0


def mark(server):
    return Mark({name: _size(server.path(name)) for name in APPENDED})


def _tail(path, offset):
    try:
        with open(path, "rb") as handle:
            handle.seek(offset)
            data = handle.read()
    except FileNotFoundError:
        return ""
    # A record is appended whole; a torn last line would be a record still being written.
    end = data.rfind(b"\n")
    return data[:end + 1].decode("utf-8", errors="replace") if end >= 0 else ""


def since(server, start):
    """The server's records appended after `start` (a Mark), and its state now."""
    log = HostLog()
    for line in _tail(server.path("calls"), start.offsets["calls"]).splitlines():
        fields = line.split("\t")
        if fields[0] == "names" and len(fields) >= 3:
            log.names.append((fields[1], fields[2]))
        elif fields[0] == "invoke" and len(fields) >= 3:
            log.invokes.append((fields[1], fields[2]))
        elif fields[0] == "busy":
            log.busy += 1
    journal = _tail(server.path("journal"), start.offsets["journal"])
    log.journal_lines = sum(1 for line in journal.splitlines() if line)
    for line in _tail(server.path("events"), start.offsets["events"]).splitlines():
        fields = line.split("\t")
        if len(fields) >= 2 and fields[0].isdigit():
            log.events.append((int(fields[0]), fields[1], "\t".join(fields[2:])))
    try:
        log.state = server.path("state").read_text(encoding="utf-8")
    except FileNotFoundError:
        log.state = ""
    return log


class Progress:
    """Follows a long run from outside: every `interval` seconds, how many calls of one
    member have reached the server so far. `samples` holds (seconds since start, count)."""

    def __init__(self, server, start, object_type, member, interval=0.25):
        self._path = server.path("calls")
        self._offset = start.offsets["calls"]
        self._needle = f"invoke\t{object_type}\t{member}\t".encode()
        self._interval = interval
        self._count = 0
        self._partial = b""
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._follow, daemon=True)
        self.samples = []

    def _read(self):
        try:
            with open(self._path, "rb") as handle:
                handle.seek(self._offset)
                data = handle.read()
        except FileNotFoundError:
            return
        self._offset += len(data)
        data = self._partial + data
        end = data.rfind(b"\n") + 1
        self._count += data[:end].count(self._needle)
        self._partial = data[end:]

    def _follow(self):
        while not self._stop.wait(self._interval):
            self._read()
            self.samples.append((time.perf_counter() - self._started, self._count))

    def __enter__(self):
        self._started = time.perf_counter()
        self._thread.start()
        return self

    def __exit__(self, *exc):
        self._stop.set()
        self._thread.join(timeout=10)
        self._read()
        self.samples.append((time.perf_counter() - self._started, self._count))
        return False


def when_reached(samples, count):
    """The time at which `count` calls had arrived, interpolated between samples."""
    previous = (0.0, 0)
    for when, done in samples:
        if done >= count:
            (t0, c0), (t1, c1) = previous, (when, done)
            return t0 + (t1 - t0) * (count - c0) / (c1 - c0) if c1 > c0 else t1
        previous = (when, done)
    return None
