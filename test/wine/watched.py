"""Runs a Windows program under the watcher (wine-watcher.exe) in a prefix and collects
what the user would have seen: each message box's caption, text and style, and how the
program ended.

The watcher starts the program itself (chosen folder and working directory), presses each
box the way the test asks, waits (bounded) for the program to end and writes JSON lines.
It gives the program alone WINEDEBUG=+pid,+relay, so the relay trace (the watcher's
stderr) holds that program's message box calls with their styles.
"""

import itertools
import json
import shutil
from dataclasses import dataclass, field
from pathlib import Path
from typing import List, Optional, Tuple

from relaytrace import message_box_calls
from winehost import WineError

PRESS_MODES = ("ok", "escape", "close", "none")

# What the program's environment gets on top of the watcher's: its own relay trace.
PROGRAM_WINEDEBUG = "-all,+pid,+relay"

# Exit status the watcher gives a program it had to terminate at its time-out.
TERMINATED_STATUS = 0xDEAD
# Wine's own start-up and shut-down around the watcher's time-out.
WATCHER_MARGIN = 30.0

_WATCHER_ENDED, _WATCHER_TIMED_OUT = 0, 10


@dataclass(frozen=True)
class Box:
    caption: str                 # the title the box showed
    text: str                    # the message, exactly as the box held it
    style: Optional[int]         # the style the program passed; None if the trace lacks it
    function: str                # MessageBoxW, MessageBoxExW, MessageBoxIndirectW
    buttons: Tuple[Tuple[int, str], ...]  # (control id, label) of each button
    closed: bool                 # the box went away after the watcher pressed it
    returned: Optional[int]      # what the message box function returned


@dataclass
class LaunchResult:
    exit_code: Optional[int]     # None if the program never started
    timed_out: bool              # still running at the time-out: terminated by the watcher
    boxes: List[Box]
    pid: Optional[int]
    elapsed_ms: Optional[int]
    records: List[dict] = field(repr=False)
    trace_path: Optional[Path] = field(repr=False, default=None)

    def captions(self):
        return [box.caption for box in self.boxes]

    def describe(self):
        lines = [f"exit={self.exit_code} timed_out={self.timed_out} pid={self.pid} "
                 f"elapsed_ms={self.elapsed_ms} boxes={len(self.boxes)}"]
        for index, box in enumerate(self.boxes):
            style = "?" if box.style is None else str(box.style)
            lines.append(f"  box {index}: caption={box.caption!r} style={style} "
                         f"buttons={list(box.buttons)} closed={box.closed} "
                         f"returned={box.returned} text={box.text!r}")
        return "\n".join(lines)


def _job_value(value):
    value = str(value)
    if "\n" in value or "\r" in value:
        raise ValueError(f"a watcher job value cannot span lines: {value!r}")
    return value


def _read_records(path):
    if not path.exists():
        return []
    records = []
    for line in path.read_text(encoding="utf-8").splitlines():
        if line.strip():
            records.append(json.loads(line))
    return records


class Watcher:
    """Runs programs under the watcher in one prefix; each run gets its own folder under
    C:\\harness with the job, the records and the relay trace."""

    def __init__(self, prefix, watcher_exe):
        watcher_exe = Path(watcher_exe)
        if not watcher_exe.is_file():
            raise WineError(f"the watcher is missing: {watcher_exe} (build preset mingw)")
        self.prefix = prefix
        self.folder = prefix.drive_c / "harness"
        self.folder.mkdir(exist_ok=True)
        self.exe = self.folder / watcher_exe.name
        shutil.copy2(watcher_exe, self.exe)
        self._runs = itertools.count()

    def run(self, program, args="", cwd=None, press="ok", timeout=20.0):
        """Starts `program` (a Unix path inside or outside the prefix) with the command line
        tail `args`, in `cwd` (default: its own folder), presses every box with `press`, and
        returns a LaunchResult once it has ended or `timeout` seconds have passed."""
        if press not in PRESS_MODES:
            raise ValueError(f"press must be one of {PRESS_MODES}")
        program = Path(program)
        run_dir = self.folder / f"run-{next(self._runs)}"
        run_dir.mkdir()
        records_path = run_dir / "records.jsonl"
        trace_path = run_dir / "trace.txt"
        job = [
            f"exe={_job_value(self.prefix.windows_path(program))}",
            f"cwd={_job_value(self.prefix.windows_path(cwd or program.parent))}",
            f"out={_job_value(self.prefix.windows_path(records_path))}",
            f"timeout_ms={int(timeout * 1000)}",
            f"press={press}",
            f"env=WINEDEBUG={PROGRAM_WINEDEBUG}",
        ]
        if args:
            job.append(f"args={_job_value(args)}")
        job_path = run_dir / "job.txt"
        job_path.write_text("\n".join(job) + "\n", encoding="utf-8")

        done = self.prefix.run([self.prefix.windows_path(self.exe),
                                self.prefix.windows_path(job_path)],
                               timeout=timeout + WATCHER_MARGIN, stderr_path=trace_path)
        records = _read_records(records_path)
        if done.returncode not in (_WATCHER_ENDED, _WATCHER_TIMED_OUT):
            raise WineError(f"the watcher failed with status {done.returncode}: {records}")
        return self._result(records, trace_path)

    @staticmethod
    def _result(records, trace_path):
        start = next((r for r in records if r["event"] == "start"), None)
        end = next((r for r in records if r["event"] == "end"), None)
        if start is None or end is None:
            raise WineError(f"the watcher left incomplete records: {records}")
        pid = start["pid"]
        seen = [r for r in records if r["event"] == "box"]
        with open(trace_path, encoding="utf-8", errors="replace") as trace:
            calls = message_box_calls(trace, pid=pid)
        if len(calls) != len(seen) and not end["timed_out"]:
            raise WineError(
                f"the program called the message box functions {len(calls)} times but "
                f"{len(seen)} boxes appeared (a box that never showed, or no relay trace: "
                f"is RelayInclude set in the prefix?); trace: {trace_path}")
        boxes = []
        for index, record in enumerate(seen):
            call = calls[index] if index < len(calls) else None
            if call is not None:
                for logged, shown, what in ((call.text, record["text"], "text"),
                                            (call.caption, record["caption"], "caption")):
                    if logged is not None and not logged.agrees_with(shown):
                        raise WineError(f"box {index}: the trace logs the {what} "
                                        f"{logged.value!r} but the box showed {shown!r}")
            boxes.append(Box(
                caption=record["caption"],
                text=record["text"],
                style=call.style if call else None,
                function=call.function if call else "?",
                buttons=tuple((b["id"], b["text"]) for b in record["buttons"]),
                closed=record["closed"],
                returned=call.returned if call else None,
            ))
        return LaunchResult(exit_code=end["exit"], timed_out=end["timed_out"], boxes=boxes,
                            pid=pid, elapsed_ms=end["ms"], records=records,
                            trace_path=trace_path)
