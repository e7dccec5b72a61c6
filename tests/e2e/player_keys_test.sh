#!/usr/bin/env bash
# The player driven as a person drives it: VistrelPlayer.exe runs under Wine
# on the test world's X display, real key presses go to it through XTEST
# (xdotool), and the frame it shows is read back from screenshots of its
# window. The movies are numbered: every pixel of frame n is red 0x80,
# green n / 256, blue n % 256, so the most common colour with red 0x80 in
# the window is the frame on screen, wherever the picture is drawn.
#
#   player_keys_test.sh PLAYER.exe MOVIE_WRITER.exe WORK_DIR
#
# Every step is checked and reported; the test fails when any step failed.
# On a failure the screenshot it was judged by is kept in WORK_DIR.
set -uo pipefail
player_exe=$1 writer_exe=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../scripts/wine-run.sh
# shellcheck disable=SC1091
. "$VISTREL_WORLD/env"
export LC_ALL=C.UTF-8   # the open keyword on the command line is Cyrillic

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
winpath() { echo "Z:${1//\//\\}"; }   # Z: is the Unix root

FPS=10
A_FRAMES=50          # movie A: frames 0..49
B_FIRST=1000         # movie B: frames numbered 1000..1029, no colour of A's
B_FRAMES=30
A_LAST=$((A_FRAMES - 1))

failures=0 shots=0 player_pid="" wid=""
cleanup() { [ -n "$player_pid" ] && kill "$player_pid" 2>/dev/null; }
trap cleanup EXIT

note() { echo "  $*"; }
pass() { echo "PASS: $*"; }
fail() {  # fail MESSAGE: report, keep the last screenshot, go on
  failures=$((failures + 1))
  shots=$((shots + 1))
  local kept=$work/failure-$shots
  [ -f "$work/shot.png" ] && cp "$work/shot.png" "$kept-window.png"
  import -display "$DISPLAY" -window root "$kept-screen.png" 2>/dev/null
  echo "FAIL: $*"
  echo "      screenshots: $kept-window.png (what was judged), $kept-screen.png (whole display)"
  local focus
  focus=$(xdotool getwindowfocus 2>/dev/null || echo none)
  echo "      X input focus: $focus (player window: ${wid:-none})"
}
abort() { fail "$*"; echo "player_keys: cannot go on"; exit 1; }

# ---- reading the screen ----

frame=-1
read_frame() {  # sets frame from a screenshot of the player's window (-1: no numbered picture)
  frame=-1
  rm -f "$work/shot.png"
  import -display "$DISPLAY" -window "$wid" "$work/shot.png" 2>/dev/null || return 0
  # Lines read "  COUNT: (r,g,b) #RRGGBB ..."; take the commonest red 0x80
  # colour that covers a good part of a picture (not a stray grey pixel).
  local best
  best=$(convert "$work/shot.png" -depth 8 -format %c histogram:info:- 2>/dev/null |
    sed -n 's/^ *\([0-9]*\):.*#80\([0-9A-F]\{4\}\).*/\1 \2/p' | sort -rn | head -1)
  [ -n "$best" ] || return 0
  # shellcheck disable=SC2086
  set -- $best
  [ "$1" -ge 2000 ] && frame=$((16#$2))
  return 0
}

wait_frame() {  # wait_frame LO HI SECONDS WHAT: poll until LO <= frame <= HI
  local lo=$1 hi=$2 limit=$3 what=$4 end
  end=$(($(date +%s%N) + limit * 1000000000))
  while :; do
    read_frame
    if [ "$frame" -ge "$lo" ] && [ "$frame" -le "$hi" ]; then
      pass "$what: frame $frame"
      return 0
    fi
    [ "$(date +%s%N)" -ge "$end" ] && break
    kill -0 "$player_pid" 2>/dev/null || { fail "$what: the player has ended"; return 1; }
    sleep 0.1
  done
  fail "$what: expected frame $lo..$hi within ${limit}s, seen $frame"
  return 1
}

wait_still() {  # wait_still SECONDS WHAT: the frame stops changing (three readings 0.3 s apart agree)
  local limit=$1 what=$2 end last=-2 same=0
  end=$(($(date +%s%N) + limit * 1000000000))
  while [ "$(date +%s%N)" -lt "$end" ]; do
    read_frame
    if [ "$frame" -ge 0 ] && [ "$frame" = "$last" ]; then
      same=$((same + 1))
      [ $same -ge 2 ] && { pass "$what: frame $frame stays"; return 0; }
    else
      same=0
    fi
    last=$frame
    sleep 0.3
  done
  fail "$what: the frame did not settle within ${limit}s (last seen $frame)"
  return 1
}

# ---- the player's window and keys ----

find_window() {  # find_window SECONDS REGEX: prints the first window whose name matches
  # A search fails when a window goes away while it is being read (say the
  # Open dialog closing), so search again until the time is up.
  local found end=$(($(date +%s%N) + $1 * 1000000000))
  while :; do
    found=$(xdotool search --name "$2" 2>/dev/null | head -1)
    [ -n "$found" ] && { echo "$found"; return 0; }
    [ "$(date +%s%N)" -ge "$end" ] && return 1
    sleep 0.1
  done
}

focus() {  # focus WINDOW: make it the window that takes the keys
  # Wine gives its new window the X input focus itself. There is no window
  # manager here, so once the focus has gone elsewhere, setting the X focus
  # back is not enough for Wine to activate the window again; a click is
  # (the picture drags the window, but a click without a move leaves it).
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
  local geometry w h
  geometry=$(xdotool getwindowgeometry --shell "$1")
  w=$(sed -n 's/^WIDTH=//p' <<< "$geometry") h=$(sed -n 's/^HEIGHT=//p' <<< "$geometry")
  timeout 3 xdotool windowfocus --sync "$1" 2>/dev/null
  xdotool mousemove --window "$1" $((w / 2)) $((h / 2)) click 1
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]
}

press() {  # press KEY...: real key presses (XTEST) to the player's window
  focus "$wid" || note "the player's window does not take the focus"
  note "keys: $*"
  xdotool key --delay 80 "$@"
}

step() {  # step LO HI SECONDS KEY...: press the keys, then wait for a frame in LO..HI
  local lo=$1 hi=$2 limit=$3
  shift 3
  # The keys must be seen to act: a frame already in range proves nothing.
  read_frame
  if [ "$frame" -ge "$lo" ] && [ "$frame" -le "$hi" ]; then
    fail "before $*: frame $frame already lies in $lo..$hi (an earlier step went wrong)"
    return 1
  fi
  press "$@"
  wait_frame "$lo" "$hi" "$limit" "after $*"
}

# ---- the movies ----

"$wine_run" "$writer_exe" "$(winpath "$work/movieA.avi")" --size=320x240 --fps=$FPS --frames=$A_FRAMES ||
  abort "movie A was not written"
"$wine_run" "$writer_exe" "$(winpath "$work/movieB.avi")" --size=320x240 --fps=$FPS --frames=$B_FRAMES \
  --first=$B_FIRST || abort "movie B was not written"

# ---- 1. open without playing ----

"$wine_run" "$player_exe" /Открыть "$(winpath "$work/movieA.avi")" > "$work/player.log" 2>&1 &
player_pid=$!
wid=$(find_window 30 '^movieA\.avi - ')
[ -n "$wid" ] || abort "no window titled 'movieA.avi - ...' within 30 s (see $work/player.log)"
pass "window $wid: $(xdotool getwindowname "$wid")"
focus "$wid" || abort "the player's window $wid does not take the X input focus"
wait_frame 0 0 10 "at open" || abort "movie A's first frame is not on screen"
wait_still 3 "not playing before Space" && { [ "$frame" = 0 ] ||
  fail "before Space: expected frame 0 to stay, it is $frame"; }

# ---- 2. play and pause ----

step 1 $((A_LAST - 5)) 5 space
press space
# Paused well before the end (playing on would reach it in a few seconds and rewind).
if wait_still 3 "paused" && { [ "$frame" -le 0 ] || [ "$frame" -ge $A_LAST ]; }; then
  fail "paused: expected a frame between the ends, it is $frame"
fi

# ---- 3. navigation ----

while read -r lo hi keys; do
  # shellcheck disable=SC2086
  step "$lo" "$hi" 3 $keys
done <<EOT
0 0 Home
3 3 Right Right Right
2 2 Left
11 13 Next
1 3 Prior
$((A_LAST - 1)) $A_LAST End
EOT

# ---- 4. stop rewinds (from a pause in the middle) ----

step 3 $((A_LAST - 5)) 6 Home space
press space
wait_still 3 "paused before Stop"
if [ "$frame" -gt 0 ]; then
  step 0 0 3 ctrl+s && wait_still 3 "stopped" && { [ "$frame" = 0 ] ||
    fail "stopped: expected frame 0 to stay, it is $frame"; }
else
  fail "Stop: cannot check, the movie did not pause away from frame 0"
fi

# ---- 5. repeat: the movie starts again after its end ----

press ctrl+r End space
wait_frame $((A_LAST - 9)) $A_LAST 8 "repeat: near the end"
# Stopping at the end would rewind to frame 0 and stay there; repeating plays on.
wait_frame 0 19 4 "repeat: back at the start after the end" &&
  wait_frame $((frame + 2)) $((A_LAST - 9)) 4 "repeat: playing on after the restart"
press space   # pause before opening another movie
wait_still 3 "paused before Open"

# ---- 6. open movie B through the Open dialog ----

press ctrl+o
dialog=$(find_window 10 'Открыть AVI файл')
if [ -z "$dialog" ]; then
  read_frame
  fail "Ctrl+O: no window titled 'Открыть AVI файл' within 10 s"
else
  pass "Open dialog: window $dialog"
  # Wine moves the keyboard to the dialog's name box itself; the X focus
  # follows it to the dialog's window, maybe a moment after it maps.
  for _ in $(seq 20); do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$dialog" ] && break
    sleep 0.1
  done
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$dialog" ] || note "the X focus is not on the Open dialog"
  xdotool type --delay 20 "$(winpath "$work/movieB.avi")"
  xdotool key Return
  b_wid=$(find_window 10 '^movieB\.avi - ')
  if [ -n "$b_wid" ]; then
    pass "title after Open: $(xdotool getwindowname "$b_wid")"
    wid=$b_wid
    wait_frame $B_FIRST $((B_FIRST + B_FRAMES - 1)) 5 "movie B on screen"
  else
    read_frame
    fail "Open: no window titled 'movieB.avi - ...' within 10 s (title: $(xdotool getwindowname "$wid" 2>/dev/null))"
  fi
fi

# ---- 7. close ----

press alt+F4
rc=""
for _ in $(seq 100); do
  kill -0 "$player_pid" 2>/dev/null || { wait "$player_pid"; rc=$?; break; }
  sleep 0.1
done
if [ -z "$rc" ]; then
  read_frame
  fail "Alt+F4: the player is still running after 10 s"
elif [ "$rc" != 0 ]; then
  fail "Alt+F4: the player ended with exit code $rc, expected 0"
else
  pass "Alt+F4: the player ended with exit code 0"
fi
[ -n "$rc" ] && player_pid=""

echo
if [ $failures -gt 0 ]; then
  echo "player_keys: $failures check(s) failed (screenshots in $work)"
  exit 1
fi
echo "player_keys: every step passed"
