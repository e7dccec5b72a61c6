# shellcheck shell=bash
# shellcheck disable=SC2034,SC2154  # root and world come from the sourcing script, which uses what is set here
# Shared start of the benchmarks that run the real player under Wine and
# read the screen with slider_probe; sourced by their scripts, which set
# root (the source tree) first.

# bench_build BUILD TARGET: installs what the probe needs, configures BUILD
# when it is new (the 64-bit build when its name holds win64, else the
# 32-bit one), builds the player and TARGET (a program of the build), and
# sets build (absolute) and player.
bench_build() {
  local toolchain=mingw-i686
  case $1 in *win64*) toolchain=mingw-x86_64 ;; esac
  "$root/scripts/install-deps.sh"   # the probe needs the X11 headers
  if [ ! -f "$1/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$1" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" >/dev/null
  fi
  build=$(cd "$1" && pwd)
  # Building the player first also brings the build's makefiles up to date.
  cmake --build "$build" -j2 --target VistrelPlayer >/dev/null
  cmake --build "$build" -j2 --target "$2" >/dev/null
  player=$build/app/VistrelPlayer.exe
}

# bench_probe DIR: builds slider_probe into DIR when it is missing or older
# than its source, and sets probe.
bench_probe() {
  probe=$1/slider_probe
  mkdir -p "$1"
  if [ ! -x "$probe" ] || [ "$root/bench/slider/slider_probe.c" -nt "$probe" ]; then
    cc -O2 -Wall -o "$probe" "$root/bench/slider/slider_probe.c" -lX11 -lXext
  fi
}

# The EXIT trap: ends the probe and the player still running (probe_pid,
# player_pid), stops the world at $world and removes $movies when set.
player_pid="" probe_pid="" movies=""
# shellcheck disable=SC2317  # run by the EXIT trap
bench_cleanup() {
  [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null
  [ -n "$player_pid" ] && kill "$player_pid" 2>/dev/null
  "$root/scripts/world.sh" stop "$world" >/dev/null 2>&1 || true
  [ -z "$movies" ] || rm -rf "$movies"
}
