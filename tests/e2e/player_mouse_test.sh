#!/usr/bin/env bash
# The player driven with the mouse and its window's modes: real clicks on the
# seek slider and the toolbar's buttons, and full screen in and out, with the
# frame shown read back from screenshots (see e2e_lib.sh).
#
#   player_mouse_test.sh PLAYER.exe MOVIE_WRITER.exe WORK_DIR
#
# Every step is checked and reported; the test fails when any step failed.
# On a failure the screenshots it was judged by are kept in WORK_DIR.
# shellcheck source-path=SCRIPTDIR source=e2e_lib.sh
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin player_mouse "$1" "$2" "$3"

FPS=10
FRAMES=100           # frames 0..99, 10 s
LAST=$((FRAMES - 1))
SEEK_PERCENT=70
SEEK_TOLERANCE=3     # frames: a pixel of the slider is about 0.6 frame here

# ---- the movie, opened without playing ----

write_movie movie --size=320x240 --fps=$FPS --frames=$FRAMES
start_player '^movie\.avi - ' /Открыть "$(winpath "$work/movie.avi")"
wait_frame 0 0 10 "at open" || abort "the movie's first frame is not on screen"

# ---- 1. a click on the slider's channel seeks there ----

find_channel || abort "no slider channel (a sunken line) found in the window's upper half"
thumb_width=$((thumb_right - thumb_left + 1))
note "channel at row $ch_y: thumb $thumb_left..$thumb_right at the start, visible channel to x $ch_right"
# The trackbar puts the thumb flush with the channel's left end at position 0.
if [ $((thumb_left - SLIDER_LEFT - CHANNEL_INSET)) -ge -2 ] && [ $((thumb_left - SLIDER_LEFT - CHANNEL_INSET)) -le 2 ] &&
   [ "$thumb_width" -ge 5 ] && [ "$thumb_width" -le 30 ]; then
  pass "slider right after the To end button's separator: thumb at x $thumb_left, expected $((SLIDER_LEFT + CHANNEL_INSET))"
else
  fail "slider: thumb at x $thumb_left..$thumb_right, expected from x $((SLIDER_LEFT + CHANNEL_INSET)) (slider from x $SLIDER_LEFT)"
fi
# The thumb's centre goes from where it stands now to the channel's right
# end less half a thumb, the visible channel's length; a click puts the
# thumb's centre under the cursor.
centre0=$(((thumb_left + thumb_right) / 2))
travel=$((ch_right - thumb_right))
click_y=$((ch_y + 2))
slider_click() {  # slider_click PERCENT: click the channel there, wait for that frame, still
  local x=$((centre0 + travel * $1 / 100)) want
  want=$(((x - centre0) * FRAMES / travel))
  note "expected frame at x $x: $want ($1% of $FRAMES)"
  expect_change $((want - SEEK_TOLERANCE)) $((want + SEEK_TOLERANCE)) "the slider click at $1%" || return 1
  click "$x" "$click_y" "the slider's channel at $1%"
  wait_frame $((want - SEEK_TOLERANCE)) $((want + SEEK_TOLERANCE)) 5 "slider click at $1%" &&
    wait_still 3 "not playing after the slider click"
}

# The movie was opened without playing: it is ready, neither paused nor
# stopped, and the frame steps (Left, Right) do nothing until it has been
# played; the jumps do. The keys reach the window at once: the slider never
# keeps the focus.
slider_click $SEEK_PERCENT && step $((frame + 10)) $((frame + 10)) 3 Next

# ---- 2. the toolbar's Play, Pause and Stop ----

step 0 0 3 Home
button_y=$click_y   # the buttons share the slider's row: the channel is in the toolbar's middle
expect_change 3 $((LAST - 30)) "Play"
click "$(button_x 0)" "$button_y" "Play"
wait_frame 3 $((LAST - 30)) 5 "Play button: playing"
click "$(button_x 1)" "$button_y" "Pause"
if wait_still 3 "Pause button" && { [ "$frame" -le 0 ] || [ "$frame" -ge $LAST ]; }; then
  fail "Pause button: expected a frame between the ends, it is $frame"
fi
if expect_change 0 0 "Stop"; then
  click "$(button_x 2)" "$button_y" "Stop"
  wait_frame 0 0 3 "Stop button" && wait_still 3 "stopped" && { [ "$frame" = 0 ] ||
    fail "stopped: expected frame 0 to stay, it is $frame"; }
fi
# Stopped, a click on the slider leaves it stopped, and the frame steps work.
slider_click 40 && step $((frame + 1)) $((frame + 1)) 3 Right && step $((frame - 2)) $((frame - 2)) 3 Left Left

# ---- 3. full screen in and out ----

geometry "$wid"
before="$win_x,$win_y ${win_w}x$win_h"
read -r screen_w screen_h < <(xdotool getdisplaygeometry)
wait_geometry() {  # wait_geometry WANT SECONDS WHAT: poll the window's geometry until it is WANT
  local end=$(($(now_ns) + $2 * 1000000000)) seen
  while :; do
    geometry "$wid" && seen="$win_x,$win_y ${win_w}x$win_h"
    [ "$seen" = "$1" ] && { pass "$3: window at $seen"; return 0; }
    [ "$(now_ns)" -ge "$end" ] && break
    sleep 0.1
  done
  read_frame
  fail "$3: expected the window at $1 within ${2}s, seen $seen"
  return 1
}

shown=$frame
press alt+Return
if wait_geometry "0,0 ${screen_w}x$screen_h" 5 "Alt+Enter: full screen"; then
  # The whole display: the picture, centred, on the black background, and
  # nothing else (no toolbar, menu, status bar or frame). The frame's colour
  # is red 0x80 with the number in green and blue.
  import -display "$DISPLAY" -window root "$work/screen.png" 2>/dev/null
  top_left=$(convert "$work/screen.png" -format '%[hex:p{0,0}]' info:- 2>/dev/null)
  stray=$(convert "$work/screen.png" -depth 8 -format %c histogram:info:- 2>/dev/null |
    grep -v -e '#000000' -e '#80[0-9A-F]\{4\}' | sort -rn | head -3 | tr -s ' ' | tr '\n' ';')
  if [ "${top_left:0:6}" = 000000 ]; then
    pass "full screen: the top-left pixel is the black background"
  else
    fail "full screen: the top-left pixel is #$top_left, expected #000000 (a toolbar still shown?)"
  fi
  if [ -z "$stray" ]; then
    pass "full screen: only the background and the picture's colour on the display"
  else
    fail "full screen: colours other than the black background and the picture's: $stray"
  fi
  # Where the picture lies: the bounding box of what is not black.
  read -r pw ph px py < <(convert "$work/screen.png" -trim -format '%w %h %X %Y' info:- 2>/dev/null | tr -d '+')
  if [ -n "${py:-}" ] && [ $((2 * px + pw - screen_w)) -ge -2 ] && [ $((2 * px + pw - screen_w)) -le 2 ] &&
     [ $((2 * py + ph - screen_h)) -ge -2 ] && [ $((2 * py + ph - screen_h)) -le 2 ] && [ "$pw" -ge 320 ]; then
    pass "full screen: picture ${pw}x$ph at $px,$py, centred"
  else
    fail "full screen: picture ${pw:-?}x${ph:-?} at ${px:-?},${py:-?}, expected centred on ${screen_w}x$screen_h"
  fi
  wait_frame "$shown" "$shown" 3 "full screen: the same frame as before"
fi
press Escape
wait_geometry "$before" 5 "Esc: back from full screen"
if find_channel && [ "$((ch_y + 2))" = "$click_y" ]; then
  pass "after full screen: the toolbar's slider is back at row $ch_y"
else
  fail "after full screen: no slider channel at row $((click_y - 2)) (found: ${ch_y:-none})"
fi

# ---- 4. close ----

close_player
e2e_end
