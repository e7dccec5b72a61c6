# Records what the private sound server plays while a command runs.
# Source it, then: record_sink_start; <run>; record_sink_stop. The raw
# s16le stereo 44100 Hz recording is in $REC_FILE afterwards.
# shellcheck shell=bash

REC_DIR=$(mktemp -d)
REC_FILE=$REC_DIR/rec.raw
rec_pids=()

record_sink_cleanup() {
  for p in "${rec_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$REC_DIR"
}

rec_size() { stat -c %s "$REC_FILE" 2>/dev/null || echo 0; }
# rec_wait_size N: wait until the recording holds at least N bytes.
rec_wait_size() { for _ in $(seq 200); do [ "$(rec_size)" -ge "$1" ] && return 0; sleep 0.05; done; return 1; }

record_sink_start() {
  # The null sink's monitor delivers nothing while the sink is idle, so
  # keep it running with silence; then the recording flows from the start.
  pacat -p --raw --format=s16le --rate=44100 --channels=2 --latency-msec=20 < /dev/zero &
  rec_pids+=($!)
  # A short latency, or parec holds seconds back and loses them when ended.
  parec -d out.monitor --format=s16le --rate=44100 --channels=2 --raw --latency-msec=20 \
    > "$REC_FILE" &
  REC_PID=$!
  rec_pids+=("$REC_PID")
  rec_wait_size 17640 || { echo "the recording does not flow"; return 1; }   # 0.1 s
}

record_sink_stop() {
  # Let the recorder catch up: wait until another half second has arrived.
  rec_wait_size $(( $(rec_size) + 88200 )) || true
  kill -INT "$REC_PID"; wait "$REC_PID" 2>/dev/null || true
}
