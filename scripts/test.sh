#!/usr/bin/env bash
# Builds everything and runs every test of both builds:
#   - native build of the portable code under AddressSanitizer and UBSan,
#   - Windows build (cross-compiled) with its test programs run under Wine
#     in a private world (Wine prefix, Xvfb, PulseAudio null sink).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
start=$(date +%s)

scripts/install-deps.sh

echo "== native build (sanitizers)"
cmake -S . -B build/native -DVISTREL_SANITIZE=ON >/dev/null
cmake --build build/native -j2

echo "== Windows build"
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/win -j2

echo "== native tests"
ctest --test-dir build/native -j2 --output-on-failure

echo "== fuzzing the decoder and the OpenDML reader, a minute each"
fuzz/run-fuzz.sh build/fuzz 60 screen_codec
fuzz/run-fuzz.sh build/fuzz 60 opendml

echo "== Windows tests under Wine"
# Serial: the tests share one display and one sound server.
ctest --test-dir build/win --output-on-failure

echo "== all tests passed in $(( $(date +%s) - start )) s"
