#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, only those missing.
# usage: install-deps.sh [--windows]
set -euo pipefail

packages=(
  cmake g++ make pkg-config git
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libsdl2-mixer-dev libfreetype-dev
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libfontconfig-dev libxrandr-dev libx11-dev libasound2-dev
  fonts-liberation2 fonts-urw-base35 fonts-dejavu-core fontconfig
  fluid-soundfont-gm
  xvfb xdotool imagemagick x11-utils x11-xserver-utils xserver-xorg-video-dummy
  openbox wmctrl tint2 cage xwayland grim
  espeak-ng lhasa liblhasa-dev jlha-utils
  clang libclang-rt-14-dev
  dpkg-dev file
)

# --windows: also the cross compiler, Wine and what the Windows libraries are built with.
if [ "${1:-}" = --windows ]; then
  packages+=(g++-mingw-w64-x86-64 wine wine64 nasm unzip)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
