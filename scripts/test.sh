#!/usr/bin/env bash
# Runs every test: installs what it needs, builds both deliverables and the test tools
# with MinGW-w64, checks the binaries, builds the Linux core tests under AddressSanitizer
# and UndefinedBehaviorSanitizer and the libFuzzer target with clang, and runs all tests
# (Linux, a short fuzzing run and Wine) through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake --preset mingw >/dev/null
cmake --build --preset mingw
cmake --build --preset mingw --target package >/dev/null
bash scripts/check-binaries.sh build/mingw/bin

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

cmake --preset linux >/dev/null
cmake --build --preset linux

ctest --preset linux -j2 --timeout 900
