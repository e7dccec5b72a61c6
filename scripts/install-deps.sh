#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need. Idempotent: when
# everything is present it only checks and returns quietly.
set -euo pipefail

PKGS=(
  cmake make g++ googletest clang libclang-rt-14-dev libbenchmark-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev zlib1g-dev
  wine wine64 wine32:i386
  xvfb x11-utils imagemagick xdotool libx11-dev libxext-dev
  pulseaudio pulseaudio-utils
  python3 fonts-wine ffmpeg
)

missing=()
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "install-deps: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done"
