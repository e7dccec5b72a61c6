#!/usr/bin/env bash
# A tone played through wave-out under Wine must arrive at the sound server:
# record the null sink's monitor while the tone program runs, then check the
# recording's frequencies and level.
set -euo pipefail
exe=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$VISTREL_WORLD/env"
tmp=$(mktemp -d)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$tmp"; }
trap cleanup EXIT
size() { stat -c %s "$tmp/rec.raw" 2>/dev/null || echo 0; }
# wait_size N: wait until the recording holds at least N bytes
wait_size() { for i in $(seq 200); do [ "$(size)" -ge "$1" ] && return 0; sleep 0.05; done; return 1; }

# The null sink's monitor delivers nothing while the sink is idle, so keep
# it running with silence; then the recording flows from the start.
pacat -p --raw --format=s16le --rate=44100 --channels=2 --latency-msec=20 < /dev/zero &
pids+=($!)
# A short latency, or parec holds seconds of sound back and loses them when ended.
parec -d out.monitor --format=s16le --rate=44100 --channels=2 --raw --latency-msec=20 \
  > "$tmp/rec.raw" &
rec=$!
pids+=($rec)
wait_size 17640 || { echo "the recording does not flow"; exit 1; }   # 0.1 s

"$here/../../scripts/wine-run.sh" "$exe"
# Let the recorder catch up: wait until another half second has arrived.
wait_size $(( $(size) + 88200 )) || true
kill -INT "$rec"; wait "$rec" 2>/dev/null || true
python3 "$here/analyze_tone.py" "$tmp/rec.raw"
