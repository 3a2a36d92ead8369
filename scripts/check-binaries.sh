#!/usr/bin/env bash
# Checks the two deliverables in BIN_DIR: 32-bit x86 GUI programs that Windows loads at a
# random address with data not executable, that need only system DLLs, never import
# IsWow64Process (it is looked up at run time), carry their manifest and version resource
# and stay small. Prints each file's size and DLLs; exits nonzero on any violation.
set -uo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BIN_DIR" >&2
  exit 2
fi
bin_dir=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
windres=${WINDRES:-i686-w64-mingw32-windres}
max_size=$((512 * 1024))
allowed_dlls="KERNEL32.DLL USER32.DLL OLE32.DLL OLEAUT32.DLL MSVCRT.DLL"

violations=0
violation() {
  echo "  VIOLATION: $1"
  violations=$((violations + 1))
}

for name in menu-launcher-64 menu-launcher-32; do
  exe=$bin_dir/$name.exe
  echo "$name.exe"
  if [ ! -f "$exe" ]; then
    violation "missing: $exe"
    continue
  fi
  if ! headers=$("$objdump" -p "$exe" 2>&1); then
    violation "objdump cannot read it: $headers"
    continue
  fi

  size=$(stat -c %s "$exe")
  echo "  size: $size bytes ($(((size + 1023) / 1024)) KiB)"
  [ "$size" -lt "$max_size" ] || violation "larger than 512 KiB"

  grep -q "file format pei-i386" <<<"$headers" || violation "not a PE file for i386"
  grep -qE "^Magic[[:space:]]+010b[[:space:]]+\(PE32\)" <<<"$headers" || violation "not PE32"
  grep -qE "^Subsystem[[:space:]]+00000002[[:space:]]" <<<"$headers" ||
    violation "subsystem is not Windows GUI (2)"
  characteristics=$(awk '/^DllCharacteristics/ { print $2 }' <<<"$headers")
  if [ -z "$characteristics" ]; then
    violation "no DllCharacteristics"
  else
    (((16#$characteristics & 0x40) != 0)) || violation "DllCharacteristics lacks DYNAMIC_BASE"
    (((16#$characteristics & 0x100) != 0)) || violation "DllCharacteristics lacks NX_COMPAT"
  fi

  dlls=$(awk -F': ' '/^[[:space:]]*DLL Name:/ { print $2 }' <<<"$headers")
  echo "  DLLs: $(tr '\n' ' ' <<<"$dlls")"
  [ -n "$dlls" ] || violation "no import table found"
  while read -r dll; do
    [ -n "$dll" ] || continue
    upper=$(tr '[:lower:]' '[:upper:]' <<<"$dll")
    [[ " $allowed_dlls " == *" $upper "* ]] || violation "imports from $dll"
  done <<<"$dlls"

  # The rows of the import tables: address, hint, name.
  imports=$(awk '
    /^The Import Tables/ { in_imports = 1; next }
    in_imports && /^[^[:space:]]/ { in_imports = 0 }
    in_imports && /^\t[0-9a-f]+\t/ { print $NF }' <<<"$headers")
  [ -n "$imports" ] || violation "no imported function found"
  if grep -qx "IsWow64Process" <<<"$imports"; then
    violation "imports IsWow64Process"
  fi

  if ! resources=$("$windres" -J coff -O rc -i "$exe" 2>&1); then
    violation "windres cannot read its resources: $resources"
    continue
  fi
  grep -q "VERSIONINFO" <<<"$resources" || violation "no version resource"
  grep -q "\"OriginalFilename\", \"$name.exe\"" <<<"$resources" ||
    violation "version resource does not name $name.exe"
  grep -qE "^1 24 " <<<"$resources" || violation "no manifest"
  grep -q 'level=""asInvoker""' <<<"$resources" || violation "manifest does not ask for asInvoker"
done

if [ "$violations" -ne 0 ]; then
  echo "$violations violation(s)"
  exit 1
fi
echo "both deliverables pass"
