#!/usr/bin/env bash
# Runs the launcher end to end: installs what it needs, builds both deliverables and the
# test automation server with MinGW-w64, and runs each deliverable under Wine against a
# fresh test AutoCAD, printing the host before and after, the calls made and the outcome.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw >/dev/null
exec python3 scripts/demo.py "$@"
