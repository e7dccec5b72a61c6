#!/usr/bin/env bash
# Runs a Windows program under Wine inside the private test world.
# ctest uses it as the cross build's emulator. With VISTREL_WORLD naming a
# running world it runs there; otherwise it starts a world of its own for
# this one call (the prefix is kept in a shared folder, calls take turns).
# VISTREL_NO_SOUND=1 runs the program as if no sound server existed.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

if [ -z "${VISTREL_WORLD:-}" ] || [ ! -f "$VISTREL_WORLD/env" ]; then
  shared=${TMPDIR:-/tmp}/vistrel-world-$(id -u)
  mkdir -p "$shared"
  exec flock "$shared/lock" "$here/world.sh" exec "$shared" -- "$here/wine-run.sh" "$@"
fi

# shellcheck disable=SC1091
. "$VISTREL_WORLD/env"
if [ "${VISTREL_NO_SOUND:-0}" = 1 ]; then
  export PULSE_SERVER=unix:$VISTREL_WORLD/run/no-such-server
fi
# Wine starts helper processes (desktop, services) that inherit our output.
# When that output is a pipe, whoever reads it (ctest) would wait for those
# helpers to end; so collect the output in a file and pass it on afterwards.
if [ -p /dev/stdout ] || [ -p /dev/stderr ]; then
  out=$(mktemp)
  rc=0
  wine "$@" >"$out" 2>&1 || rc=$?
  cat "$out"
  rm -f "$out"
  exit $rc
fi
exec wine "$@"
