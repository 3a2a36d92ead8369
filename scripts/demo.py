"""Runs both deliverables under Wine as a user would, against the test automation server
that stands in for AutoCAD 2017, and prints what each did: the host's state before and
after, the calls the launcher made, any message box and the exit status."""

import argparse
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "test" / "wine"))

from hostserver import MENU_SOURCES, SERVER_EXE, HostServer, keep_warm  # noqa: E402
from watched import Watcher  # noqa: E402
from winehost import Template, install_signal_handlers  # noqa: E402

EXIT_MEANINGS = {0: "the launch ran to its end", 2: "wrong Windows bitness",
                 3: "AutoCAD could not be reached", 4: "AutoCAD of another release"}

# What the user had in AutoCAD before: one folder trusted, the menu bar off.
USER_HOST = 'variable TRUSTEDPATHS text "D:\\\\Projects\\\\Blocks"\n'


def indent(text):
    return "".join(f"    {line}\n" for line in text.splitlines()) or "    (nothing)\n"


def show_result(result):
    for box in result.boxes:
        print(f"  message box, caption {box.caption!r}, style {box.style}:")
        print(indent(box.text.replace("\r\n", "\n")), end="")
    if not result.boxes:
        print("  no message box")
    meaning = EXIT_MEANINGS.get(result.exit_code, "unexpected")
    print(f"  exit status {result.exit_code} ({meaning})")


def run(prefixes, mingw_bin, kind, edition, with_host):
    template = Template(prefixes, kind)
    template.ensure()
    with template.clone(prefixes / "clones" / f"demo-{kind}-{edition}") as prefix:
        keep_warm(prefix)
        watcher = Watcher(prefix, mingw_bin / "wine-watcher.exe")
        folder = prefix.drive_c / "Morlavent" / "2017"
        launcher = prefix.install(mingw_bin / f"menu-launcher-{edition}.exe", folder)
        prefix.install(MENU_SOURCES / f"Morlavent_{edition}.mns", folder)
        windows = "64-bit" if kind == "win64" else "32-bit"
        print(f"\n=== menu-launcher-{edition}.exe on {windows} Windows "
              f"({prefix.windows_path(launcher)}) ===")
        if not with_host:
            show_result(watcher.run(launcher))
            return
        server = HostServer.install(prefix, mingw_bin / SERVER_EXE, USER_HOST)
        print("AutoCAD before (a fresh AutoCAD 2017 that COM starts):")
        print(indent("visible false\nvariable MENUBAR I2:0\n"
                     "variable TRUSTEDPATHS BSTR:\"D:\\\\Projects\\\\Blocks\"\nno menu groups"),
              end="")
        result = watcher.run(launcher)
        show_result(result)
        journal = server.journal()
        print(f"calls the launcher made ({len(journal)}; "
              f"{len(server.looked_up())} name look-ups):")
        for call in journal:
            print(f"    {call.number:>3} {call.object}.{call.member} {call.kind} "
                  f"{';'.join(call.args)} -> {call.outcome}")
        print("AutoCAD after:")
        print(indent(server.state()), end="")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--mingw-bin", type=Path, default=REPO / "build/mingw/bin")
    parser.add_argument("--prefixes", type=Path, default=REPO / "build/linux/wine-prefixes")
    args = parser.parse_args()
    install_signal_handlers()
    mingw_bin, prefixes = args.mingw_bin.resolve(), args.prefixes.resolve()
    run(prefixes, mingw_bin, "win64", "64", with_host=True)
    run(prefixes, mingw_bin, "win32", "32", with_host=True)
    run(prefixes, mingw_bin, "win32", "64", with_host=False)
    run(prefixes, mingw_bin, "win64", "32", with_host=False)


if __name__ == "__main__":
    main()
