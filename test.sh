#!/usr/bin/env bash
# Sets the machine up, builds everything and runs every test: the portable
# core on the host (with ASan/UBSan, and short runs of its fuzz targets), then
# the Windows build with its window-layer and end-to-end tests under Wine.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$ROOT"
scripts/setup.sh
source scripts/env.sh
JOBS="${KELUP_TEST_JOBS:-2}"
# Tests under Wine spend much of their time waiting for windows, files and
# datagrams: three at a time keep two cores busy.
WINE_JOBS="${KELUP_WINE_TEST_JOBS:-3}"

# The core's tests run once, in the build with AddressSanitizer and UBSan
# (the plain host build, build/host, is the one for quick runs by hand).
echo "== host: portable core with AddressSanitizer and UBSan ($(date +%T))"
cmake --preset host-asan >/dev/null
cmake --build --preset host-asan
ctest --preset host-asan -j "$JOBS"

echo "== host: short bounded runs of the fuzz targets (clang, libFuzzer) ($(date +%T))"
cmake --preset host-fuzz >/dev/null
cmake --build --preset host-fuzz
ctest --test-dir build/host-fuzz -R fuzz_smoke --output-on-failure

echo "== win64: program, window layer and end-to-end tests under Wine ($(date +%T))"
cmake --preset win64 >/dev/null
cmake --build --preset win64
unset DISPLAY
source scripts/xvfb.sh
xvfb_start
ctest --preset win64 -j "$WINE_JOBS"
echo "== done ($(date +%T))"
