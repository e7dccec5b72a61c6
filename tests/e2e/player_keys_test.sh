#!/usr/bin/env bash
# The player driven with the keyboard: VistrelPlayer.exe under Wine on the
# test world's X display, real key presses through XTEST, the frame shown
# read back from screenshots (see e2e_lib.sh).
#
#   player_keys_test.sh PLAYER.exe MOVIE_WRITER.exe WORK_DIR
#
# Every step is checked and reported; the test fails when any step failed.
# On a failure the screenshot it was judged by is kept in WORK_DIR.
# shellcheck source-path=SCRIPTDIR source=e2e_lib.sh
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin player_keys "$1" "$2" "$3"

FPS=10
A_FRAMES=50          # movie A: frames 0..49
B_FIRST=1000         # movie B: frames numbered 1000..1029, no colour of A's
B_FRAMES=30
A_LAST=$((A_FRAMES - 1))

# ---- the movies ----

# Key frames at 0 and 25: steps back decode within long intervals.
write_movie movieA --size=320x240 --fps=$FPS --frames=$A_FRAMES --key-every=25
write_movie movieB --size=320x240 --fps=$FPS --frames=$B_FRAMES --first=$B_FIRST

# ---- 1. open without playing ----

start_player '^movieA\.avi - ' /Открыть "$(winpath "$work/movieA.avi")"
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
$((A_LAST - 3)) $((A_LAST - 3)) Left Left Left
23 23 $(printf 'Left %.0s' $(seq 23))
0 0 Home
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

close_player
e2e_end
