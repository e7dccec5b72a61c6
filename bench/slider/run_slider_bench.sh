#!/usr/bin/env bash
# Drags the seek slider of the real player under Wine and prints what the
# eye would see:  bench/slider/run_slider_bench.sh [WIN_BUILD_DIR] [DRAG_SECONDS]
#
# The movie (written by slider_movie.exe) is a 1920 x 1080, 32-bit "qrvc"
# screen recording at 10 fps, 60 s long, a key frame every 10 s; the 64 x 64
# block in its top left corner is red 0x80, green n / 256, blue n % 256 in
# frame n. VistrelPlayer.exe opens it without playing, in a world of our own
# (scripts/world.sh), and the mouse (real X input through XTEST, xdotool)
# presses the slider's thumb, moves it to the right in small steps and lets
# go. Meanwhile slider_probe (a host program built here) reads one pixel of
# the corner block from the screen as fast as it is told to, which tells
# the frame on screen at every moment.
#
# Figures, no verdict (the exit code is 0 whatever they are):
#   pictures per second during the drag: distinct frame numbers seen while
#     the button was down, per second (a lower bound: a picture shown for less
#     than the sampling period can be missed)
#   time from the release to the release point's own frame (+-1) on screen
# Goals printed beside them: 20 pictures a second, 150 ms.
#
# Environment: SLIDER_PAUSE_US (pause between screen readings, default 1000),
# SLIDER_STEP_MS (pause between mouse steps, default 20), SLIDER_END (where
# the drag ends, as a fraction of the thumb's travel, default 0.98).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build/win}
drag_seconds=${2:-3}
pause_us=${SLIDER_PAUSE_US:-1000}
step_ms=${SLIDER_STEP_MS:-20}
end_fraction=${SLIDER_END:-0.98}

# The movie.
FPS=10 MOVIE_SECONDS=60 KEY_SECONDS=10
FRAMES=$((FPS * MOVIE_SECONDS))
LENGTH_MS=$((FRAMES * 1000 / FPS))   # the slider's range: the movie's length in ms

# shellcheck source=bench/wine_player_bench.sh
. "$root/bench/wine_player_bench.sh"
bench_build "$build" slider_movie
writer=$build/bench/slider/slider_movie.exe
out=$build/bench/slider
bench_probe "$out"

# shellcheck source=scripts/wine-arch.sh source-path=SCRIPTDIR/../..
. "$root/scripts/wine-arch.sh"
# Paths for Wine, window search and geometry, as the end-to-end tests have them.
# shellcheck source=tests/e2e/e2e_lib.sh
. "$root/tests/e2e/e2e_lib.sh"
set -e
arch=$(pe_arch "$player")
work=$out/run
world=$work/world
mkdir -p "$work"
rm -f "$work"/*.log "$work"/*.txt "$work"/*.png
trap bench_cleanup EXIT
"$root/scripts/world.sh" start "$world" "$arch"
# shellcheck disable=SC1091
. "$world/env"
export LC_ALL=C.UTF-8   # the open keyword on the command line is Cyrillic

give_up() { echo "slider bench: $* (see $work)"; import -window root "$work/screen.png" 2>/dev/null; exit 0; }

movie=$work/slider.avi
"$root/scripts/wine-run.sh" "$writer" "$(winpath "$movie")" $MOVIE_SECONDS $FPS $KEY_SECONDS ||
  give_up "the movie was not written"

"$root/scripts/wine-run.sh" "$player" /Открыть "$(winpath "$movie")" > "$work/player.log" 2>&1 &
player_pid=$!
wid=$(find_window 30 "^slider\.avi - Проигрыватель Vistrel") || give_up "no player window within 30 s"
geometry "$wid" || give_up "the player window has no geometry"

# Frame 0's corner block on screen: where the frame number is read.
block=""
for _ in $(seq 100); do
  block=$("$probe" find 800000) && break
  sleep 0.1
done
[ -n "$block" ] || give_up "frame 0 is not on screen"
read -r block_x block_y block_w block_h <<< "$block"
sample_x=$((block_x + block_w / 2)) sample_y=$((block_y + block_h / 2))
sleep 1   # let the window settle (status bar, idle-time updates)

# The slider's channel and thumb, from a screenshot of the toolbar band
# (between the window's top and the picture). The trackbar draws its
# channel as a sunken edge four pixels high: a row of the shadow colour,
# two rows of the highlight, the shadow again, from the channel's left end
# to its right end; the slider takes the toolbar's width from the button
# separators to the volume button at the right edge, so that edge is the
# longest horizontal run of one colour that starts right of the buttons,
# ends near the window's right side and comes again three rows lower. The thumb, at position 0,
# covers the channel's left end: its rectangle starts where the channel does
# (the thumb's left = channel left + travel * pos / range), and its outline
# is a short run of the same shadow colour a few rows above the channel.
"$probe" shot "$win_x" "$win_y" "$win_w" $((block_y - win_y)) > "$work/toolbar.txt"
read -r ch_top ch_right _ th_left th_width < <(awk -v x0="$win_x" -v w="$win_w" '
  { c[$1, $2] = $3; if ($2 > ymax) ymax = $2; if (ymin == "" || $2 < ymin) ymin = $2 }
  END {
    best = 0
    for (y = ymin; y + 3 <= ymax; ++y) {
      x = x0
      while (x < x0 + w) {
        s = x; col = c[x, y]
        while (x < x0 + w && c[x, y] == col) ++x
        len = x - s
        # starts right of the buttons, ends within 80 px of the right side
        if (len > best && s > x0 + 100 && x >= x0 + w - 80 && c[s + 20, y + 3] == col && c[x - 1, y + 3] == col &&
            c[s + 20, y + 1] != col) {
          best = len; top = y; right = x; colour = col
        }
      }
    }
    if (best == 0) exit 1
    # The thumb: on the rows above the channel, the leftmost run of the
    # channel colour right of the buttons that is 5..41 pixels long.
    for (y = top - 12; y < top; ++y) {
      x = x0 + 100
      while (x < right) {
        if (c[x, y] != colour) { ++x; continue }
        s = x
        while (x < right && c[x, y] == colour) ++x
        if (x - s >= 5 && x - s <= 41) { print top, right, colour, s, x - s; exit 0 }
      }
    }
    exit 1
  }' "$work/toolbar.txt") || give_up "the slider's channel was not found in the toolbar"
ch_left=$th_left                     # the thumb at position 0 sits on the channel's left end
ch_width=$((ch_right - ch_left))
half=$((th_width / 2))
travel=$((ch_width - 2 * half - 1))  # pixels over which the thumb's centre covers the range
press_x=$((th_left + half)) press_y=$((ch_top + 1))
end_x=$(awk -v l="$ch_left" -v h="$half" -v t="$travel" -v f="$end_fraction" 'BEGIN { printf "%d", l + h + t * f + 0.5 }')
# The position the trackbar takes for the release point, and its frame.
expect_ms=$(awk -v r="$LENGTH_MS" -v x="$end_x" -v l="$ch_left" -v h="$half" -v t="$travel" \
  'BEGIN { p = r * (x - l - h) / t; if (p < 0) p = 0; if (p > r) p = r; printf "%d", p + 0.5 }')
expect_frame=$((expect_ms * FPS / 1000))
[ $expect_frame -ge $FRAMES ] && expect_frame=$((FRAMES - 1))

# The drag: press on the thumb, steps of step_ms to the end point, release.
steps=$((drag_seconds * 1000 / step_ms))
moves=()
for ((i = 1; i < steps; ++i)); do
  moves+=(mousemove $((press_x + (end_x - press_x) * i / steps)) "$press_y" sleep "$(awk -v m="$step_ms" 'BEGIN { print m / 1000 }')")
done
xdotool mousemove "$press_x" "$press_y"
sleep 0.3
"$probe" watch "$sample_x" "$sample_y" $((drag_seconds + 30)) "$pause_us" > "$work/samples.txt" &
probe_pid=$!
sleep 0.5
xdotool mousedown 1
t_down=$(now_ns)
sleep 0.2
t_drag=$(now_ns)
xdotool "${moves[@]}"
t_last=$(now_ns)   # the last step on its own, timed from just before it is sent
xdotool mousemove "$end_x" "$press_y"
sleep "$(awk -v m="$step_ms" 'BEGIN { print m / 1000 }')"
t_up0=$(now_ns)
xdotool mouseup 1
t_up=$(now_ns)
sleep 3
kill "$probe_pid" 2>/dev/null
wait "$probe_pid" 2>/dev/null || true
probe_pid=""
import -window root "$work/after.png" 2>/dev/null || true
kill -0 "$player_pid" 2>/dev/null || give_up "the player has ended"

# ---- figures ----
echo "Slider drag benchmark of $(basename "$player") ($arch) under Wine"
echo "machine: $(nproc) cores; movie: 1920x1080, 32 bits, qrvc screen content, $FPS fps, $FRAMES frames," \
  "a key frame every $KEY_SECONDS s"
echo "window ${win_w}x${win_h} at $win_x,$win_y; frame block at $block_x,$block_y (${block_w}x$block_h)"
echo "slider channel x $ch_left..$((ch_right - 1)) (width $ch_width) at y $ch_top, thumb $th_width px wide;" \
  "press at $press_x,$press_y, release at $end_x,$press_y after $steps steps of $step_ms ms"
awk -v t_down="$t_down" -v t_drag="$t_drag" -v t_last="$t_last" -v t_up0="$t_up0" -v t_up="$t_up" -v want="$expect_frame" \
    -v want_ms="$expect_ms" '
  /^#/ { samples = $3; t0 = $5; t1 = $7; next }
  { t[n] = $1; f[n] = $2; ++n }
  END {
    rate = samples / ((t1 - t0) / 1e9)
    printf "screen sampling: %d readings in %.2f s, %.0f per second (one pixel of the block)\n", samples, (t1 - t0) / 1e9, rate
    # The frame on screen when the motion began, then every change until the release.
    shown = -1
    for (i = 0; i < n && t[i] <= t_drag; ++i) shown = f[i]
    if (shown >= 0) { seen[shown] = 1; distinct = 1 }
    changes = 0; last_drag = shown
    for (; i < n && t[i] <= t_up0; ++i) {
      ++changes; last_drag = f[i]
      if (f[i] >= 0 && !(f[i] in seen)) { seen[f[i]] = 1; ++distinct }
      sec = int((t[i] - t_drag) / 1e9); per[sec]++
    }
    drag_s = (t_up0 - t_drag) / 1e9
    pps = (distinct - 1) / drag_s   # the frame shown before the motion does not count
    printf "drag: %.2f s of motion, %d changes of picture, %d distinct frames seen (last %d)\n", drag_s, changes, distinct - 1, last_drag
    line = "  changes per second of the drag:"
    for (s = 0; s < int(drag_s + 0.999); ++s) line = line " " (per[s] + 0)
    print line
    printf "pictures per second during the drag: %.1f (goal: at least 20) -> %s\n", pps, (pps >= 20 ? "met" : "NOT met")
    # After the release: the first reading within one frame of the release point.
    printf "release point: position %d ms, frame %d (+-1 accepted)\n", want_ms, want
    # From the last mouse step (to the release point) to its picture.
    for (j = 0; j < n; ++j) {
      if (t[j] <= t_last) { at_last = f[j]; continue }
      if (f[j] >= want - 1 && f[j] <= want + 1) break
    }
    if (at_last >= want - 1 && at_last <= want + 1)
      printf "picture of the last mouse step: already on screen when the step was sent (the step before was within a frame of it)\n"
    else if (j < n)
      printf "picture of the last mouse step: frame %d on screen %.0f ms after the step\n", f[j], (t[j] - t_last) / 1e6
    else
      printf "picture of the last mouse step: never seen\n"
    hit = -1; at_release = last_drag
    for (j = 0; j < n; ++j) {
      if (t[j] <= t_up) { at_release = f[j]; continue }
      if (f[j] >= want - 1 && f[j] <= want + 1) { hit = j; break }
    }
    final = n > 0 ? f[n - 1] : -1; final_t = n > 0 ? t[n - 1] : 0
    printf "frame on screen at the release: %d; finally: %d", at_release, final
    if (final_t > t_up) printf " (last change %.0f ms after the release)", (final_t - t_up) / 1e6
    printf "\n"
    if (at_release >= want - 1 && at_release <= want + 1)
      printf "exact picture after the release: already on screen at the release (0 ms) (goal: within 150 ms) -> met\n"
    else if (hit < 0)
      printf "exact picture after the release: not seen within 3 s (goal: within 150 ms) -> NOT met\n"
    else {
      ms = (t[hit] - t_up) / 1e6; ms0 = (t[hit] - t_up0) / 1e6
      printf "exact picture after the release: frame %d after %.0f ms (%.0f ms from the start of the release call; readings every %.1f ms) (goal: within 150 ms) -> %s\n", f[hit], ms, ms0, 1000 / rate, (ms <= 150 ? "met" : "NOT met")
    }
  }' "$work/samples.txt"
exit 0
