#!/usr/bin/env bash
# Plays the sample counter through the wave engine while recording the
# sound server, then checks that the recording holds exactly the source's
# frames: one unbroken run from the start, or with --seek-ms T a run from
# the start (cut by the stop) and then an unbroken run from the sample of
# T to the last one, with no gap, repeat or reordering.
#   record_counter_test.sh PROGRAM [program arguments]
set -euo pipefail
exe=$1; shift
here=$(cd "$(dirname "$0")" && pwd)
. "$VISTREL_WORLD/env"
. "$here/record_sink.sh"
trap record_sink_cleanup EXIT

record_sink_start
"$here/../../scripts/wine-run.sh" "$exe" "$@"
record_sink_stop
python3 "$here/analyze_counter.py" "$REC_FILE" "$@"
