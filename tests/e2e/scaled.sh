#!/usr/bin/env bash
# A 1024x768 screen with no 800x600 mode: the launcher shows its picture scaled 1.28
# times over the whole screen, and a child signs in by clicking where the scaled
# picture shows the controls. The roster goes to the scenario's own profile folder.
# usage: scaled.sh LAUNCHER DEMO_TOOL OUT_DIR
source "$(dirname "$0")/lib.sh"
e2e_setup "$1" "$2" "$3" 1024x768x24
export ALLUSERSPROFILE="$E2E_TMP/profile"
mkdir -p "$ALLUSERSPROFILE"

readonly kScale=1.28
# scaled X Y: the screen position of the picture's point X,Y (pixel centres).
scaled() { awk -v x="$1" -v y="$2" -v s="$kScale" 'BEGIN { printf "%d %d", (x + 0.5) * s, (y + 0.5) * s }'; }

# screen_color X Y: "R G B" of one screen pixel now.
screen_color() {
  local file="$E2E_TMP/pixel.png"
  import -window root -crop "1x1+$1+$2" +repage "$file"
  convert "$file" -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:
}

# near "R G B" R G B TOLERANCE: whether the colour is within TOLERANCE in each channel.
near() {
  local pr pg pb
  read -r pr pg pb <<<"$1"
  local dr=$((pr - $2)) dg=$((pg - $3)) db=$((pb - $4))
  [ ${dr#-} -le "$5" ] && [ ${dg#-} -le "$5" ] && [ ${db#-} -le "$5" ]
}

# wait_color WHAT X Y R G B [TOLERANCE]: waits (up to 40 s) until the picture's point
# X,Y shows the colour on the screen, scaled.
wait_color() {
  local what=$1 tol=${7:-40} sx sy seen=""
  read -r sx sy <<<"$(scaled "$2" "$3")"
  for _ in $(seq 400); do
    seen=$(screen_color "$sx" "$sy")
    near "$seen" "$4" "$5" "$6" "$tol" && return 0
    kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "the launcher ended while waiting for $what"
    sleep 0.1
  done
  e2e_shot "timeout" >/dev/null
  e2e_fail "$what never showed at $sx,$sy (last $seen, expected about $4 $5 $6)"
}

click_scaled() {
  local sx sy
  read -r sx sy <<<"$(scaled "$1" "$2")"
  xdotool mousemove --sync "$sx" "$sy" click 1
}

e2e_start
# The window covers the whole screen; the screen itself keeps its size.
eval "$(xdotool getwindowgeometry --shell "$E2E_WINDOW")"
[ "$X,$Y ${WIDTH}x$HEIGHT" = "0,0 1024x768" ] ||
  e2e_fail "the window is at $X,$Y ${WIDTH}x$HEIGHT, not 0,0 1024x768"
screen=$(xdpyinfo | sed -n 's/.*dimensions: *\([0-9x]*\) pixels.*/\1/p')
[ "$screen" = 1024x768 ] || e2e_fail "the screen is $screen now"

# The language choice: intro1.jpg enlarged to the whole screen (compared beside and
# below the console, where the last frame, the lights and the mute button do not lie).
wait_color "the Afrikaans lamp" 30 100 60 120 255
languages=$(e2e_shot languages)
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
wait_color "the name field" 400 178 0 128 0 60
xdotool type --delay 40 "piet"
click_scaled 531 288  # R
wait_color "the menu's reading panel" 140 540 230 90 70
e2e_shot menu >/dev/null

# The learner was recorded in the scenario's own roster.
roster="$ALLUSERSPROFILE/documents/tazu_students.dat"
[ -f "$roster" ] || e2e_fail "no roster at $roster"
grep -qai piet "$roster" || e2e_fail "the roster does not hold the learner"

e2e_stop
echo "PASS: scaled"
