#!/usr/bin/env bash
# The system volume as a person uses it and as a listener hears it: a
# steady tone plays through the player while the sound server's output is
# recorded; real keys change the volume and the mute, and the toolbar's
# volume button brings up the popup, which real keys and clicks hide again
# and through which the player's own keys still work.
#
#   player_volume_test.sh PLAYER.exe MOVIE_WRITER.exe WORK_DIR
#
# Every step is checked and reported; the test fails when any step failed.
# shellcheck source-path=SCRIPTDIR source=e2e_lib.sh
. "$(dirname "$0")/e2e_lib.sh"
# shellcheck source=../audio/record_sink.sh
. "$(dirname "$0")/../audio/record_sink.sh"
e2e_begin player_volume "$1" "$2" "$3"
trap 'e2e_cleanup; record_sink_cleanup' EXIT

# ---- what the listener hears ----

# The loudness of the last 0.2 s recorded (root mean square of the samples).
level_now() {
  python3 - "$REC_FILE" <<'EOF'
import array, math, os, sys
n = 8820 * 4                                   # 0.2 s of s16le stereo at 44100 Hz
size = os.path.getsize(sys.argv[1]) // 4 * 4
with open(sys.argv[1], 'rb') as f:
    f.seek(max(0, size - n))
    a = array.array('h', f.read(n))
print(int(math.sqrt(sum(v * v for v in a) / len(a))) if a else 0)
EOF
}

# settle PREDICATE WHAT: waits until the level satisfies PREDICATE (a shell
# test on $lvl) and holds still (two readings 0.15 s apart within 1 %);
# sets lvl.
settle() {
  local pred=$1 what=$2 last=-1000 end=$(($(now_ns) + 8000000000))
  while [ "$(now_ns)" -lt "$end" ]; do
    lvl=$(level_now)
    if eval "$pred" && [ $(((lvl - last) * 100)) -le "$lvl" ] && [ $(((last - lvl) * 100)) -le "$lvl" ]; then
      pass "$what: level $lvl"
      return 0
    fi
    last=$lvl
    sleep 0.15
  done
  fail "$what: the level is $lvl, not [$pred] and still"
  return 1
}

ratio_ok() {  # ratio_ok A B LO HI: LO <= A*1000/B <= HI
  local r=$(($1 * 1000 / ($2 > 0 ? $2 : 1)))
  [ "$r" -ge "$3" ] && [ "$r" -le "$4" ]
}

write_movie tone --size=160x120 --fps=10 --frames=900 --sound   # 90 s of 440 Hz
record_sink_start || abort "the sound server's output cannot be recorded"
start_player '^tone\.avi - ' /Открыть "$(winpath "$work/tone.avi")"
press space
settle '[ $lvl -gt 2000 ]' "playing at full volume" || abort "no tone is heard"
full=$lvl

# Ctrl+Down: each press one step of 2622 in 65535 (4 %) lower, heard.
prev=$full
for i in 1 2 3; do
  press ctrl+Down
  if settle "[ \$lvl -lt $((prev * 99 / 100)) ]" "Ctrl+Down $i"; then
    want=$(((65535 - i * 2622) * 1000 / 65535))
    ratio_ok "$lvl" "$full" $((want - 15)) $((want + 15)) ||
      fail "Ctrl+Down $i: level $lvl is not $want/1000 of $full"
  fi
  prev=$lvl
done
low=$prev

press ctrl+m
settle "[ \$lvl -lt $((full / 100)) ]" "Ctrl+M silences"
press ctrl+m
settle "[ \$lvl -gt $((low * 97 / 100)) ] && [ \$lvl -lt $((low * 103 / 100)) ]" "Ctrl+M again brings it back"
press ctrl+m
settle "[ \$lvl -lt $((full / 100)) ]" "Ctrl+M silences once more"
press ctrl+Up
settle "[ \$lvl -gt $((low * 101 / 100)) ]" "Ctrl+Up unmutes and raises"

# ---- the popup ----

# The popup is the player's other visible top-level window that is taller
# than a tooltip.
popup_id() {
  local w
  for w in $(xdotool search --onlyvisible --pid "$(wine_pid)" 2>/dev/null); do
    [ "$w" != "$wid" ] && geometry "$w" && [ "$win_h" -ge 100 ] && { echo "$w"; return 0; }
  done
  return 1
}
wine_pid() { xprop -id "$wid" _NET_WM_PID 2>/dev/null | sed -n 's/.*= //p'; }
popup_visible() { [ -n "$(popup_id)" ]; }

await_popup() {  # await_popup yes|no WHAT
  local end=$(($(now_ns) + 5000000000))
  while [ "$(now_ns)" -lt "$end" ]; do
    if popup_visible; then [ "$1" = yes ] && { pass "$2"; return 0; }
    else [ "$1" = no ] && { pass "$2"; return 0; }; fi
    sleep 0.1
  done
  fail "$2: the popup is $([ "$1" = yes ] && echo hidden || echo still shown)"
  return 1
}

find_channel || abort "the toolbar's row is not found"
show_popup() {  # show_popup WHAT: a click on the volume button
  focus "$wid"
  geometry "$wid"
  click $((win_w - BORDER - BUTTON / 2)) $((ch_y + 2)) "the volume button"
  await_popup yes "$1"
}

if show_popup "the volume button shows the popup"; then
  geometry "$wid"
  frame_right=$((win_x + win_w)) frame_top=$win_y
  geometry "$(popup_id)"
  # Its right edge on the view's (inside the frame's border), its top on
  # the view's, below the caption, the menu and the toolbar.
  if [ $((frame_right - BORDER - win_x - win_w)) -eq 0 ] && [ $((win_y - frame_top)) -gt 40 ] &&
     [ $((win_y - frame_top)) -lt 120 ]; then
    pass "the popup at the view's top right: $win_x,$win_y ${win_w}x$win_h"
  else
    fail "the popup at $win_x,$win_y ${win_w}x$win_h, frame right $frame_right top $frame_top"
  fi
fi
# The player's keys act while the popup is active: Space pauses (silence),
# Ctrl+M mutes, Ctrl+Up unmutes, Space plays again.
xdotool key space
settle "[ \$lvl -lt $((full / 100)) ]" "Space in the popup pauses"
xdotool key space
settle "[ \$lvl -gt $((low * 101 / 100)) ]" "Space in the popup plays again"
xdotool key ctrl+m
settle "[ \$lvl -lt $((full / 100)) ]" "Ctrl+M in the popup mutes"
popup_visible && pass "the popup stays up meanwhile" || fail "the popup went away on the player's keys"
xdotool key ctrl+Up
settle "[ \$lvl -gt $((low * 101 / 100)) ]" "Ctrl+Up in the popup unmutes"

xdotool key Escape
await_popup no "Esc hides the popup"
show_popup "shown again"
xdotool key Return
await_popup no "Enter hides the popup"
show_popup "shown once more"
geometry "$wid"
click $((win_w / 2)) $((win_h - 60)) "the movie, below the popup"
await_popup no "a click on the player's window hides the popup"

close_player
record_sink_stop
e2e_end
