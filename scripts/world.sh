#!/usr/bin/env bash
# The private world that Windows programs run in for tests and for `run`:
# a Wine prefix, an Xvfb display and a PulseAudio daemon with a null sink,
# all kept under one folder and ended by their own process ids.
#
#   world.sh start DIR [ARCH]        start the world (prefix is created once
#                                    per architecture and reused)
#   world.sh stop DIR                end what `start` started
#   world.sh exec DIR [ARCH] -- CMD  start, run CMD inside, stop; exit code of CMD
#   world.sh env DIR                 print the environment (export lines)
#
# ARCH is win32 or win64 (default win32): the Windows programs run there, and
# so which Wine loader runs them (WINELOADER in the environment).
#
# Options through the environment:
#   VISTREL_DISPLAY=:N   use this existing X display instead of a private Xvfb
#   VISTREL_SCREEN=WxHxD size of the private screen (default 1280x1024x24)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=wine-arch.sh
. "$here/wine-arch.sh"

die() { echo "world: $*" >&2; exit 1; }

wait_for() {  # wait_for SECONDS CMD... : poll until CMD succeeds
  local limit=$(( $1 * 10 )); shift
  for ((i = 0; i < limit; i++)); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

write_env() {
  local dir=$1 display=$2 arch=$3 loader
  loader=$(wine_loader "$arch")
  cat > "$dir/env" <<EOT
export DISPLAY=$display
export WINEPREFIX=$dir/prefix-$arch
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export WINEARCH=$arch
export WINELOADER=$loader
export XDG_RUNTIME_DIR=$dir/run
export PULSE_SERVER=unix:$dir/run/pulse/native
export PULSE_COOKIE=$dir/home/.config/pulse/cookie
export PULSE_CLIENTCONFIG=$dir/client.conf
export VISTREL_WORLD=$dir
EOT
}

start() {
  local dir=$1 arch=${2:-win32}
  wine_loader "$arch" >/dev/null || die "unknown architecture $arch"
  mkdir -p "$dir/home" "$dir/run"
  chmod 700 "$dir/run"
  dir=$(cd "$dir" && pwd)
  [ -f "$dir/pids" ] && stop "$dir" 2>/dev/null || true
  : > "$dir/pids"
  # Clients must never start a sound server of their own.
  printf 'autospawn = no\n' > "$dir/client.conf"

  local display
  if [ -n "${VISTREL_DISPLAY:-}" ]; then
    display=$VISTREL_DISPLAY
  else
    rm -f "$dir/display"
    Xvfb -displayfd 3 -screen 0 "${VISTREL_SCREEN:-1280x1024x24}" -nolisten tcp \
      3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
    echo "xvfb $!" >> "$dir/pids"
    wait_for 20 test -s "$dir/display" || die "Xvfb did not start (see $dir/xvfb.log)"
    display=:$(tr -d '\n' < "$dir/display")
  fi
  write_env "$dir" "$display" "$arch"

  rm -rf "$dir/run/pulse"
  HOME=$dir/home XDG_RUNTIME_DIR=$dir/run \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit \
      --load="module-null-sink sink_name=out" --load=module-native-protocol-unix \
      >"$dir/pulse.log" 2>&1 &
  echo "pulse $!" >> "$dir/pids"
  # shellcheck disable=SC1091
  ( . "$dir/env"; wait_for 20 pactl info ) || die "PulseAudio did not start (see $dir/pulse.log)"

  (
    . "$dir/env"
    if [ ! -f "$WINEPREFIX/.vistrel-ready" ]; then
      "$WINELOADER" wineboot --init >"$dir/wineboot.log" 2>&1 ||
        die "wineboot failed (see $dir/wineboot.log)"
      # Without a window manager, managed windows cost Wine about two
      # seconds whenever one is hidden or destroyed; unmanaged ones do not.
      "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
        >>"$dir/wineboot.log" 2>&1
      wineserver -w
      touch "$WINEPREFIX/.vistrel-ready"
    fi
    # One server for the whole run: a cold Wine start costs seconds per process.
    wineserver -f -p >"$dir/wineserver.log" 2>&1 &
    echo "wineserver $!" >> "$dir/pids"
  )
}

stop() {
  local dir=$1
  [ -f "$dir/pids" ] || return 0
  # Wine's own helper processes of this prefix go with its server.
  if [ -f "$dir/env" ]; then
    ( . "$dir/env"; timeout 20 wineserver -k ) >/dev/null 2>&1 || true
  fi
  # Then our own processes in reverse order: Wine, sound, display.
  local pids
  pids=$(awk '{ print $2 }' "$dir/pids" | tac)
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  for pid in $pids; do
    for ((i = 0; i < 50; i++)); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  done
  rm -f "$dir/pids"
}

cmd=${1:-}; dir=${2:-}
[ -n "$cmd" ] && [ -n "$dir" ] || die "usage: world.sh start|stop|env|exec DIR [-- CMD...]"
case $cmd in
  start) start "$dir" "${3:-win32}" ;;
  stop)  stop "$dir" ;;
  env)   cat "$dir/env" ;;
  exec)
    shift 2
    arch=win32
    if [ -n "${1:-}" ] && [ "$1" != "--" ]; then arch=$1; shift; fi
    [ "${1:-}" = "--" ] && shift
    start "$dir" "$arch"
    trap 'stop "$dir"' EXIT
    ( . "$dir/env"; "$@" )
    ;;
  *) die "unknown command $cmd" ;;
esac
