#!/usr/bin/env bash
# Builds the launcher, makes a demo install folder when there is none, and starts the
# launcher inside it. Without a display a virtual X server is started first.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
./scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" --target pelkor-tazu tazu-demo-install tazu-activity

if [ ! -d demo-install ]; then
  echo "Creating the demo install folder demo-install/"
  build/bin/tazu-demo-install demo-install
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
