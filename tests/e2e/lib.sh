# Helpers for scenario tests of the real launcher under a virtual X server.
# Source it, then call e2e_setup LAUNCHER DEMO_INSTALL_TOOL OUT_DIR.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../missing-package.sh"

E2E_XVFB_PID=""
E2E_APP_PID=""

e2e_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

e2e_cleanup() {
  if [ -n "$E2E_APP_PID" ]; then kill "$E2E_APP_PID" 2>/dev/null || true; fi
  if [ -n "$E2E_XVFB_PID" ]; then kill "$E2E_XVFB_PID" 2>/dev/null || true; fi
  if [ -n "${E2E_TMP:-}" ]; then rm -rf "$E2E_TMP"; fi
}

# e2e_setup LAUNCHER DEMO_TOOL OUT_DIR [SCREEN]: starts Xvfb and makes a demo install.
# A scenario that needs more tools than these asks for them with tazu_require first.
e2e_setup() {
  tazu_require Xvfb xdpyinfo xdotool import convert compare
  E2E_LAUNCHER=$(readlink -f "$1")
  E2E_DEMO_TOOL=$(readlink -f "$2")
  E2E_OUT=$3
  local screen=${4:-800x600x24}
  mkdir -p "$E2E_OUT"
  E2E_TMP=$(mktemp -d)
  trap e2e_cleanup EXIT
  # Xvfb picks a free display itself and writes its number to a file descriptor, so
  # scenarios running side by side never collide.
  local numberFile="$E2E_TMP/display"
  : >"$numberFile"
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
  E2E_XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$numberFile" ] && break
    sleep 0.05
  done
  [ -s "$numberFile" ] || e2e_fail "Xvfb did not start"
  export DISPLAY=":$(tr -d '[:space:]' <"$numberFile")"
  for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.05
  done
  xdpyinfo >/dev/null 2>&1 || e2e_fail "Xvfb did not answer on $DISPLAY"
  E2E_INSTALL="$E2E_TMP/install"
  "$E2E_DEMO_TOOL" "$E2E_INSTALL" >/dev/null
}

# e2e_find_window REGEX: the first window whose title matches (not the program's
# invisible application window, which carries the bare application title).
e2e_find_window() {
  xdotool search --name "$1" 2>/dev/null | head -n 1 || true
}

# e2e_start: starts the launcher in the demo install and waits for its window.
e2e_start() {
  # Machines here have no sound card: SDL's silent driver lets the music run. Each
  # scenario has its own runtime folder, so launchers of scenarios running side by side
  # do not take each other for a second copy.
  mkdir -m 700 -p "$E2E_TMP/runtime"
  (cd "$E2E_INSTALL" && SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}" \
    XDG_RUNTIME_DIR="$E2E_TMP/runtime" exec "$E2E_LAUNCHER" >"$E2E_OUT/launcher.log" 2>&1) &
  E2E_APP_PID=$!
  E2E_WINDOW=""
  for _ in $(seq 200); do
    E2E_WINDOW=$(e2e_find_window '^Pelkor! Tazu v2\.')
    [ -n "$E2E_WINDOW" ] && break
    kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "the launcher ended: $(cat "$E2E_OUT/launcher.log")"
    sleep 0.05
  done
  [ -n "$E2E_WINDOW" ] || e2e_fail "no launcher window appeared"
  sleep 0.3  # let the first frame reach the screen
}

e2e_move() { xdotool mousemove --sync "$1" "$2"; sleep 0.1; }
e2e_click() { xdotool mousemove --sync "$1" "$2" click 1; sleep 0.2; }

# e2e_sign_in LANGUAGE NAME: waits out the intro animation, chooses the language
# (A or E), types the name and presses R; the menu follows.
e2e_sign_in() {
  local language=$1 name=$2
  sleep "${E2E_ANIMATION_SECONDS:-8}"
  if [ "$language" = A ]; then e2e_click 100 100; else e2e_click 100 157; fi
  sleep 0.5
  [ -z "$name" ] || xdotool type --delay 60 "$name"
  sleep 0.3
  e2e_click 531 288
  sleep 1.5  # the morph of R, the sign-in and the greeting
}

# e2e_shot NAME: a PNG of the whole screen in OUT_DIR; prints its path.
e2e_shot() {
  local file="$E2E_OUT/$1.png"
  import -window root "$file"
  echo "$file"
}

# e2e_pixel FILE X Y: prints "R G B" of one pixel.
e2e_pixel() {
  convert "$1" -format '%[fx:int(255*p{'"$2"','"$3"'}.r)] %[fx:int(255*p{'"$2"','"$3"'}.g)] %[fx:int(255*p{'"$2"','"$3"'}.b)]' info:
}

# e2e_expect_color FILE X Y R G B [TOLERANCE]: fails unless the pixel is near the colour.
e2e_expect_color() {
  local file=$1 x=$2 y=$3 r=$4 g=$5 b=$6 tol=${7:-24}
  read -r pr pg pb <<<"$(e2e_pixel "$file" "$x" "$y")"
  local dr=$((pr - r)) dg=$((pg - g)) db=$((pb - b))
  if [ ${dr#-} -gt "$tol" ] || [ ${dg#-} -gt "$tol" ] || [ ${db#-} -gt "$tol" ]; then
    e2e_fail "pixel $x,$y of $(basename "$file") is $pr $pg $pb, expected about $r $g $b"
  fi
}

# e2e_stop: asks the launcher to end (SIGTERM) and waits for it.
e2e_stop() {
  kill -TERM "$E2E_APP_PID" 2>/dev/null || true
  for _ in $(seq 100); do
    kill -0 "$E2E_APP_PID" 2>/dev/null || break
    sleep 0.05
  done
  if kill -0 "$E2E_APP_PID" 2>/dev/null; then e2e_fail "the launcher did not end on SIGTERM"; fi
  wait "$E2E_APP_PID" 2>/dev/null || true
  E2E_APP_PID=""
}
