#!/usr/bin/env bash
# A recording cut off by a killed recorder (no index, the last frame half
# written), opened from the command line (without playing, so that every
# step can be seen): the player shows it and, on Space, plays it to its last
# whole frame, then stops at the start as after any movie.
#
#   player_damaged_test.sh PLAYER.exe MOVIE_WRITER.exe WORK_DIR
# shellcheck source-path=SCRIPTDIR source=e2e_lib.sh
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin player_damaged "$1" "$2" "$3"

CUT=30   # frames 0..29 whole, frame 30 cut in the middle of its data

write_movie cut --size=320x240 --fps=10 --frames=40 --sound --cut-at-frame=$CUT

start_player '^cut\.avi - ' /Открыть "$(winpath "$work/cut.avi")"
wait_frame 0 0 10 "the cut recording opens at its first frame" || abort "no first frame on screen"
step 1 $((CUT - 1)) 5 space
wait_frame $((CUT - 3)) $((CUT - 1)) 6 "played on to its last whole frames"
wait_frame 0 0 6 "at its end it stops at the start"
wait_still 3 "stopped after the end" && { [ "$frame" = 0 ] ||
  fail "after the end: expected frame 0 to stay, it is $frame"; }

close_player
e2e_end
