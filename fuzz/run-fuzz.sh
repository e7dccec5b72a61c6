#!/usr/bin/env bash
# Fuzzes one part of the portable core for a while:
#   fuzz/run-fuzz.sh BUILD_DIR SECONDS [screen_codec|opendml]
# Configures BUILD_DIR with clang and the fuzz targets when it is not yet a
# fuzz build, builds the target and its seed corpus, and runs libFuzzer for
# SECONDS. Exits non-zero on any crash, leak, timeout or sanitizer report;
# the input that caused it is left in the target's artifacts folder.
set -euo pipefail
if [ $# -lt 2 ] || [ $# -gt 3 ] || ! [[ $2 =~ ^[0-9]+$ ]]; then
  echo "usage: $0 BUILD_DIR SECONDS [screen_codec|opendml]" >&2
  exit 2
fi
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$1
seconds=$2
name=${3:-screen_codec}
case $name in
  screen_codec) out="$build/fuzz"; max_len=70000 ;;
  opendml)      out="$build/fuzz/opendml"; max_len=16384 ;;
  *) echo "unknown fuzz target $name" >&2; exit 2 ;;
esac

cache="$build/CMakeCache.txt"
if [ -f "$cache" ] && ! grep -q '^CMAKE_CXX_COMPILER:.*clang' "$cache"; then
  echo "$build was configured without clang; use another folder" >&2
  exit 2
fi
if [ ! -f "$cache" ] || ! grep -q '^VISTREL_FUZZ:BOOL=ON' "$cache"; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DVISTREL_FUZZ=ON -DVISTREL_SANITIZE=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target "${name}_fuzzer" "${name}_fuzz_corpus"

mkdir -p "$out/corpus" "$out/artifacts" "$out/tmp"
log="$out/fuzz.log"
status=0
# Targets that need files write them under their own TMPDIR.
TMPDIR="$out/tmp" ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$out/${name}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
  -max_len="$max_len" -print_final_stats=1 -artifact_prefix="$out/artifacts/" \
  "$out/corpus" "$out/seeds" >"$log" 2>&1 || status=$?
rm -rf "$out/tmp"
grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|INFO: seed corpus)' "$log" || true
if [ "$status" -ne 0 ] ||
   grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error:' "$log"; then
  tail -n 40 "$log"
  echo "fuzzing found a problem (exit $status); log: $log" >&2
  exit 1
fi
echo "fuzzing $name: no problem found in $seconds s"
