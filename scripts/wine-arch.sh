#!/usr/bin/env bash
# Which Wine runs which Windows program. Sourced by the world scripts.
# Debian's /usr/bin/wine picks the 32-bit loader whenever wine32 is
# installed, even on machines that cannot run it, so we call the loader of
# the architecture we want directly.

WINE_LOADER_win32=/usr/lib/wine/wine
WINE_LOADER_win64=/usr/lib/wine/wine64

wine_loader() {  # wine_loader ARCH: the loader's path
  case $1 in
    win32) echo "$WINE_LOADER_win32" ;;
    win64) echo "$WINE_LOADER_win64" ;;
    *) echo "unknown Windows architecture '$1'" >&2; return 1 ;;
  esac
}

# True when this machine runs 32-bit Windows programs: the 32-bit loader
# itself starts (some kernels run no 32-bit programs at all).
can_run_win32() {
  "$WINE_LOADER_win32" --version >/dev/null 2>&1
}

# pe_arch FILE: win32 or win64, from the machine field of the PE header.
pe_arch() {
  local off machine
  off=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$off" ] || return 1
  machine=$(od -An -tx2 -j$((off + 4)) -N2 "$1" | tr -d ' ')
  case $machine in
    014c) echo win32 ;;
    8664) echo win64 ;;
    *) return 1 ;;
  esac
}
