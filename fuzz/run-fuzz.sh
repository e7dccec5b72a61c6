#!/usr/bin/env bash
# Fuzzes the screen-codec decoder for a while:
#   fuzz/run-fuzz.sh BUILD_DIR SECONDS
# Configures BUILD_DIR with clang and the fuzz targets when it is not yet a
# fuzz build, builds the target and its seed corpus, and runs libFuzzer for
# SECONDS. Exits non-zero on any crash, leak, timeout or sanitizer report;
# the input that caused it is left in BUILD_DIR/fuzz/artifacts.
set -euo pipefail
if [ $# -ne 2 ] || ! [[ $2 =~ ^[0-9]+$ ]]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$1
seconds=$2

cache="$build/CMakeCache.txt"
if [ -f "$cache" ] && ! grep -q '^CMAKE_CXX_COMPILER:.*clang' "$cache"; then
  echo "$build was configured without clang; use another folder" >&2
  exit 2
fi
if [ ! -f "$cache" ] || ! grep -q '^VISTREL_FUZZ:BOOL=ON' "$cache"; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DVISTREL_FUZZ=ON -DVISTREL_SANITIZE=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target screen_codec_fuzzer screen_codec_fuzz_corpus

out="$build/fuzz"
mkdir -p "$out/corpus" "$out/artifacts"
log="$out/fuzz.log"
status=0
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$out/screen_codec_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
  -max_len=70000 -print_final_stats=1 -artifact_prefix="$out/artifacts/" \
  "$out/corpus" "$out/seeds" >"$log" 2>&1 || status=$?
grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|INFO: seed corpus)' "$log" || true
if [ "$status" -ne 0 ] ||
   grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error:' "$log"; then
  tail -n 40 "$log"
  echo "fuzzing found a problem (exit $status); log: $log" >&2
  exit 1
fi
echo "fuzzing: no problem found in $seconds s"
