#!/usr/bin/env bash
# Builds the launcher, makes a demo install folder when there is none, and starts the
# launcher inside it. Without a display a virtual X server is started first.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
./scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)"

if [ ! -d demo-install ]; then
  echo "Creating the demo install folder demo-install/"
  build/bin/tazu-demo-install demo-install
fi

if [ -z "${DISPLAY:-}" ]; then
  display=":$((90 + RANDOM % 100))"
  echo "No display: starting a virtual X server (Xvfb $display, 800x600x24)"
  Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
  export DISPLAY="$display"
  for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
  done
fi

cd demo-install
"$root/build/bin/pelkor-tazu"
