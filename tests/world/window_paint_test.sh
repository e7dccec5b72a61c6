#!/usr/bin/env bash
# A window painted by a Windows program under Wine must show on the X
# display: take screenshots of the root window until the centre of each of
# its four quadrants has the colour the program painted (or give up).
set -euo pipefail
exe=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$VISTREL_WORLD/env"
tmp=$(mktemp -d)
mkfifo "$tmp/in"
"$here/../../scripts/wine-run.sh" "$exe" < "$tmp/in" > "$tmp/out" 2>&1 &
paint_pid=$!
exec 3> "$tmp/in"   # the program closes when a line arrives here
cleanup() { exec 3>&-; kill "$paint_pid" 2>/dev/null || true; rm -rf "$tmp"; }
trap cleanup EXIT

# The program prints READY x y w h, then four COLOUR r g b lines (CR LF ends).
for i in $(seq 600); do
  [ "$(grep -c '^COLOUR' "$tmp/out" 2>/dev/null)" = 4 ] && break
  kill -0 "$paint_pid" 2>/dev/null || break
  sleep 0.1
done
tr -d '\r' < "$tmp/out" > "$tmp/lines"
read -r tag x y w h < <(grep '^READY' "$tmp/lines") || true
[ "${tag:-}" = READY ] || { echo "no READY line from the paint program"; cat "$tmp/lines"; exit 1; }
colours=()
while read -r tag r g b; do
  colours+=("$(printf '%02X%02X%02X' "$r" "$g" "$b")")
done < <(grep '^COLOUR' "$tmp/lines")
[ ${#colours[@]} = 4 ] || { echo "expected four COLOUR lines"; cat "$tmp/lines"; exit 1; }
points=("$((x + w / 4)) $((y + h / 4))" "$((x + 3 * w / 4)) $((y + h / 4))"
        "$((x + w / 4)) $((y + 3 * h / 4))" "$((x + 3 * w / 4)) $((y + 3 * h / 4))")

pixel() {  # pixel FILE X Y -> RRGGBB
  convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1 | tr -d '#'
}

seen=""
for attempt in $(seq 1 50); do
  import -display "$DISPLAY" -window root "$tmp/shot.png" 2>/dev/null || true
  seen=""; ok=1
  for i in 0 1 2 3; do
    set -- ${points[$i]}
    p=$(pixel "$tmp/shot.png" "$1" "$2" || true)
    seen+="$p "
    [ "$p" = "${colours[$i]}" ] || ok=0
  done
  [ $ok = 1 ] && break
  sleep 0.2
done

echo "done" >&3
rc=0; wait "$paint_pid" || rc=$?
echo "expected: ${colours[*]}"
echo "seen:     $seen"
[ $ok = 1 ] || { echo "FAILED: the window's colours did not reach the display"; exit 1; }
[ $rc = 0 ] || { echo "FAILED: paint program exited with $rc"; exit 1; }
echo "the painted window is on the display"
