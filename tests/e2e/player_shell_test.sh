#!/usr/bin/env bash
# The player and the shell around it: a movie dragged onto the running
# player from another program (OLE drag and drop between processes) opens
# and plays, a file that is not a movie is refused, and Help > About,
# reached with real keys, shows the box that Enter closes.
#
#   player_shell_test.sh PLAYER.exe MOVIE_WRITER.exe WORK_DIR DROPPER.exe
#
# Every step is checked and reported; the test fails when any step failed.
# shellcheck source-path=SCRIPTDIR source=e2e_lib.sh
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin player_shell "$1" "$2" "$3"
dropper=$4

FPS=10
B_FIRST=500   # movie B's frames carry 500.., so that they differ from A's
write_movie movieA --size=320x240 --fps=$FPS --frames=50
write_movie "фильм B" --size=320x240 --fps=$FPS --frames=100 --first=$B_FIRST
echo "not a movie" > "$work/notes.txt"

start_player '^movieA\.avi - ' /Открыть "$(winpath "$work/movieA.avi")"
wait_frame 0 0 10 "movie A at open" || abort "movie A is not on screen"

# ---- a drop from another program ----

if "$wine_run" "$dropper" "$(winpath "$work/notes.txt")"; then
  fail "a text file was taken by the player"
else
  pass "a text file is refused"
fi
if "$wine_run" "$dropper" "$(winpath "$work/notes.txt")" "$(winpath "$work/фильм B.avi")"; then
  pass "the movie among the dragged files is taken"
  wait_frame $B_FIRST $B_FIRST 10 "the dropped movie is open"
  [ "$(xdotool getwindowname "$wid")" = "фильм B.avi - Проигрыватель Vistrel" ] &&
    pass "the title names the dropped movie" || fail "title: $(xdotool getwindowname "$wid")"
  step $((B_FIRST + 1)) $((B_FIRST + 90)) 5 space
else
  fail "the player refused the dragged movie"
fi

# ---- Help > About ----

press F10 Right Right Down Return
about=$(find_window 10 '^О программе$') && pass "Help > About shows the box" ||
  fail "no About box after F10, Right, Right, Down, Enter"
if [ -n "$about" ]; then
  xdotool key Return
  for _ in $(seq 50); do xdotool search --onlyvisible --name '^О программе$' > /dev/null 2>&1 || break; sleep 0.1; done
  xdotool search --onlyvisible --name '^О программе$' > /dev/null 2>&1 && fail "Enter leaves the About box open" ||
    pass "Enter closes the About box"
fi

close_player
e2e_end
