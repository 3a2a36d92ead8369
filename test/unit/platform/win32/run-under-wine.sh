#!/usr/bin/env bash
# Runs the Windows-side platform tests under Wine, in a 32-bit prefix of their own.
#   test/unit/platform/win32/run-under-wine.sh [BIN_DIR]     (default: build/mingw/bin)
# Builds nothing: run `cmake --build --preset mingw` first. Exits nonzero on any failure.
set -uo pipefail

bin_dir=${1:-build/mingw/bin}
tests=$bin_dir/tests
export WINEPREFIX=${PLATFORM_TEST_PREFIX:-/tmp/menu-launcher-platform-wine32}
export WINEARCH=win32 WINEDEBUG=-all LC_ALL=C.UTF-8

for program in platform_win32_tests.exe folder_probe.exe; do
  if [ ! -f "$tests/$program" ]; then
    echo "missing $tests/$program: build the mingw preset first" >&2
    exit 2
  fi
done

work=$(mktemp -d /tmp/menu-launcher-platform.XXXXXX)
cleanup() {
  timeout 30 wineserver -k >/dev/null 2>&1
  timeout 30 wineserver -w >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  WINEDLLOVERRIDES="mscoree=;mshtml=" timeout 300 wineboot -i >/dev/null 2>&1
  timeout 120 wineserver -w
fi

status=0
timeout 300 wine "$tests/platform_win32_tests.exe" || status=1

# A folder longer than MAX_PATH, with letters beyond ASCII. Wine's CreateProcessW cannot
# start a program there, so the program is started from here.
folder=$work
while [ "${#folder}" -le 360 ]; do folder="$folder/Diseño añadido € carpeta"; done
mkdir -p "$folder"
cp "$tests/folder_probe.exe" "$folder/launcher probe é.exe"
answer=$work/answer.txt
expected="Z:${folder//\//\\}"
if timeout 60 wine "$folder/launcher probe é.exe" "Z:${answer//\//\\}" &&
   seen=$(iconv -f UTF-16LE -t UTF-8 "$answer") && [ "$seen" = "$expected" ]; then
  echo "long folder (${#expected} characters): passed"
else
  echo "long folder: FAILED"
  echo "  expected: $expected"
  echo "  seen:     ${seen:-(nothing)}"
  status=1
fi

exit $status
