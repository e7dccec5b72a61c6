#!/usr/bin/env bash
# Builds the facade benchmark and the movie writer in a Windows build
# directory, writes a 1920 x 1080 32-bit movie with a key frame every 300
# frames (20 s at 30 fps) and runs the benchmark on it under Wine.
#   bench/facade/run_facade_bench.sh [build-dir]   (default build/win; a
#   directory named *win64* is configured as the 64-bit build)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build/win}
toolchain=mingw-i686
case $build in *win64*) toolchain=mingw-x86_64 ;; esac
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" >/dev/null
fi
cmake --build "$build" -j2 --target facade_bench vistrel-moviewriter >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
movie="$work/bench1080.avi"
"$root/scripts/wine-run.sh" "$build/tools/moviewriter/vistrel-moviewriter.exe" "$movie" \
  --width 1920 --height 1080 --bpp 32 --fps 30 --seconds 20 --keyframe-every 300 --scene screen --no-sound
"$root/scripts/wine-run.sh" "$(find "$build" -name facade_bench.exe | head -1)" "$movie" 200
