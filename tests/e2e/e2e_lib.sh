# Shared by the end-to-end tests, which drive VistrelPlayer.exe as a person
# does: it runs under Wine on the test world's X display, real key presses
# and mouse clicks go to it through XTEST (xdotool), and the frame it shows
# is read back from screenshots of its window. The movies are numbered:
# every pixel of frame n is red 0x80, green n / 256, blue n % 256, so the
# most common colour with red 0x80 in the window is the frame on screen,
# wherever the picture is drawn.
#
# A test script sources this file, then calls
#   e2e_begin NAME PLAYER.exe MOVIE_WRITER.exe WORK_DIR
# and ends with e2e_end. Every check is reported as PASS or FAIL; the test
# fails when any check failed, and on a failure the screenshots it was
# judged by are kept in WORK_DIR.
# shellcheck shell=bash
set -uo pipefail

e2e_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wine_run=$e2e_here/../../scripts/wine-run.sh

failures=0 shots=0 player_pid="" wid="" test_name="" player_exe="" writer_exe="" work=""

e2e_begin() {  # e2e_begin NAME PLAYER.exe MOVIE_WRITER.exe WORK_DIR
  test_name=$1 player_exe=$2 writer_exe=$3 work=$4
  # shellcheck disable=SC1091
  . "$VISTREL_WORLD/env"
  export LC_ALL=C.UTF-8   # the open keyword on the command line is Cyrillic
  rm -rf "$work"
  mkdir -p "$work"
  work=$(cd "$work" && pwd)
  trap e2e_cleanup EXIT
}

e2e_cleanup() { [ -n "$player_pid" ] && kill "$player_pid" 2>/dev/null; }

e2e_end() {
  echo
  if [ $failures -gt 0 ]; then
    echo "$test_name: $failures check(s) failed (screenshots in $work)"
    exit 1
  fi
  echo "$test_name: every step passed"
  exit 0
}

winpath() { echo "Z:${1//\//\\}"; }   # Z: is the Unix root

note() { echo "  $*"; }
pass() { echo "PASS: $*"; }
fail() {  # fail MESSAGE: report, keep the last screenshots, go on
  failures=$((failures + 1))
  shots=$((shots + 1))
  local kept=$work/failure-$shots
  [ -f "$work/shot.png" ] && cp "$work/shot.png" "$kept-window.png"
  [ -f "$work/screen.png" ] && cp "$work/screen.png" "$kept-judged-screen.png"
  import -display "$DISPLAY" -window root "$kept-screen.png" 2>/dev/null
  echo "FAIL: $*"
  echo "      screenshots: $kept-window.png (the window judged), $kept-screen.png (whole display now)"
  local focus
  focus=$(xdotool getwindowfocus 2>/dev/null || echo none)
  echo "      X input focus: $focus (player window: ${wid:-none})"
}
abort() { fail "$*"; echo "$test_name: cannot go on"; exit 1; }

now_ns() { date +%s%N; }

# ---- the movies ----

write_movie() {  # write_movie NAME ARGS...: NAME.avi in the work folder, ARGS for the writer
  local name=$1
  shift
  "$wine_run" "$writer_exe" "$(winpath "$work/$name.avi")" "$@" || abort "movie $name was not written"
}

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
  end=$(($(now_ns) + limit * 1000000000))
  while :; do
    read_frame
    if [ "$frame" -ge "$lo" ] && [ "$frame" -le "$hi" ]; then
      pass "$what: frame $frame"
      return 0
    fi
    [ "$(now_ns)" -ge "$end" ] && break
    kill -0 "$player_pid" 2>/dev/null || { fail "$what: the player has ended"; return 1; }
    sleep 0.1
  done
  fail "$what: expected frame $lo..$hi within ${limit}s, seen $frame"
  return 1
}

wait_still() {  # wait_still SECONDS WHAT: the frame stops changing (three readings 0.3 s apart agree)
  local limit=$1 what=$2 end last=-2 same=0
  end=$(($(now_ns) + limit * 1000000000))
  while [ "$(now_ns)" -lt "$end" ]; do
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

# ---- the player's window, keys and mouse ----

find_window() {  # find_window SECONDS REGEX: prints the first window whose name matches
  # A search fails when a window goes away while it is being read (say the
  # Open dialog closing), so search again until the time is up.
  local found end=$(($(now_ns) + $1 * 1000000000))
  while :; do
    found=$(xdotool search --name "$2" 2>/dev/null | head -1)
    [ -n "$found" ] && { echo "$found"; return 0; }
    [ "$(now_ns)" -ge "$end" ] && return 1
    sleep 0.1
  done
}

geometry() {  # geometry WINDOW: sets win_x, win_y, win_w, win_h (screen coordinates)
  local shell
  shell=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)
  # shellcheck disable=SC2034  # for the tests that source this file
  win_x=$(sed -n 's/^X=//p' <<< "$shell") win_y=$(sed -n 's/^Y=//p' <<< "$shell")
  win_w=$(sed -n 's/^WIDTH=//p' <<< "$shell") win_h=$(sed -n 's/^HEIGHT=//p' <<< "$shell")
  [ -n "$win_w" ]
}

focus() {  # focus WINDOW: make it the window that takes the keys
  # Wine gives its new window the X input focus itself. There is no window
  # manager here, so once the focus has gone elsewhere, setting the X focus
  # back is not enough for Wine to activate the window again; a click is
  # (the picture drags the window, but a click without a move leaves it).
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
  geometry "$1" || return 1
  timeout 3 xdotool windowfocus --sync "$1" 2>/dev/null
  xdotool mousemove --window "$1" $((win_w / 2)) $((win_h / 2)) click 1
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]
}

press() {  # press KEY...: real key presses (XTEST) to the player's window
  focus "$wid" || note "the player's window does not take the focus"
  note "keys: $*"
  xdotool key --delay 80 "$@"
}

click() {  # click X Y WHAT: a real left click at X,Y of the player's window
  note "click at $1,$2 of the window ($3)"
  xdotool mousemove --window "$wid" "$1" "$2" click 1
}

expect_change() {  # expect_change LO HI ACTION: fails when the frame already lies in LO..HI
  # An action must be seen to act: a frame already in range proves nothing.
  read_frame
  if [ "$frame" -ge "$1" ] && [ "$frame" -le "$2" ]; then
    fail "before $3: frame $frame already lies in $1..$2 (an earlier step went wrong)"
    return 1
  fi
}

step() {  # step LO HI SECONDS KEY...: press the keys, then wait for a frame in LO..HI
  local lo=$1 hi=$2 limit=$3
  shift 3
  expect_change "$lo" "$hi" "$*" || return 1
  press "$@"
  wait_frame "$lo" "$hi" "$limit" "after $*"
}

# ---- the toolbar ----

# The toolbar's layout, measured under Wine: the window's border is 3 pixels
# (Wine draws the frame itself, as there is no window manager), buttons are
# 27 pixels wide (20 x 20 images plus 7), and a separator is 6 pixels wide.
# From the left: Play, Pause, Stop, separator, To start, Back, Forward,
# To end, separator, then the slider, a separator and the volume button at
# the right edge. The trackbar draws its channel 8 pixels in from either end
# of the slider.
BORDER=3 BUTTON=27 SEPARATOR=6 CHANNEL_INSET=8
button_x() { echo $((BORDER + $1 * BUTTON + BUTTON / 2)); }   # centre of button N (0: Play)
SLIDER_LEFT=$((BORDER + 7 * BUTTON + 2 * SEPARATOR))
VOLUME_WIDTH=$((SEPARATOR + BUTTON))

# ---- finding the slider's channel ----

# The channel is a sunken line: two rows of one colour three rows apart with
# two rows of another between (in Wine's theme grey, white, white, grey).
# Seen down a column through the slider, that pattern is found nowhere else
# in the window's upper half (caption, menu, toolbar). With the movie at its
# start, the thumb stands at the channel's left end and hides it: the
# channel's row, read leftwards from the middle, runs to the thumb's right
# edge, then past the thumb's inside to its left edge (same colour again).
# So one screenshot gives the thumb's centre at position 0 and the distance
# it travels to the end: the channel's visible length.
find_channel() {  # sets ch_y (top row of the channel), thumb_left, thumb_right, ch_right
  ch_y="" thumb_left="" thumb_right="" ch_right=""
  geometry "$wid" || return 1
  read_frame
  local probes="" p
  local slider_w=$((win_w - BORDER - VOLUME_WIDTH - SLIDER_LEFT))
  for p in 55 70 85; do probes+="$((SLIDER_LEFT + slider_w * p / 100)) "; done
  local found
  # shellcheck disable=SC2016
  found=$(convert "$work/shot.png" -crop "${win_w}x$((win_h / 2))+0+0" +repage -depth 8 txt:- 2>/dev/null |
    awk -v probes="$probes" '
      NR > 1 { split($1, a, /[,:]/); c[a[1] "," a[2]] = $3; if (a[2] > maxy) maxy = a[2] }
      function at(x, y) { return c[x "," y] }
      END {
        n = split(probes, px, " ")
        for (y = 1; y + 4 <= maxy; y++) {
          ok = 1
          for (k = 1; k <= n && ok; k++) {
            x = px[k]; C = at(x, y); D = at(x, y + 1)
            ok = C == at(px[1], y) && D != C && at(x, y + 2) == D && at(x, y + 3) == C &&
                 at(x, y - 1) != C && at(x, y + 4) != C
          }
          if (!ok) continue
          for (r = px[1]; at(r + 1, y) == C; r++);
          for (t = px[1]; at(t - 1, y) == C; t--);
          for (l = t - 1; l > 0 && at(l, y) != C; l--);
          print y, l, t, r
          exit
        }
      }')
  [ -n "$found" ] || return 1
  read -r ch_y thumb_left thumb_right ch_right <<< "$found"
}

# ---- starting and closing the player ----

start_player() {  # start_player TITLE_REGEX ARGS...: start it, find its window, wait for the focus
  local title=$1
  shift
  "$wine_run" "$player_exe" "$@" > "$work/player.log" 2>&1 &
  player_pid=$!
  wid=$(find_window 30 "$title")
  [ -n "$wid" ] || abort "no window titled '$title' within 30 s (see $work/player.log)"
  pass "window $wid: $(xdotool getwindowname "$wid")"
  focus "$wid" || abort "the player's window $wid does not take the X input focus"
}

close_player() {  # Alt+F4 ends the player with exit code 0
  press alt+F4
  local rc=""
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
}
