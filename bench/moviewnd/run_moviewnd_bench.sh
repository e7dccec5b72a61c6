#!/usr/bin/env bash
# Runs the movie window's benchmark under Wine in a private world and prints
# its figures:  bench/moviewnd/run_moviewnd_bench.sh [WIN_BUILD_DIR] [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build/win}
seconds=${2:-20}
cmake --build "$build" -j2 --target moviewnd_bench >/dev/null
exec "$root/scripts/wine-run.sh" "$build/bench/moviewnd/moviewnd_bench.exe" "$seconds"
