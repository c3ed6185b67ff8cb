#!/usr/bin/env bash
# The intro in the demo install: the animation plays on the console's monitor, the
# language choice follows, and a child's path (English, a name, R) leads to the menu.
# usage: intro.sh LAUNCHER DEMO_TOOL OUT_DIR
source "$(dirname "$0")/lib.sh"
e2e_setup "$1" "$2" "$3"
e2e_start

# The frames move on the monitor while the animation's dark background still shows
# beside the console.
monitor() { convert "$1" -crop 403x324+293+19 +repage -format '%#' info:; }
moved() { e2e_color_is "$1" 30 100 30 30 70 20 && [ "$(monitor "$1")" != "$2" ]; }
first=$(e2e_wait_color animation-1 30 100 30 30 70 20)
e2e_wait_shot animation-2 moved "$(monitor "$first")" >/dev/null ||
  e2e_fail "the monitor showed the same picture until the animation ended"

languages=$(e2e_wait_color languages 30 100 60 120 255 40)  # the blue Afrikaans lamp of intro1.jpg

e2e_click 100 157  # English
board=$(e2e_wait_color nameboard 400 178 0 128 0 60)  # the green name field
xdotool type --delay 60 "piet"
e2e_click 531 288  # R
e2e_wait e2e_gone '^Pelkor! Tazu v2\.0$' || e2e_fail "the intro screen did not close"
menu=$(e2e_wait_color menu 140 540 230 90 70)  # the reading panel of menu_0_E.jpg
e2e_wait grep -qa PIET "$ALLUSERSPROFILE/documents/tazu_students.dat" ||
  e2e_fail "the learner is not on the roster"
e2e_stop
echo "PASS: intro ($languages $board $menu)"
