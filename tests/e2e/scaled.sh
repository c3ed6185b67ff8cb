#!/usr/bin/env bash
# A 1024x768 screen with no 800x600 mode: the launcher shows its picture scaled 1.28
# times over the whole screen, and a child signs in by clicking where the scaled
# picture shows the controls. The roster goes to the scenario's own profile folder.
# usage: scaled.sh LAUNCHER DEMO_TOOL OUT_DIR
source "$(dirname "$0")/lib.sh"
e2e_setup "$1" "$2" "$3" 1024x768x24

readonly kScale=1.28
# scaled X Y: the screen position of the picture's point X,Y (pixel centres).
scaled() { awk -v x="$1" -v y="$2" -v s="$kScale" 'BEGIN { printf "%d %d", (x + 0.5) * s, (y + 0.5) * s }'; }

# wait_scaled NAME X Y R G B [TOLERANCE]: waits until the picture's point X,Y shows the
# colour at its scaled place; prints the path of that shot.
wait_scaled() {
  local name=$1 sx sy
  read -r sx sy <<<"$(scaled "$2" "$3")"
  shift 3
  e2e_wait_color "$name" "$sx" "$sy" "$@"
}

click_scaled() {
  local sx sy
  read -r sx sy <<<"$(scaled "$1" "$2")"
  xdotool mousemove --sync "$sx" "$sy" click 1
}

e2e_start
# The window covers the whole screen once shown (it is made at the picture's size and
# placed over the screen when the scaled presentation starts); the screen keeps its size.
window=$(e2e_shown_window '^Pelkor! Tazu v2\.')
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$X,$Y ${WIDTH}x$HEIGHT" = "0,0 1024x768" ] ||
  e2e_fail "the window is at $X,$Y ${WIDTH}x$HEIGHT, not 0,0 1024x768"
screen=$(xdpyinfo | sed -n 's/.*dimensions: *\([0-9x]*\) pixels.*/\1/p')
[ "$screen" = 1024x768 ] || e2e_fail "the screen is $screen now"

# The language choice: intro1.jpg enlarged to the whole screen (compared beside and
# below the console, where the last frame, the lights and the mute button do not lie).
languages=$(wait_scaled languages 30 100 60 120 255 40)  # the blue Afrikaans lamp
convert "$E2E_INSTALL/menu/intro1.jpg" -resize 1024x768! "$E2E_TMP/intro1-scaled.png"
for area in 330x518+0+0 760x250+0+518; do
  convert "$languages" -crop "$area" +repage "$E2E_TMP/shown.png"
  convert "$E2E_TMP/intro1-scaled.png" -crop "$area" +repage "$E2E_TMP/expected.png"
  difference=$({ compare -metric RMSE "$E2E_TMP/shown.png" "$E2E_TMP/expected.png" null: 2>&1 ||
    true; } | sed 's/.*(\(.*\))/\1/')
  awk -v d="$difference" 'BEGIN { exit !(d < 0.02) }' ||
    e2e_fail "the language choice ($area) is not intro1.jpg at 1.28 times (RMSE $difference)"
done

click_scaled 100 157  # English
wait_scaled nameboard 400 178 0 128 0 60 >/dev/null  # the green name field
xdotool type --delay 40 "piet"
click_scaled 531 288  # R
wait_scaled menu 140 540 230 90 70 >/dev/null  # the reading panel of menu_0_E.jpg

# The learner was recorded in the scenario's own roster.
roster="$ALLUSERSPROFILE/documents/tazu_students.dat"
[ -f "$roster" ] || e2e_fail "no roster at $roster"
grep -qai piet "$roster" || e2e_fail "the roster does not hold the learner"

e2e_stop
echo "PASS: scaled"
