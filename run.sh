#!/usr/bin/env bash
# Builds the launcher, its tools and the stand-in activity (not the tests: ./test.sh
# builds those), makes a demo install folder when there is none, and starts the
# launcher inside it. Without a display a virtual X server is started first.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
./scripts/install-deps.sh run
cmake --preset run >/dev/null
cmake --build --preset run -j"$(nproc)"

if [ ! -d demo-install ]; then
  echo "Creating the demo install folder demo-install/"
  build/bin/tazu-demo-install demo-install
fi

if [ -z "${DISPLAY:-}" ] && [ -n "${WAYLAND_DISPLAY:-}" ]; then
  # The launcher is an X program: on Wayland it runs through XWayland, which this
  # session does not offer.
  echo "This Wayland session has no X server for the launcher (DISPLAY is not set)." >&2
  echo "Install xwayland (apt-get install xwayland), log in again and start ./run.sh again." >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ]; then
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true; rm -f "$number_file"' EXIT
  for _ in $(seq 100); do
    [ -s "$number_file" ] && break
    sleep 0.05
  done
  export DISPLAY=":$(tr -d '[:space:]' <"$number_file")"
  echo "No display: started a virtual X server (Xvfb $DISPLAY, 800x600x24)"
fi

cd demo-install
"$root/build/bin/pelkor-tazu"
