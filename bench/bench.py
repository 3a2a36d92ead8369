#!/usr/bin/env python3
"""The menu-launcher benchmark: wall time of whole launches under Wine against the test
automation server, the cross-process calls of a launch, the worst case of 32,768 menu
groups and the size of the deliverables. See bench/README.md; bench/run.sh is the entry.
"""

import argparse
import collections
import datetime
import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "test" / "wine"))
sys.path.insert(0, str(REPO / "bench"))

import clienttrace  # noqa: E402
import hostlog  # noqa: E402
import report  # noqa: E402
from benchprefix import BenchPrefix  # noqa: E402
from report import Section, timing, verdict  # noqa: E402
from winehost import WineError, install_signal_handlers, wine_version  # noqa: E402

EDITIONS = {"64": "win64", "32": "win32"}
EDITION_ORDER = ("32", "64")          # the worst case runs last, in the win64 prefix
PROGRAMS = ("launcher", "script")
WAYS = ("attached", "created")

# The standard launch's host calls by the access pattern: 2 to connect, 1 release check,
# 2 trusted folders, 3 load, 3 group loop header, 4 per group tested (ACAD, then
# MORLAVENT), 5 menu insertion, 5 toolbar loop header, 6 toolbar test, 6 toolbar display,
# 2 menu bar.
STANDARD_INVOKES = 43


def no_match_invokes(groups):
    """A launch that finds no group: everything but the group tests (13 calls), then 4
    for each group."""
    return 13 + 4 * groups


MAX_BYTES = 512 * 1024
# DLLs that every Windows has in its system folder.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "ole32.dll",
               "oleaut32.dll", "shell32.dll", "shlwapi.dll", "comctl32.dll", "comdlg32.dll",
               "msvcrt.dll", "ntdll.dll", "rpcrt4.dll", "version.dll", "ws2_32.dll"}

MENU_ON_BAR = 'menubar "MORLAVENT" "Morlavent"'
TOOLBAR_SHOWN = 'toolbar "Morlavent" shown'

# Worst case: how long a group takes before anything is measured, and the margin on an
# estimate, for the time budget.
FIRST_GUESS_PER_GROUP = 0.012
ESTIMATE_MARGIN = 1.15
# The call that marks a group examined, followed during a worst-case run.
GROUP_TEST = ("MenuGroup", "Name")


def say(text):
    print(text, flush=True)


def standard_ok(run):
    return (run.exit_code == 0 and not run.lingered and MENU_ON_BAR in run.log.state
            and TOOLBAR_SHOWN in run.log.state)


def no_match_ok(run, groups):
    return (run.exit_code == 0 and not run.lingered and MENU_ON_BAR not in run.log.state
            and run.log.invokes_of(*GROUP_TEST) == groups)


# -- measuring -------------------------------------------------------------------------------

def measure_edition(bench, repeats):
    result = {"edition": bench.edition, "kind": bench.kind, "floor": [],
              "runs": {(p, w): [] for p in PROGRAMS for w in WAYS}, "client": {}}
    result["cscript"] = bench.script_host_works()
    say(f"  Wine's cscript runs a script: {result['cscript']}")
    result["getobject"] = bench.script_attach()
    say(f"  GetObject(, ProgID) in a script attaches: {result['getobject']}")
    # Untimed: the first starts after the set-up pay for caches; these also tell how each
    # client reached the host (relay trace of the COM entry points).
    for _ in range(2):
        bench.floor()
    for program in PROGRAMS:
        for way in WAYS:
            trace, wall, status = bench.client_calls(program, running=(way == "attached"))
            result["client"][(program, way)] = (trace, wall)
            say(f"  traced {program}, {way}: status {status}, {wall * 1000:.0f} ms, "
                f"{trace.attaches} ROT look-ups, {trace.creates} creates")
    for n in range(repeats):
        result["floor"].append(bench.floor())
        for way in WAYS:
            for program in PROGRAMS:
                run = getattr(bench, way)(program)
                result["runs"][(program, way)].append(run)
        say(f"  run {n + 1}/{repeats}: floor {result['floor'][-1].seconds * 1000:.0f} ms; " +
            "; ".join(f"{p} {w} {result['runs'][(p, w)][-1].seconds * 1000:.0f} ms"
                      f"{'' if standard_ok(result['runs'][(p, w)][-1]) else ' (INCOMPLETE)'}"
                      for w in WAYS for p in PROGRAMS))
    return result


def measure_worst(bench, sizes, script_sizes, deadline):
    """Launches against hosts of `sizes` menu groups, none of them a match. Sizes that the
    time budget cannot hold are skipped, the largest (the worst case) last of all."""
    points, skipped = [], []
    pending = sorted(set(sizes))
    per_group = FIRST_GUESS_PER_GROUP

    def estimate(n):
        return n * per_group * ESTIMATE_MARGIN + 5

    while pending:
        needed = sum(map(estimate, pending)) + sum(map(estimate, script_sizes))
        if len(pending) > 1 and time.monotonic() + needed > deadline:
            dropped = max(pending[:-1])
            pending.remove(dropped)
            skipped.append(dropped)
            continue
        n = pending.pop(0)
        say(f"  {n} groups: about {estimate(n):.0f} s")
        run = bench.attached("launcher", host_lines=f"groups {n}\n", menu=False,
                             timeout=60 + 0.03 * n, follow=GROUP_TEST)
        points.append({"program": "launcher", "groups": n, "run": run})
        per_group = max(run.seconds / n, 1e-4)
        say(f"  {n} groups: {run.seconds:.1f} s, {len(run.log.invokes)} Invoke, "
            f"{len(run.log.names)} GetIDsOfNames"
            f"{'' if no_match_ok(run, n) else ' (INCOMPLETE)'}")
    for n in sorted(set(script_sizes)):
        run = bench.attached("script", host_lines=f"groups {n}\n", menu=False,
                             timeout=60 + 0.03 * n, follow=GROUP_TEST)
        points.append({"program": "script", "groups": n, "run": run})
        say(f"  script, {n} groups: {run.seconds:.1f} s, {len(run.log.invokes)} Invoke")
    return points, sorted(skipped)


def measure_sizes(mingw_bin, objdump):
    sizes = []
    for edition in ("64", "32"):
        exe = Path(mingw_bin) / f"menu-launcher-{edition}.exe"
        headers = subprocess.run([objdump, "-p", str(exe)], capture_output=True, text=True,
                                 timeout=60, check=True).stdout
        dlls = [line.split(":", 1)[1].strip() for line in headers.splitlines()
                if line.strip().startswith("DLL Name:")]
        sizes.append({"name": exe.name, "bytes": exe.stat().st_size, "dlls": dlls})
    return sizes


# -- figures ---------------------------------------------------------------------------------

def seconds(runs):
    return [r.seconds for r in runs]


def agreed(values):
    values = sorted(set(values))
    return str(values[0]) if len(values) == 1 else f"{values[0]}..{values[-1]}"


def time_section(editions, repeats):
    header = ["launch (wall time, ms: median [min-max])"] + [
        f"menu-launcher-{e['edition']}.exe, {e['kind']} prefix" for e in editions]
    rows = [
        ["(c) floor: bench-nothing.exe, ends at once"] +
        [timing(seconds(e["floor"])) for e in editions],
        ["(a) launcher, attached to a running host"] +
        [timing(seconds(e["runs"][("launcher", "attached")])) for e in editions],
        ["(d) launch.vbs (cscript), host running"] +
        [timing(seconds(e["runs"][("script", "attached")])) for e in editions],
        ["(b) launcher, creating the host (COM starts it)"] +
        [timing(seconds(e["runs"][("launcher", "created")])) for e in editions],
        ["(d) launch.vbs (cscript), creating the host"] +
        [timing(seconds(e["runs"][("script", "created")])) for e in editions],
    ]
    rows.append(["(a) - (c): the launcher's own time, attached"] + [
        f"{(statistics.median(seconds(e['runs'][('launcher', 'attached')])) - statistics.median(seconds(e['floor']))) * 1000:.0f}"
        for e in editions])
    rows.append(["runs that did not complete the launch"] + [
        str(sum(1 for runs in e["runs"].values() for r in runs if not standard_ok(r)))
        for e in editions])
    notes = [f"{repeats} timed runs of each; every run is `wine PROGRAM` from Linux, with the "
             "prefix's wineserver kept warm, and a fresh host process per run so that each "
             "finds the same state (AutoCAD's ACAD group, then MORLAVENT loaded from the menu "
             "file)."]
    return Section("1. Launch wall time", header, rows, notes)


def calls_section(editions):
    header = ["edition", "program", "host", "GetIDsOfNames", "most per member", "Invoke",
              "Invoke by the access pattern", "creates (server log)",
              "ROT look-ups (client trace)", "creates (client trace)"]
    rows = []
    for e in editions:
        for program in PROGRAMS:
            for way in WAYS:
                runs = [r for r in e["runs"][(program, way)] if r.log is not None]
                client, _ = e["client"].get((program, way), (None, None))
                most = [max(collections.Counter(r.log.names).values(), default=0)
                        for r in runs]
                rows.append([
                    e["edition"], program, way,
                    agreed(len(r.log.names) for r in runs),
                    agreed(most),
                    agreed(len(r.log.invokes) for r in runs),
                    str(STANDARD_INVOKES) if program == "launcher" else "-",
                    agreed(r.log.creates for r in runs),
                    str(client.attaches) if client else "?",
                    str(client.creates) if client else "?",
                ])
    notes = [
        "GetIDsOfNames, Invoke and creates are what the server logged (its call log and "
        "its events: a create is a CreateInstance on its class object).",
        "ROT look-ups and creates on the client side come from one extra, untimed run per "
        "line with Wine's relay trace of GetActiveObject, CoCreateInstance(Ex) and "
        "CoGetClassObject (only creates that allow a local server are counted).",
        "Not in these counts: the reference keeping and interface queries that COM itself "
        "sends for each object reference handed across (IRemUnknown); the server cannot "
        "see them.",
    ]
    return Section("2. Cross-process calls of one launch", header, rows, notes)


def phase_section(editions):
    header = ["launcher, one traced run"] + list(clienttrace.PHASES) + [
        "Wine: process start and end", "wall time"]
    rows = []
    for e in editions:
        for way in WAYS:
            trace, wall = e["client"][("launcher", way)]
            if not trace.phases:
                rows.append([f"menu-launcher-{e['edition']}, {way}"] +
                            ["?"] * len(clienttrace.PHASES) + ["?", f"{wall * 1000:.0f}"])
                continue
            rest = wall - sum(trace.phases.values())
            rows.append([f"menu-launcher-{e['edition']}, {way}"] +
                        [f"{trace.phases[p] * 1000:.0f}" for p in clienttrace.PHASES] +
                        [f"{rest * 1000:.0f}", f"{wall * 1000:.0f}"])
    notes = ["Milliseconds, from Wine's relay trace with time stamps of the COM entry points "
             "(CoInitializeEx, GetActiveObject, CoCreateInstance, CoUninitialize, ExitProcess) "
             "in the untimed run of section 2; the trace itself slows the run a little.",
             "connect: from the first look-up in the running object table to the end of the "
             "attach or create (for `created`, COM starting the server); host calls: every "
             "GetIDsOfNames and Invoke of the launch."]
    return Section("1b. Where a launch's time goes", header, rows, notes)


def quarters(run, groups):
    """ms per group in each quarter of the group loop, from the progress samples."""
    marks = [hostlog.when_reached(run.samples, max(1, groups * k // 4)) for k in range(5)]
    if any(m is None for m in marks):
        return ["-"] * 4
    return [f"{(marks[k + 1] - marks[k]) * 1000 / (groups / 4):.2f}" for k in range(4)]


def worst_section(points, skipped, baselines):
    header = ["program", "groups", "wall time, ms", "Invoke", "Invoke by the access pattern",
              "GetIDsOfNames", "groups examined", "ms per group", "marginal ms per group",
              "ms per Invoke", "ms per group, 1st quarter", "2nd", "3rd", "4th"]
    rows = []
    previous = None
    for point in points:
        run, n, program = point["run"], point["groups"], point["program"]
        per_group = (run.seconds - baselines[program]) * 1000 / n
        marginal = "-"
        if program == "launcher" and previous is not None:
            marginal = f"{(run.seconds - previous[1]) * 1000 / (n - previous[0]):.2f}"
        invokes = len(run.log.invokes)
        rows.append([
            program, str(n), f"{run.seconds * 1000:.0f}", str(invokes),
            str(no_match_invokes(n)) if program == "launcher" else "-",
            str(len(run.log.names)), str(run.log.invokes_of(*GROUP_TEST)),
            f"{per_group:.2f}", marginal,
            f"{run.seconds * 1000 / invokes:.2f}" if invokes else "-",
        ] + quarters(run, n))
        if program == "launcher":
            previous = (n, run.seconds)
    notes = ["Attached to a running host whose menu groups are G0 ... G<n-1>; the launcher "
             "lies in a folder without its menu file, so the load fails and no group matches: "
             "every group is examined. One run per line (a long run cannot be repeated within "
             "the time budget).",
             "ms per group: (wall time - the median standard attached launch of the same "
             "program) / groups; marginal: the growth from the line above, per added group; "
             "quarters: the same within the run, from the count of group name reads that had "
             "reached the server, sampled every 0.25 s (flat quarters: time grows linearly)."]
    if skipped:
        notes.append("skipped for the time budget: " + ", ".join(map(str, skipped)) +
                     " groups")
    return Section("3. Worst case: many menu groups, no match", header, rows, notes)


def size_section(sizes):
    header = ["file", "bytes", "KiB", "DLLs imported", "only Windows' own DLLs",
              "under 512 KiB"]
    rows = [[s["name"], str(s["bytes"]), f"{s['bytes'] / 1024:.1f}", " ".join(s["dlls"]),
             verdict(all(d.lower() in SYSTEM_DLLS for d in s["dlls"])),
             verdict(s["bytes"] < MAX_BYTES)] for s in sizes]
    return Section("4. Size of the deliverables", header, rows,
                   ["DLLs from `i686-w64-mingw32-objdump -p`."])


def target_section(editions, points, sizes):
    rows = []
    launcher_runs = [r for e in editions for w in WAYS for r in e["runs"][("launcher", w)]]
    most = max((max(collections.Counter(r.log.names).values(), default=0)
                for r in launcher_runs), default=0)
    repeated = sorted({k for r in launcher_runs for k in r.log.repeated_names()})
    rows.append(["name look-ups: at most one per kind of object and member (launcher, "
                 "every run)",
                 f"at most {most} per member" + (f"; repeated: {repeated}" if repeated else ""),
                 verdict(launcher_runs and most <= 1)])
    counts = sorted({len(r.log.invokes) for r in launcher_runs})
    rows.append([f"Invoke count of the standard launch = {STANDARD_INVOKES} (host calls of "
                 "the access pattern)", ", ".join(map(str, counts)),
                 verdict(counts == [STANDARD_INVOKES])])
    for e in editions:
        launcher = statistics.median(seconds(e["runs"][("launcher", "attached")]))
        script = statistics.median(seconds(e["runs"][("script", "attached")]))
        rows.append([f"attached to a running host, menu-launcher-{e['edition']} no slower "
                     "than the script (medians)",
                     f"{launcher * 1000:.0f} ms vs {script * 1000:.0f} ms",
                     verdict(launcher <= script)])
    incomplete = sum(1 for e in editions for runs in e["runs"].values() for r in runs
                     if not standard_ok(r))
    rows.append(["every timed run completed the launch (exit 0, menu on the bar, toolbar "
                 "shown, host ended)", f"{incomplete} did not", verdict(incomplete == 0)])
    for point in points:
        if point["program"] == "launcher":
            n = point["groups"]
            rows.append([f"{n} groups, no match: every group examined once, launch ended",
                         f"{point['run'].log.invokes_of('MenuGroup', 'Name')} examined, "
                         f"status {point['run'].exit_code}",
                         verdict(no_match_ok(point["run"], n))])
    for s in sizes:
        others = [d for d in s["dlls"] if d.lower() not in SYSTEM_DLLS]
        rows.append([f"{s['name']} self-contained (no DLL beyond Windows' own)",
                     "imports " + " ".join(s["dlls"]), verdict(not others)])
        rows.append([f"{s['name']} under 512 KiB", f"{s['bytes'] / 1024:.1f} KiB",
                     verdict(s["bytes"] < MAX_BYTES)])
    return Section("Targets", ["target", "measured", "verdict"], rows)


def machine_lines(started, ended, load_before, repeats):
    took = str(ended.replace(microsecond=0) - started.replace(microsecond=0))
    cpu = "?"
    try:
        for line in Path("/proc/cpuinfo").read_text().splitlines():
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    commit = subprocess.run(["git", "-C", str(REPO), "rev-parse", "--short", "HEAD"],
                            capture_output=True, text=True, timeout=30).stdout.strip()
    # What the deliverables and the server were built from, if not all of it is committed.
    dirty = subprocess.run(["git", "-C", str(REPO), "status", "--porcelain", "--", "src",
                            "editions", "menu", "test/server", "test/sim"],
                           capture_output=True, text=True, timeout=30).stdout.strip()
    if dirty:
        folders = sorted({"/".join(line[3:].split("/")[:2]) for line in dirty.splitlines()})
        commit += " with uncommitted changes in " + ", ".join(folders)
    return [
        f"- date: {started:%Y-%m-%d %H:%M} (local), bench took {took}",
        f"- machine: `nproc` = {os.cpu_count()}, {cpu}",
        f"- Wine: {wine_version()}",
        f"- load average (1, 5, 15 min) before: {load_before}, after: "
        f"{' '.join(f'{x:.2f}' for x in os.getloadavg())}",
        f"- tree: {commit or '?'} (deliverables from build/mingw/bin)",
        f"- repeats: {repeats} per standard timing",
    ]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--repeats", type=int, default=5)
    parser.add_argument("--sizes", default="1000,4000,16000,32768",
                        help="menu groups of the worst-case runs (launcher)")
    parser.add_argument("--script-sizes", default="1000",
                        help="menu groups of the worst-case runs of launch.vbs")
    parser.add_argument("--editions", default="32,64")
    parser.add_argument("--budget", type=float, default=840.0,
                        help="seconds the whole bench may take; worst-case sizes that "
                             "would overrun it are skipped")
    parser.add_argument("--mingw-bin", default=str(REPO / "build/mingw/bin"))
    parser.add_argument("--nothing", default=str(REPO / "build/bench/bench-nothing.exe"))
    parser.add_argument("--work", default=str(REPO / "build/bench"))
    parser.add_argument("--results", default=str(REPO / "bench/results.md"),
                        help="Markdown file to write ('' for none)")
    args = parser.parse_args()
    install_signal_handlers()

    started = datetime.datetime.now()
    deadline = time.monotonic() + args.budget
    load_before = " ".join(f"{x:.2f}" for x in os.getloadavg())
    work = Path(args.work).resolve()
    work.mkdir(parents=True, exist_ok=True)
    wanted = [e for e in EDITION_ORDER if e in args.editions.split(",")]
    sizes = [int(n) for n in args.sizes.split(",") if n]
    script_sizes = [int(n) for n in args.script_sizes.split(",") if n]

    editions, points, skipped = [], [], []
    for edition in wanted:
        say(f"menu-launcher-{edition}.exe in a {EDITIONS[edition]} prefix")
        with BenchPrefix(work / "prefixes", EDITIONS[edition], edition, args.mingw_bin,
                         args.nothing, work) as bench:
            editions.append(measure_edition(bench, args.repeats))
            if edition == wanted[-1] and (sizes or script_sizes):
                say(f"worst case in the {EDITIONS[edition]} prefix")
                points, skipped = measure_worst(bench, sizes, script_sizes, deadline)
    # The standard attached launch in the prefix of the worst case: its fixed part.
    baselines = {p: statistics.median(seconds(editions[-1]["runs"][(p, "attached")]))
                 for p in PROGRAMS} if editions else {}
    sizes_found = measure_sizes(args.mingw_bin, os.environ.get("OBJDUMP",
                                                               "i686-w64-mingw32-objdump"))

    by_name = sorted(editions, key=lambda e: e["edition"], reverse=True)
    sections = [time_section(by_name, args.repeats), phase_section(by_name),
                calls_section(by_name)]
    if points:
        sections.append(worst_section(points, skipped, baselines))
    sections += [size_section(sizes_found), target_section(by_name, points, sizes_found)]
    notes = []
    for e in by_name:
        works, seen = e["cscript"]
        attached, printed = e["getobject"]
        notes.append(f"- {e['kind']}: Wine's cscript and vbscript run launch.vbs: "
                     f"{'yes' if works else 'NO'} ({seen}); `GetObject(, \"AutoCAD.Application.21\")` "
                     f"attaches: {'yes' if attached else 'no'} ({printed})")
    preamble = machine_lines(started, datetime.datetime.now(), load_before,
                             args.repeats) + notes
    say(report.as_text(sections, ["", "Results"] + preamble))
    if args.results:
        Path(args.results).write_text(report.as_markdown(
            sections, "menu-launcher benchmark results", preamble))
        say(f"written: {args.results}")
    failed = any(row[-1] == "FAIL" for row in sections[-1].rows)
    return 1 if failed else 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except WineError as error:
        print(f"bench: {error}", file=sys.stderr)
        sys.exit(2)
