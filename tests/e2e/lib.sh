# Helpers for scenario tests of the real launcher under a virtual X server.
# Source it, then call e2e_setup LAUNCHER DEMO_INSTALL_TOOL OUT_DIR.
#
# Nothing here waits a fixed time: every step waits for what it needs to see (a window,
# a pixel, a file) for up to E2E_PATIENCE seconds, so a busy machine only makes a
# scenario slower, and only a launcher that never gets there makes it fail.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../missing-package.sh"

E2E_XVFB_PID=""
E2E_APP_PID=""
E2E_PATIENCE=${E2E_PATIENCE:-60}

e2e_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

e2e_cleanup() {
  if [ -n "$E2E_APP_PID" ]; then kill "$E2E_APP_PID" 2>/dev/null || true; fi
  if [ -n "$E2E_XVFB_PID" ]; then kill "$E2E_XVFB_PID" 2>/dev/null || true; fi
  if [ -n "${E2E_TMP:-}" ]; then rm -rf "$E2E_TMP"; fi
}

# e2e_wait COMMAND...: true as soon as COMMAND succeeds (tried every 0.1 s), false when
# it has not within E2E_PATIENCE seconds.
e2e_wait() {
  local end=$((SECONDS + E2E_PATIENCE))
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# e2e_setup LAUNCHER DEMO_TOOL OUT_DIR [SCREEN]: starts Xvfb and makes a demo install.
# The launchers started here keep their roster in a profile folder of the scenario's
# own (ALLUSERSPROFILE), never in the machine's.
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
  export ALLUSERSPROFILE="$E2E_TMP/profile"
  mkdir -p "$ALLUSERSPROFILE"
  # Xvfb picks a free display itself and writes its number to a file descriptor, so
  # scenarios running side by side never collide.
  local numberFile="$E2E_TMP/display"
  : >"$numberFile"
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
  E2E_XVFB_PID=$!
  e2e_wait test -s "$numberFile" || e2e_fail "Xvfb did not start"
  export DISPLAY=":$(tr -d '[:space:]' <"$numberFile")"
  e2e_wait xdpyinfo >/dev/null 2>&1 || e2e_fail "Xvfb did not answer on $DISPLAY"
  E2E_INSTALL="$E2E_TMP/install"
  "$E2E_DEMO_TOOL" "$E2E_INSTALL" >/dev/null
}

# e2e_find_window REGEX: the first window whose title matches (not the program's
# invisible application window, which carries the bare application title).
e2e_find_window() {
  xdotool search --name "$1" 2>/dev/null | head -n 1 || true
}

# e2e_shown REGEX / e2e_gone REGEX: whether a window with a matching title is visible.
e2e_shown() { [ -n "$(xdotool search --onlyvisible --name "$1" 2>/dev/null || true)" ]; }
e2e_gone() { ! e2e_shown "$1"; }

# e2e_shown_window REGEX: waits for a visible window whose title matches; prints its id.
e2e_shown_window() {
  e2e_wait e2e_shown "$1" || e2e_fail "no window \"$1\" showed"
  xdotool search --onlyvisible --name "$1" | head -n 1
}

# e2e_running / e2e_ended: whether the launcher started by e2e_start still runs.
e2e_running() { kill -0 "$E2E_APP_PID" 2>/dev/null; }
e2e_ended() { ! e2e_running; }

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
  local end=$((SECONDS + E2E_PATIENCE))
  while :; do
    E2E_WINDOW=$(e2e_find_window '^Pelkor! Tazu v2\.')
    [ -z "$E2E_WINDOW" ] || break
    e2e_running || e2e_fail "the launcher ended: $(cat "$E2E_OUT/launcher.log")"
    [ "$SECONDS" -lt "$end" ] || e2e_fail "no launcher window appeared"
    sleep 0.1
  done
}

e2e_move() { xdotool mousemove --sync "$1" "$2"; }
e2e_click() { xdotool mousemove --sync "$1" "$2" click 1; }

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

# e2e_color_is FILE X Y R G B [TOLERANCE]: whether the pixel is near the colour.
e2e_color_is() {
  local file=$1 x=$2 y=$3 r=$4 g=$5 b=$6 tol=${7:-24} pr pg pb
  [ -s "$file" ] || return 1
  read -r pr pg pb <<<"$(e2e_pixel "$file" "$x" "$y" 2>/dev/null)" || return 1
  [ -n "$pb" ] || return 1
  local dr=$((pr - r)) dg=$((pg - g)) db=$((pb - b))
  [ ${dr#-} -le "$tol" ] && [ ${dg#-} -le "$tol" ] && [ ${db#-} -le "$tol" ]
}

# e2e_expect_color FILE X Y R G B [TOLERANCE]: fails unless the pixel is near the colour.
e2e_expect_color() {
  e2e_color_is "$@" ||
    e2e_fail "pixel $2,$3 of $(basename "$1") is $(e2e_pixel "$1" "$2" "$3" 2>/dev/null), expected about $4 $5 $6"
}

# e2e_wait_shot NAME CHECK [ARGS...]: takes shots of the screen until `CHECK FILE ARGS...`
# accepts one; prints the shot's path. False after E2E_PATIENCE seconds (the last shot
# is kept).
e2e_wait_shot() {
  local name=$1 check=$2 file end=$((SECONDS + E2E_PATIENCE))
  shift 2
  while :; do
    file=$(e2e_shot "$name")
    if "$check" "$file" "$@"; then
      echo "$file"
      return 0
    fi
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
}

# e2e_wait_color NAME X Y R G B [TOLERANCE]: waits until the screen shows the colour at
# X,Y and prints the path of that shot; fails with the last colour seen otherwise.
e2e_wait_color() {
  local name=$1
  shift
  e2e_wait_shot "$name" e2e_color_is "$@" || e2e_expect_color "$E2E_OUT/$name.png" "$@"
}

# e2e_window_color NAME REGEX DX DY R G B [TOLERANCE]: waits for a visible window whose
# title matches and for the colour at DX,DY inside it; prints the shot's path.
e2e_window_color() {
  local name=$1 regex=$2 dx=$3 dy=$4 window X Y WIDTH HEIGHT SCREEN
  shift 4
  window=$(e2e_shown_window "$regex")
  eval "$(xdotool getwindowgeometry --shell "$window")"
  e2e_wait_color "$name" $((X + dx)) $((Y + dy)) "$@"
}

# e2e_finish_activity NAME: the stand-in activity a click started (without
# TAZU_ACTIVITY_SECONDS its window stays until Finish is pressed): waits for its window
# and its blue title bar, keeps that shot as NAME and prints its path, presses Finish,
# and waits until the launcher has taken the end in: it collects its ended child at
# the check that brings the menu back (until then the child stays a zombie).
e2e_finish_activity() {
  local regex='^Pelkor Tazu activity$' shot window pid X Y WIDTH HEIGHT SCREEN
  shot=$(e2e_window_color "$1" "$regex" 200 12 0 84 153 40)
  window=$(e2e_shown_window "$regex")
  pid=$(xdotool getwindowpid "$window")
  eval "$(xdotool getwindowgeometry --shell "$window")"
  e2e_click $((X + WIDTH - 12 - 45)) $((Y + HEIGHT - 12 - 14))  # Finish
  e2e_wait e2e_gone "$regex" || e2e_fail "the activity did not end on Finish"
  e2e_wait test ! -e "/proc/$pid" || e2e_fail "the launcher did not take in the end of the activity"
  e2e_wait e2e_shown '^Pelkor! Tazu v2\.1$' || e2e_fail "the menu did not come back"
  echo "$shot"
}

# e2e_sign_in LANGUAGE NAME: waits for the intro's language choice, chooses the
# language (A or E), types the name into the name board and presses R; returns once
# the menu shows and, for a name, the learner is on the scenario's roster.
e2e_sign_in() {
  local language=$1 name=$2
  # The blue Afrikaans lamp of intro1.jpg: the animation is over.
  e2e_wait_color languages 30 100 60 120 255 40 >/dev/null
  if [ "$language" = A ]; then e2e_click 100 100; else e2e_click 100 157; fi
  e2e_wait_color nameboard 400 178 0 128 0 60 >/dev/null  # the green name field
  [ -z "$name" ] || xdotool type --delay 60 "$name"
  e2e_click 531 288
  e2e_wait e2e_gone '^Pelkor! Tazu v2\.0$' || e2e_fail "the intro screen did not close"
  # The reading panel of the menu picture, in either language.
  e2e_wait_color signed-in 140 540 230 90 70 >/dev/null
  [ -n "$name" ] || return 0
  local roster="$ALLUSERSPROFILE/documents/tazu_students.dat"
  e2e_wait grep -qai "$name" "$roster" 2>/dev/null || e2e_fail "$name is not on the roster $roster"
}

# e2e_stop: asks the launcher to end (SIGTERM) and waits for it.
e2e_stop() {
  kill -TERM "$E2E_APP_PID" 2>/dev/null || true
  e2e_wait e2e_ended || e2e_fail "the launcher did not end on SIGTERM"
  wait "$E2E_APP_PID" 2>/dev/null || true
  E2E_APP_PID=""
}
