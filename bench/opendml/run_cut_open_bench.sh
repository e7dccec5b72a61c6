#!/usr/bin/env bash
# Opens a cut one-hour recording in the real player under Wine and prints the
# time from the process start to the movie's first picture on screen:
#   bench/opendml/run_cut_open_bench.sh [WIN_BUILD_DIR]   (default build/win;
#   a directory named *win64* is configured as the 64-bit build)
#
# The movie (opendml_cut_movie.exe, see cut_movie.h) is a 4 GiB OpenDML
# screen recording, 108000 frames at 30 fps with PCM sound, without "idx1"
# nor super index, cut in the middle of a chunk of its last RIFF segment:
# the player indexes it by walking its "movi" data. Every picture of it is
# one solid colour. VistrelPlayer.exe starts with the movie on its command
# line in a world of our own (scripts/world.sh), and slider_probe (a host
# program built here from bench/slider) reads rows of the screen until the
# colour covers part of it. The player warns about any file over 1 GiB in a
# message box before it opens the file; the script answers it with Enter
# and leaves the time the box waited out of the figure. The same is done
# for a one-minute movie written the same way (one RIFF segment, cut as
# well, no box), which shows what starting the player and Wine cost.
#
# Each movie is opened twice; the second run (warm cache) is the figure.
# Figures, no verdict (the exit code is 0 whatever they are); goal printed
# beside them: the cut movie's picture within 2 s.
# Environment: CUT_BENCH_TIMEOUT (seconds to wait for a picture, default 60).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build/win}
limit=${CUT_BENCH_TIMEOUT:-60}
COLOR=2EB86C   # CUT_MOVIE_COLOR

# shellcheck source=bench/wine_player_bench.sh
. "$root/bench/wine_player_bench.sh"
bench_build "$build" opendml_cut_movie
writer=$build/bench/opendml/opendml_cut_movie.exe
out=$build/bench/opendml
bench_probe "$out"

# shellcheck source=scripts/wine-arch.sh source-path=SCRIPTDIR/../..
. "$root/scripts/wine-arch.sh"
arch=$(pe_arch "$player")
world=$out/run/world          # kept: a new Wine prefix costs a boot
movies=$(mktemp -d)           # the movies are removed at the end
log=$out/run
mkdir -p "$log"
rm -f "$log"/*.log "$log"/*.png
trap bench_cleanup EXIT
"$root/scripts/world.sh" start "$world" "$arch"
# shellcheck disable=SC1091
. "$world/env"
export LC_ALL=C.UTF-8   # the window titles are Cyrillic

winpath() { echo "Z:${1//\//\\}"; }   # Z: is the Unix root
now_ns() { date +%s%N; }

echo "Cut-recording open benchmark of $(basename "$player") ($arch) under Wine;" \
  "machine: $(nproc) cores, load average $(cut -d' ' -f1 /proc/loadavg)"
for movie_args in "short 1800" "cut 108000"; do
  read -r name frames <<< "$movie_args"
  t0=$(now_ns)
  "$root/scripts/wine-run.sh" "$writer" "$(winpath "$movies/$name.avi")" "$frames" | tr -d '\r'
  echo "  written in $(( ($(now_ns) - t0) / 1000000 )) ms; $(du -m "$movies/$name.avi" | cut -f1) MiB on disk"
done

# open_once MOVIE: starts the player with the movie, answers its warning
# about files over 1 GiB (the box the player shows before it opens such a
# file) with Enter, waits for the picture and ends the player. Sets total
# (process start to picture), box (process start to the box) and after (the
# Enter key to the picture), in ms; total is -1 when no picture came, box
# -1 when no box came.
open_once() {
  local movie=$1 line rc=0 t0 t_box=0 t_ok=0 t_pic box_wid large=0
  total=-1 box=-1 after=-1
  [ "$(stat -c %s "$movie")" -ge 1073741824 ] && large=1   # only then the box comes
  "$probe" appear "$COLOR" "$limit" > "$log/probe.txt" &
  probe_pid=$!
  sleep 0.3   # the probe is reading the screen
  t0=$(now_ns)
  "$root/scripts/wine-run.sh" "$player" "$(winpath "$movie")" >> "$log/player.log" 2>&1 &
  player_pid=$!
  while [ $large = 1 ] && [ "$t_box" = 0 ] && kill -0 "$probe_pid" 2>/dev/null; do
    box_wid=$(xdotool search --onlyvisible --name '^Проигрыватель Vistrel$' 2>/dev/null | head -1) || true
    if [ -n "$box_wid" ]; then
      t_box=$(now_ns)
      # Wine gives its new window the focus; make sure before the key.
      timeout 3 xdotool windowfocus --sync "$box_wid" 2>/dev/null || true
      xdotool key Return
      t_ok=$(now_ns)
    fi
    sleep 0.02
  done
  wait "$probe_pid" || rc=$?
  probe_pid=""
  line=$(cat "$log/probe.txt")
  if [ $rc -eq 0 ] && [ -n "$line" ]; then
    t_pic=${line%% *}
    total=$(( (t_pic - t0) / 1000000 ))
    if [ "$t_box" != 0 ]; then
      box=$(( (t_box - t0) / 1000000 )) after=$(( (t_pic - t_ok) / 1000000 ))
    fi
  else
    import -window root "$log/no-picture-$(basename "$movie" .avi).png" 2>/dev/null || true
    [ $rc -eq 3 ] && echo "  (the colour was on screen before the player started)"
  fi
  kill "$player_pid" 2>/dev/null || true
  for _ in $(seq 100); do kill -0 "$player_pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$player_pid" 2>/dev/null || true
  wait "$player_pid" 2>/dev/null || true
  player_pid=""
  # Every window of the player gone before the next run.
  for _ in $(seq 50); do xdotool search --onlyvisible --name "Vistrel" >/dev/null 2>&1 || break; sleep 0.1; done
  sleep 0.5
}

declare -A result
for name in short cut; do
  runs=""
  for _ in 1 2; do
    open_once "$movies/$name.avi"
    if [ $box -ge 0 ]; then
      # The time the box waited for its key is not the player's.
      runs="$runs $((box + after)) (box at $box, Enter to picture $after, picture at $total);"
      result[$name]=$((box + after))
    else
      runs="$runs $total;"
      result[$name]=$total
    fi
  done
  echo "  $name.avi: process start to first picture, ms:$runs"
done

echo
echo "warm cache (second run): one-minute movie ${result[short]} ms; the cut 4 GiB movie ${result[cut]} ms" \
  "(-1: no picture within $limit s)"
if [ "${result[cut]}" -ge 0 ]; then
  verdict="NOT met"
  [ "${result[cut]}" -lt 2000 ] && verdict="met"
  echo "first picture of the cut movie within 2 s (the wait for the key on the 1 GiB warning left out): $verdict;" \
    "$(( result[cut] - result[short] )) ms more than the one-minute movie"
else
  echo "the cut movie showed no picture (screenshot in $log)"
fi
exit 0
