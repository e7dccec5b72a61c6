#!/usr/bin/env bash
# Builds the player and starts it on the sample movie: the 32-bit product,
# or the 64-bit build on machines that run no 32-bit programs.
# With DISPLAY set it opens on that display (and the desktop's sound);
# without one it runs on a private Xvfb with a private sound server, takes a
# screenshot of the running player and prints where it is.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=wine-arch.sh
. scripts/wine-arch.sh

scripts/install-deps.sh
if can_run_win32; then
  arch=win32 build=build/win toolchain=cmake/mingw-i686.cmake
else
  arch=win64 build=build/win64 toolchain=cmake/mingw-x86_64.cmake
  echo "this machine runs no 32-bit programs: running the 64-bit build"
fi

cmake -S . -B build/native >/dev/null
cmake --build build/native -j2 --target vistrel-moviewriter
cmake -S . -B $build -DCMAKE_TOOLCHAIN_FILE=$toolchain >/dev/null
cmake --build $build -j2 --target VistrelPlayer

mkdir -p build/run
movie=build/run/sample.avi
build/native/tools/moviewriter/vistrel-moviewriter "$movie"
exe=$build/app/VistrelPlayer.exe
# Wine wants a Windows path for the movie; Z: is the Unix root.
winmovie="Z:$(realpath "$movie" | tr / '\\')"

if [ -n "${DISPLAY:-}" ]; then
  export WINEPREFIX=$root/build/run/prefix-$arch WINEARCH=$arch WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
  WINELOADER=$(wine_loader $arch); export WINELOADER
  echo "starting the player on $DISPLAY"
  exec "$WINELOADER" "$exe" "$winmovie"
fi

world=$root/build/run/world
scripts/world.sh start "$world" $arch
trap 'scripts/world.sh stop "$world"' EXIT
. "$world/env"
"$WINELOADER" "$exe" "$winmovie" > build/run/player.log 2>&1 &
player=$!

# Wait for the main window to show, then give it a moment to paint.
shown=0
for i in $(seq 300); do
  if xwininfo -root -tree 2>/dev/null | grep -q 'Vistrel'; then shown=1; break; fi
  kill -0 "$player" 2>/dev/null || break
  sleep 0.1
done
[ $shown = 1 ] || { echo "the player's window did not appear (see build/run/player.log)"; exit 1; }
sleep 2
shot=$root/build/run/screenshot.png
import -display "$DISPLAY" -window root "$shot"
echo "the player is running; screenshot: $shot"
kill "$player" 2>/dev/null || true
