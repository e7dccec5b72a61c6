#!/usr/bin/env bash
# Builds everything and runs every test this machine can run:
#   - native build of the portable code under AddressSanitizer and UBSan,
#     and a minute of fuzzing for each fuzz target;
#   - the 64-bit Windows build, its test programs run under 64-bit Wine in a
#     private world (Wine prefix, Xvfb, PulseAudio null sink), everywhere;
#   - the 32-bit Windows build (the product): the checks that read the exe
#     everywhere, and its test programs under 32-bit Wine wherever this
#     machine runs 32-bit programs (some kernels run none at all).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
start=$(date +%s)
# shellcheck source=wine-arch.sh
. scripts/wine-arch.sh

scripts/install-deps.sh

win32_runs=0
can_run_win32 && win32_runs=1

echo "== native build (sanitizers)"
cmake -S . -B build/native -DVISTREL_SANITIZE=ON >/dev/null
cmake --build build/native -j2

echo "== Windows builds: 64-bit (tests), 32-bit (the product)"
cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
cmake --build build/win64 -j2
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
if [ $win32_runs = 1 ]; then
  cmake --build build/win -j2
else
  cmake --build build/win -j2 --target VistrelPlayer
fi

echo "== native tests"
ctest --test-dir build/native -j2 --output-on-failure

echo "== fuzzing the decoder and the OpenDML reader, a minute each"
fuzz/run-fuzz.sh build/fuzz 60 screen_codec
fuzz/run-fuzz.sh build/fuzz 60 opendml

# Serial: the tests of one build share one display and one sound server.
echo "== 64-bit Windows tests under 64-bit Wine"
ctest --test-dir build/win64 --output-on-failure

if [ $win32_runs = 1 ]; then
  echo "== 32-bit Windows tests under 32-bit Wine"
  ctest --test-dir build/win --output-on-failure
  ran="native, 64-bit Windows and 32-bit Windows tests"
else
  echo "== this machine runs no 32-bit programs: of the 32-bit build only the checks of the exe"
  ctest --test-dir build/win -L file --output-on-failure
  ran="native and 64-bit Windows tests, and the checks of the 32-bit exe (this machine runs no 32-bit programs)"
fi

echo "== all tests passed in $(( $(date +%s) - start )) s: $ran"
