#!/usr/bin/env bash
# Plays one minute of 44.1 kHz 16-bit stereo through the wave engine under
# Wine (in the private test world) and prints the process's CPU time and
# the sound clock's largest deviation from the wall clock; then plays the
# same sound straight through wave-out without the engine, to show what
# Wine's own sound path costs.
#   measure_audio_clock.sh WINDOWS_BUILD_DIR [SECONDS]
# Goals: under 2 % of one core, deviation under 40 ms.
set -euo pipefail
build=${1:?usage: measure_audio_clock.sh WINDOWS_BUILD_DIR [SECONDS]}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
exe=$build/tests/audio/audio_play_counter.exe
[ -f "$exe" ] || { echo "no $exe: build the target audio_play_counter first" >&2; exit 1; }
run() { "$here/../../scripts/wine-run.sh" "$exe" "$@" 2>&1 | grep -v '^ALSA lib'; }

out=$(run --seconds "$seconds" --source-hz 44100 --trace-ms 10000) || { echo "$out"; exit 1; }
echo "$out"
run --baseline --seconds "$seconds" --source-hz 44100 || true
cpu=$(sed -n 's/.*process CPU time.*(\([0-9.]*\) % of one core).*/\1/p' <<<"$out")
dev=$(sed -n 's/.*largest deviation from the wall clock \([0-9]*\) ms.*/\1/p' <<<"$out")
settled=$(sed -n 's/.*settled \([0-9]*\) ms.*/\1/p' <<<"$out")
awk -v cpu="$cpu" -v dev="$dev" -v settled="$settled" 'BEGIN {
  printf "CPU %.2f %% of one core (goal < 2 %%): %s\n", cpu, (cpu < 2 ? "met" : "NOT met")
  printf "clock deviation %d ms, settled %d ms (goal < 40 ms): %s\n", dev, settled,
         (dev < 40 ? "met" : (settled < 40 ? "met once settled" : "NOT met"))
}'
