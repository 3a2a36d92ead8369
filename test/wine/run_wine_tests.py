#!/usr/bin/env python3
"""Runs the Wine tests of the launcher.

  run_wine_tests.py [options] [TEST_ID ...]   run all tests, or those named
  run_wine_tests.py --list                    print every test id (no Wine needed)
  run_wine_tests.py --boot                    boot both template prefixes if needed, and
                                              remove clones left by runs that died

TEST_ID is module.Class.method, e.g. test_bitness.LauncherOn32BitWindows.test_edition_64_stops_ok.
"""

import argparse
import os
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import winehost  # noqa: E402
from winecase import Config  # noqa: E402


def all_tests():
    suite = unittest.defaultTestLoader.discover(str(HERE), pattern="test_*.py",
                                                top_level_dir=str(HERE))

    def flatten(item):
        if isinstance(item, unittest.TestSuite):
            for child in item:
                yield from flatten(child)
        else:
            yield item

    # A module that fails to import shows up as a failing test of its own.
    return list(flatten(suite))


def boot(config):
    winehost.sweep_stale_clones(config.prefixes / "clones")
    for kind in winehost.KINDS:
        template = winehost.Template(config.prefixes, kind)
        started = time.monotonic()
        booted = template.ensure()
        if booted:
            print(f"{kind}: booted in {booted:.1f} s ({template.path})")
        else:
            print(f"{kind}: reused ({template.path}, checked in "
                  f"{time.monotonic() - started:.2f} s)")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--mingw-bin", help="folder of the deliverables (build/mingw/bin)")
    parser.add_argument("--tools", help="folder of wine-watcher.exe and wine-fixture.exe "
                                        "(default: --mingw-bin)")
    parser.add_argument("--prefixes", help="folder for template prefixes and clones "
                                           "(default: build/linux/wine-prefixes, shared with ctest)")
    parser.add_argument("--keep", action="store_true", help="keep each test's prefix")
    parser.add_argument("--list", action="store_true", help="list test ids and exit")
    parser.add_argument("--boot", action="store_true", help="prepare the template prefixes")
    parser.add_argument("-v", "--verbose", action="store_true")
    parser.add_argument("tests", nargs="*", help="test ids (default: all)")
    options = parser.parse_args()

    if options.list:
        for test in all_tests():
            print(test.id())
        return 0

    for option, variable in ((options.mingw_bin, "MORLAVENT_MINGW_BIN"),
                             (options.tools, "MORLAVENT_WINE_TOOLS"),
                             (options.prefixes, "MORLAVENT_WINE_PREFIXES")):
        if option:
            os.environ[variable] = str(Path(option).resolve())
    if options.keep:
        os.environ["MORLAVENT_WINE_KEEP"] = "1"
    winehost.install_signal_handlers()
    config = Config.from_environment()

    if options.boot:
        try:
            boot(config)
        except winehost.WineError as error:
            print(f"cannot prepare the prefixes: {error}", file=sys.stderr)
            return 1
        return 0

    loader = unittest.defaultTestLoader
    if options.tests:
        suite = loader.loadTestsFromNames(options.tests)
    else:
        suite = unittest.TestSuite(all_tests())
    result = unittest.TextTestRunner(verbosity=2 if options.verbose else 1).run(suite)
    if result.testsRun == 0:
        print("no test ran", file=sys.stderr)
        return 1
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
