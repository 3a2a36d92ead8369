#!/usr/bin/env bash
# The menu-launcher benchmark: launch wall times under Wine against the test automation
# server, the launch's cross-process calls, the 32,768-group worst case and the size of the
# deliverables. Prints a table and writes bench/results.md. See bench/README.md.
#   bench/run.sh [--repeats N] [--sizes 1000,4000,16000,32768] [--budget SECONDS] ...
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
bin=$repo/build/mingw/bin
work=$repo/build/bench

missing=0
for exe in menu-launcher-64.exe menu-launcher-32.exe autocad-test-server.exe; do
  [ -f "$bin/$exe" ] || missing=1
done
if [ "$missing" -ne 0 ]; then
  echo "building the deliverables and the test server (MinGW preset)"
  cmake --preset mingw >/dev/null
  cmake --build --preset mingw
fi

# The floor: a program that does nothing, built here so that it is the same MinGW build.
mkdir -p "$work"
if [ ! -f "$work/bench-nothing.exe" ] || [ bench/nothing.cpp -nt "$work/bench-nothing.exe" ]; then
  i686-w64-mingw32-g++-win32 -std=c++17 -O2 -Wall -Wextra -municode -mwindows -s -static \
    -o "$work/bench-nothing.exe" bench/nothing.cpp
fi

# The Python side bounds each of its waits; this bounds the whole, and its TERM makes the
# bench shut its Wine prefixes down.
exec timeout --signal=TERM --kill-after=60 1800 \
  python3 bench/bench.py --mingw-bin "$bin" --nothing "$work/bench-nothing.exe" \
  --work "$work" "$@"
