#!/usr/bin/env bash
# Installs the Debian packages that are missing, for one purpose:
#   run      building and running the launcher, its tools and the demo (./run.sh)
#   test     also everything the tests, benchmarks, fuzzing and the package need
#            (./test.sh; the default)
#   windows  also the cross compiler, Wine and what the Windows libraries are built with
#            (scripts/test-windows.sh; --windows is the same)
# usage: install-deps.sh [run|test|windows]
set -euo pipefail

mode=${1:-test}
case "$mode" in
  run | test | windows) ;;
  --windows) mode=windows ;;
  *)
    echo "usage: install-deps.sh [run|test|windows]" >&2
    exit 2
    ;;
esac

# Building and running: the launcher, its fonts and sound font, and a virtual X server
# for machines without a display.
packages=(
  cmake g++ make pkg-config
  libsdl2-dev libsdl2-mixer-dev libfreetype-dev
  libjpeg-dev libpng-dev zlib1g-dev libfontconfig-dev libxrandr-dev libx11-dev libasound2-dev
  fonts-liberation2 fonts-urw-base35 fonts-dejavu-core fontconfig
  fluid-soundfont-gm
  xvfb
)
[ "$mode" = run ] || packages+=(
  git
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xdotool imagemagick x11-utils x11-xserver-utils xserver-xorg-video-dummy
  openbox wmctrl tint2 cage xwayland grim
  espeak-ng lhasa liblhasa-dev jlha-utils
  clang libclang-rt-14-dev
  dpkg-dev file
)
if [ "$mode" = windows ]; then
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

# What to do when this account cannot install packages itself.
cannot_install() {
  cat >&2 <<EOT

These packages are missing: ${missing[*]}

Installing them needs root, and $1.
Ask someone who administers this machine to run, as root:

  apt-get install --no-install-recommends ${missing[*]}

(or to run "$0 $mode" as root), then start this script again.
EOT
  exit 1
}

echo "Installing missing packages: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || cannot_install "this account is not root and sudo is not installed"
  SUDO="sudo"
fi
$SUDO apt-get update -qq || cannot_install "sudo did not let this account run apt-get"
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" ||
  cannot_install "apt-get could not install them (see its message above)"
