#!/usr/bin/env bash
# Steps backward through a movie with the Left key in the real player under
# Wine and prints what the eye would see:
#   bench/stepping/run_step_bench.sh [WIN_BUILD_DIR] [SCENE...]
# (default build/win; a directory named *win64* is configured as the 64-bit
# build; default scenes: video screen)
#
# For each scene, the movie (written by slider_movie.exe) is a 1920 x 1080,
# 32-bit "qrvc" recording at 30 fps, 20 s long (600 frames), a key frame
# every 10 s (300 frames); the 64 x 64 block in its top left corner is
# red 0x80, green n / 256, blue n % 256 in frame n. VistrelPlayer.exe opens
# it without playing, in a world of our own (scripts/world.sh). The step
# keys act only on a paused or stopped movie, not on one that has not been
# played since it was opened: so Space plays it until the picture moves and
# Ctrl+S stops it (back to frame 0). End shows the last frame (599); then
# Left is pressed 300 times, 30 times a second, as real key events (XTEST),
# which should end on frame 299. The step from frame 300 to 299 crosses
# into the previous key interval, so it costs decoding that whole interval;
# its time, and the last press's, are shown on their own. Meanwhile
# slider_probe (a host program built here from bench/slider) reads the
# block's centre pixel as fast as it is told to, which tells the frame on
# screen at every moment.
#
# Figures per scene, no verdict (the exit code is 0 whatever they are):
#   the presses: how many, over how long
#   pictures per second during the presses: distinct frames seen from the
#     first press to the last press plus one frame period, per second (a
#     lower bound: a picture shown for less than the sampling period can be
#     missed)
#   the worst gap between two picture changes, from the first press until
#     the final frame is on screen; the time from the first press to the
#     first change; the times of the last press and of the step into the
#     previous key interval
#   the final frame reached against the one expected
#   CPU time of the player, Xvfb and wineserver over the presses and after
# Goal printed beside them: at least 20 pictures a second.
#
# Environment: STEP_PRESSES (default 300), STEP_RATE (presses a second,
# default 30), STEP_PAUSE_US (pause between screen readings, default 1000),
# STEP_KEYS (pacer: a Python XTEST loop that sends each press at its own
# time, so the rate does not drift; xdotool: one `xdotool key --delay`
# call, whose own work per key makes the rate a little lower; default
# pacer), STEP_SETTLE_S (how long to wait for the final frame after the
# last press, default 15).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build/win}
shift $(($# > 0 ? 1 : 0))
scenes=("$@")
[ ${#scenes[@]} -gt 0 ] || scenes=(video screen)
presses=${STEP_PRESSES:-300}
rate=${STEP_RATE:-30}
pause_us=${STEP_PAUSE_US:-1000}
keys_by=${STEP_KEYS:-pacer}
settle_s=${STEP_SETTLE_S:-15}

# The movie.
FPS=30 MOVIE_SECONDS=20 KEY_SECONDS=10 BITS=32
FRAMES=$((FPS * MOVIE_SECONDS))
LAST=$((FRAMES - 1))
EXPECT=$((LAST - presses))
[ $EXPECT -ge 0 ] || EXPECT=0

# shellcheck source=bench/wine_player_bench.sh
. "$root/bench/wine_player_bench.sh"
bench_build "$build" slider_movie
writer=$build/bench/slider/slider_movie.exe
out=$build/bench/stepping
bench_probe "$out"

# shellcheck source=scripts/wine-arch.sh source-path=SCRIPTDIR/../..
. "$root/scripts/wine-arch.sh"
# Paths for Wine, window search, geometry and focus, as the end-to-end tests have them.
# shellcheck source=tests/e2e/e2e_lib.sh
. "$root/tests/e2e/e2e_lib.sh"
set -e
arch=$(pe_arch "$player")
work=$out/run
world=$work/world
mkdir -p "$work"
rm -f "$work"/*.log "$work"/*.txt "$work"/*.png
trap bench_cleanup EXIT
give_up() { echo "step bench: $* (see $work)"; import -window root "$work/screen.png" 2>/dev/null; exit 0; }

"$root/scripts/world.sh" start "$world" "$arch" || give_up "the world did not start"
# shellcheck disable=SC1091
. "$world/env"
export LC_ALL=C.UTF-8   # the open keyword on the command line is Cyrillic
[ "$keys_by" = xdotool ] || python3 -c 'import ctypes; ctypes.CDLL("libXtst.so.6")' ||
  give_up "the key pacer needs python3 and libXtst (or STEP_KEYS=xdotool)"

# Sends the Left presses through XTEST from one process, each at its own time
# (start + i / rate) so that the rate does not drift; prints the time of
# every press (CLOCK_REALTIME ns, as the probe's).
pacer() {  # pacer COUNT RATE
  python3 - "$1" "$2" <<'EOF'
import ctypes, sys, time
count, rate = int(sys.argv[1]), float(sys.argv[2])
x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XKeysymToKeycode.restype = ctypes.c_ubyte
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XFlush.argtypes = [ctypes.c_void_p]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
dpy = x11.XOpenDisplay(None)
if not dpy:
    sys.exit("pacer: cannot open the display")
left = x11.XKeysymToKeycode(dpy, 0xFF51)  # XK_Left
start = time.time_ns() + 20_000_000
times = []
for i in range(count):
    due = start + round(i * 1e9 / rate)
    wait = due - time.time_ns()
    if wait > 0:
        time.sleep(wait / 1e9)
    times.append(time.time_ns())
    xtst.XTestFakeKeyEvent(dpy, left, 1, 0)
    xtst.XTestFakeKeyEvent(dpy, left, 0, 0)
    x11.XFlush(dpy)
print("\n".join(map(str, times)))
EOF
}

# The frame number shown at the block's centre now (-1: no numbered picture).
frame_now() { "$probe" watch "$sample_x" "$sample_y" 0.001 0 | awk 'NR == 1 { print $2 }'; }

cpu_ticks() {  # cpu_ticks PID: user + system time of a process, in clock ticks
  if [ -n "$1" ] && [ -r "/proc/$1/stat" ]; then
    sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
  else
    echo 0
  fi
}
world_pid() { awk -v n="$1" '$1 == n { print $2 }' "$world/pids"; }

skip() { echo "step bench: scene $scene: $* (see $work)"; import -window root "$work/$scene-screen.png" 2>/dev/null || true; }

end_player() {  # ends the player and waits until it is gone
  [ -n "$player_pid" ] || return 0
  kill "$player_pid" 2>/dev/null || true
  for _ in $(seq 100); do kill -0 "$player_pid" 2>/dev/null || break; sleep 0.1; done
  wait "$player_pid" 2>/dev/null || true
  player_pid=""
}

echo "Stepping benchmark of $(basename "$player") ($arch) under Wine"
echo "machine: $(nproc) cores; movies: 1920x1080, $BITS bits, qrvc, $FPS fps, $FRAMES frames," \
  "a key frame every $KEY_SECONDS s ($((KEY_SECONDS * FPS)) frames)"
echo "keys: End, then $presses x Left at $rate a second ($keys_by); expected final frame $EXPECT"

# Runs one scene; returns 1 (after saying why) when it cannot go on.
run_scene() {
  local scene=$1 name movie title
  name=step-$scene-${BITS}bit-${FPS}fps-${MOVIE_SECONDS}s-key${KEY_SECONDS}s
  movie=$work/$name.avi
  echo
  echo "== scene $scene =="
  # The movie, kept between runs; written again when the writer has changed.
  if [ ! -s "$movie" ] || [ "$writer" -nt "$movie" ]; then
    echo "writing $name.avi (the video scene takes minutes) ..."
    rm -f "$movie.tmp"
    "$root/scripts/wine-run.sh" "$writer" "$(winpath "$movie.tmp")" \
      $MOVIE_SECONDS $FPS $KEY_SECONDS "$scene" $BITS > "$work/$scene-writer.log" 2>&1 ||
      { skip "the movie was not written"; return 1; }
    mv "$movie.tmp" "$movie"
  fi

  "$root/scripts/wine-run.sh" "$player" /Открыть "$(winpath "$movie")" > "$work/$scene-player.log" 2>&1 &
  player_pid=$!
  title="^${name}\.avi - Проигрыватель Vistrel"
  wid=$(find_window 30 "$title") || { skip "no player window within 30 s"; return 1; }
  geometry "$wid" || { skip "the player window has no geometry"; return 1; }

  # Frame 0's corner block on screen: where the frame number is read.
  local block="" end
  end=$(($(now_ns) + 30000000000))
  while [ "$(now_ns)" -lt "$end" ]; do
    block=$("$probe" find 800000) && break
    sleep 0.1
  done
  [ -n "$block" ] || { skip "frame 0 is not on screen within 30 s"; return 1; }
  local block_x block_y block_w block_h
  read -r block_x block_y block_w block_h <<< "$block"
  sample_x=$((block_x + block_w / 2)) sample_y=$((block_y + block_h / 2))

  # Play until the picture moves, then stop (rewinds to frame 0): the
  # movie is then stopped, a state the step keys act in.
  focus "$wid" || { skip "the player window does not take the focus"; return 1; }
  local t_end0 t_end1 f=0
  xdotool key space
  end=$(($(now_ns) + 10000000000))
  while [ "$f" = 0 ] && [ "$(now_ns)" -lt "$end" ]; do f=$(frame_now); done
  [ "$f" != 0 ] || { skip "Space: the movie does not play"; return 1; }
  local played=$f
  xdotool key ctrl+s
  end=$(($(now_ns) + 10000000000))
  while [ "$(now_ns)" -lt "$end" ]; do
    f=$(frame_now)
    [ "$f" = 0 ] && break
    sleep 0.05
  done
  [ "$f" = 0 ] || { skip "Ctrl+S: frame 0 not on screen within 10 s (seen $f)"; return 1; }
  echo "played up to frame $played (or a little further) before the stop"

  # End: the last frame on screen.
  t_end0=$(now_ns)
  xdotool key End
  end=$((t_end0 + 30000000000))
  while [ "$(now_ns)" -lt "$end" ]; do
    f=$(frame_now)
    [ "$f" = "$LAST" ] && break
    sleep 0.05
  done
  t_end1=$(now_ns)
  [ "$f" = "$LAST" ] || { skip "End: frame $LAST not on screen within 30 s (seen $f)"; return 1; }

  # The probe, line-buffered so that the settling can be seen as it comes.
  local samples=$work/$scene-samples.txt
  stdbuf -oL "$probe" watch "$sample_x" "$sample_y" \
    $((presses / rate + settle_s + 10)) "$pause_us" > "$samples" &
  probe_pid=$!
  end=$(($(now_ns) + 10000000000))
  while [ ! -s "$samples" ] && [ "$(now_ns)" -lt "$end" ]; do sleep 0.02; done
  [ -s "$samples" ] || { skip "the probe does not read the screen"; return 1; }
  focus "$wid" || { skip "the player window does not take the focus"; return 1; }

  # The presses, and the CPU time spent from the first press until settled.
  local xvfb_pid ws_pid ticks0 ticks1 load t_first t_last t_call
  xvfb_pid=$(world_pid xvfb) ws_pid=$(world_pid wineserver)
  load=$(cut -d' ' -f1-3 /proc/loadavg)
  ticks0="$(cpu_ticks "$player_pid") $(cpu_ticks "$xvfb_pid") $(cpu_ticks "$ws_pid")"
  local presses_txt=$work/$scene-presses.txt
  if [ "$keys_by" = xdotool ]; then
    # One call; the press times are spread evenly over it (the last one
    # is followed by the call's own pause of one delay).
    local delay_ms=$((1000 / rate)) lefts=()
    for ((i = 0; i < presses; ++i)); do lefts+=(Left); done
    t_call=$(now_ns)
    xdotool key --delay "$delay_ms" "${lefts[@]}"
    t_last=$(($(now_ns) - delay_ms * 1000000))
    awk -v a="$t_call" -v b="$t_last" -v n="$presses" \
      'BEGIN { for (i = 0; i < n; ++i) printf "%.0f\n", a + (n > 1 ? (b - a) * i / (n - 1) : 0) }' > "$presses_txt"
  else
    pacer "$presses" "$rate" > "$presses_txt" || { skip "the key pacer failed"; return 1; }
  fi
  t_first=$(head -1 "$presses_txt") t_last=$(tail -1 "$presses_txt")

  # Settled: the expected frame has stayed for 0.5 s, or any frame for 5 s,
  # or settle_s have passed since the last press.
  local state=timeout last_t last_f quiet
  end=$((t_last + settle_s * 1000000000))
  while [ "$(now_ns)" -lt "$end" ]; do
    read -r last_t last_f < <(grep -v '^#' "$samples" | tail -1)
    quiet=$(($(now_ns) - last_t))
    if { [ "$last_f" = "$EXPECT" ] && [ $quiet -ge 500000000 ]; } || [ $quiet -ge 5000000000 ]; then
      state=settled
      break
    fi
    sleep 0.1
  done
  ticks1="$(cpu_ticks "$player_pid") $(cpu_ticks "$xvfb_pid") $(cpu_ticks "$ws_pid")"
  local t_settled
  t_settled=$(now_ns)
  kill "$probe_pid" 2>/dev/null || true
  wait "$probe_pid" 2>/dev/null || true
  probe_pid=""
  kill -0 "$player_pid" 2>/dev/null || { skip "the player has ended"; return 1; }
  import -window root "$work/$scene-after.png" 2>/dev/null || true
  end_player

  # ---- figures ----
  echo "window ${win_w}x${win_h} at $win_x,$win_y; frame block at $block_x,$block_y (${block_w}x$block_h);" \
    "End: frame $LAST on screen within $(((t_end1 - t_end0) / 1000000)) ms (polled)"
  echo "load average before the presses: $load"
  awk -v t_first="$t_first" -v t_last="$t_last" -v t_settled="$t_settled" -v rate="$rate" -v want="$EXPECT" \
      -v start_frame="$LAST" -v state="$state" -v settle_s="$settle_s" -v ticks0="$ticks0" -v ticks1="$ticks1" \
      -v hz="$(getconf CLK_TCK)" -v key_frames=$((KEY_SECONDS * FPS)) -v presses_file="$presses_txt" '
    BEGIN {
      n = 0; np = 0
      while ((getline p < presses_file) > 0) press[np++] = p
      split(ticks0, c0, " "); split(ticks1, c1, " ")
    }
    /^#/ { samples = $3; s0 = $5; s1 = $7; next }
    { t[n] = $1; f[n] = $2; ++n }
    END {
      srate = samples / ((s1 - s0) / 1e9)
      period = 1e9 / rate
      span = (t_last - t_first) / 1e9
      printf "presses: %d in %.3f s (%.2f a second; %d ms apart at most)\n", np, span,
             (np > 1 ? (np - 1) / span : 0), maxgap_presses()
      printf "screen sampling: %d readings in %.2f s, %.0f per second (one pixel of the block)\n", samples, (s1 - s0) / 1e9, srate
      # The frame on screen at the first press, then every change after it.
      before = -1
      for (i = 0; i < n && t[i] <= t_first; ++i) before = f[i]
      first = i
      # The final picture: the last numbered reading, and when it came.
      fin = -1
      for (j = n - 1; j >= first; --j) if (f[j] >= 0) { fin = j; break }
      final = fin >= 0 ? f[fin] : before
      # Distinct pictures while the keys came (up to one frame period after the last).
      w_end = t_last + period
      distinct = 0; changes = 0; nonum = 0; ones = 0; skips = 0; bigskip = 0; fwd = 0
      prev = before
      for (i = first; i < n; ++i) {
        if (f[i] < 0) { ++nonum; continue }
        if (t[i] <= w_end && f[i] != before && !(f[i] in seen)) { seen[f[i]] = 1; ++distinct }
        if (t[i] <= w_end) { ++changes; per[int((t[i] - t_first) / 1e9)]++ }
        d = prev - f[i]
        if (d == 1) ++ones; else if (d > 1) { ++skips; if (d > bigskip) bigskip = d } else if (d < 0) ++fwd
        prev = f[i]
      }
      w = (w_end - t_first) / 1e9
      pps = distinct / w
      printf "pictures during the presses: %d changes, %d distinct frames in %.3f s\n", changes, distinct, w
      line = "  changes per second:"
      for (s = 0; s < int(w + 0.999); ++s) line = line " " (per[s] + 0)
      print line
      printf "  moves from %d: %d of one frame back, %d of several (largest %d), %d forward; %d readings without a frame number\n",
             before, ones, skips, bigskip, fwd, nonum
      printf "pictures per second during the presses: %.1f (goal: at least 20) -> %s\n", pps, (pps >= 20 ? "met" : "NOT met")
      # Gaps between picture changes from the first press to the final picture.
      worst = 0; worst_pre = 0; prevt = t_first; prevf = before; firstchg = -1; lastgap = -1
      for (i = first; i <= fin && fin >= 0; ++i) {
        if (f[i] < 0) continue
        g = t[i] - prevt
        if (firstchg < 0) { firstchg = g; fc = f[i] }
        if (g > worst) { worst = g; wa = prevf; wb = f[i]; wt = prevt - t_first }
        if (i < fin && g > worst_pre) { worst_pre = g; pa = prevf; pb = f[i]; pt = prevt - t_first }
        if (i == fin) lastgap = g
        prevt = t[i]; prevf = f[i]
      }
      if (firstchg < 0) { print "no picture changed after the first press"; cpu(); exit }
      printf "first change: %.0f ms after the first press (to frame %d)\n", firstchg / 1e6, fc
      printf "worst gap until the final picture: %.0f ms (frame %d to %d, %.2f s after the first press)\n", worst / 1e6, wa, wb, wt / 1e9
      if (worst_pre > 0)
        printf "worst gap before the final picture: %.0f ms (frame %d to %d, %.2f s after the first press)\n", worst_pre / 1e6, pa, pb, pt / 1e9
      # The frame on screen when the last key was sent: how far behind the keys the pictures were.
      at_last = before
      for (i = 0; i < n && t[i] <= t_last; ++i) if (f[i] >= 0) at_last = f[i]
      printf "frame on screen at the last press: %d (%d minus the presses before it: %d)\n", at_last, start_frame, start_frame - np + 1
      printf "final frame: %d, expected %d -> %s", final, want, (final == want ? "reached" : (final > want ? "NOT reached (" final - want " steps short)" : "passed (" want - final " steps too many)"))
      printf " (%s)\n", (state == "settled" ? "settled" : "still changing or not reached " settle_s " s after the last press")
      # The last press, and the step into the previous key interval.
      dt = (t[fin] - t_last) / 1e6
      if (dt < 0)
        printf "last press: changed no picture (final frame %d had been on screen since %.0f ms before it)\n", final, -dt
      else
        printf "last press: frame %d on screen %.0f ms after it; frame %d had been on screen %.0f ms before it\n",
               final, dt, prevbefore(), lastgap / 1e6
      prevf = before; prevt = t_first; cross = -1
      for (i = first; i <= fin; ++i) {
        if (f[i] < 0) continue
        if (prevf >= key_frames && f[i] < key_frames) { cross = i; break }
        prevt = t[i]; prevf = f[i]
      }
      if (cross < 0)
        printf "step into the previous key interval (frames 0..%d): none (no picture below frame %d)\n", key_frames - 1, key_frames
      else {
        for (k = np - 1; k > 0 && press[k] > t[cross]; --k);
        printf "step into the previous key interval: frame %d to %d, %.0f ms after the picture before it, %.0f ms after press %d\n",
               prevf, f[cross], (t[cross] - prevt) / 1e6, (t[cross] - press[k]) / 1e6, k + 1
      }
      cpu()
    }
    function prevbefore(   i, p) { p = before; for (i = first; i < fin; ++i) if (f[i] >= 0) p = f[i]; return p }
    function maxgap_presses(   i, m) { m = 0; for (i = 1; i < np; ++i) if (press[i] - press[i - 1] > m) m = press[i] - press[i - 1]; return m / 1e6 }
    function cpu(   wall) {
      wall = (t_settled - t_first) / 1e9
      printf "CPU from the first press until settled (%.1f s): player %.2f s, Xvfb %.2f s, wineserver %.2f s\n",
             wall, (c1[1] - c0[1]) / hz, (c1[2] - c0[2]) / hz, (c1[3] - c0[3]) / hz
    }' "$samples"
}

for scene in "${scenes[@]}"; do
  run_scene "$scene" || end_player
done
exit 0
