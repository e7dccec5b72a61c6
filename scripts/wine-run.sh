#!/usr/bin/env bash
# Runs a Windows program under Wine inside the private test world, with the
# Wine loader that matches the program (32 or 64 bits, read from its header).
# ctest uses it as the cross builds' emulator. With VISTREL_WORLD naming a
# running world it runs there; otherwise it starts a world of its own for
# this one call (the prefix is kept in a shared folder per architecture,
# calls take turns).
# VISTREL_NO_SOUND=1 runs the program as if no sound server existed.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine-arch.sh
. "$here/wine-arch.sh"

[ $# -ge 1 ] || { echo "usage: wine-run.sh PROGRAM.exe [ARGS...]" >&2; exit 2; }
arch=$(pe_arch "$1") || { echo "wine-run: $1 is not a Windows program" >&2; exit 2; }

if [ -z "${VISTREL_WORLD:-}" ] || [ ! -f "$VISTREL_WORLD/env" ]; then
  shared=${TMPDIR:-/tmp}/vistrel-world-$(id -u)-$arch
  mkdir -p "$shared"
  exec flock "$shared/lock" "$here/world.sh" exec "$shared" "$arch" -- "$here/wine-run.sh" "$@"
fi

# shellcheck disable=SC1091
. "$VISTREL_WORLD/env"
if [ "$WINEARCH" != "$arch" ]; then
  echo "wine-run: $1 is a $arch program, but the world $VISTREL_WORLD is $WINEARCH" >&2
  exit 2
fi
if [ "${VISTREL_NO_SOUND:-0}" = 1 ]; then
  export PULSE_SERVER=unix:$VISTREL_WORLD/run/no-such-server
fi
# Wine starts helper processes (desktop, services) that inherit our output.
# When that output is a pipe, whoever reads it (ctest) would wait for those
# helpers to end; so collect the output in a file and pass it on afterwards.
if [ -p /dev/stdout ] || [ -p /dev/stderr ]; then
  out=$(mktemp)
  rc=0
  "$WINELOADER" "$@" >"$out" 2>&1 || rc=$?
  cat "$out"
  rm -f "$out"
  exit $rc
fi
exec "$WINELOADER" "$@"
