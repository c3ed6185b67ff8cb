#!/usr/bin/env bash
# The intro in the demo install: the animation plays on the console's monitor, the
# language choice follows, and a child's path (English, a name, R) leads to the menu.
# usage: intro.sh LAUNCHER DEMO_TOOL OUT_DIR
source "$(dirname "$0")/lib.sh"
e2e_setup "$1" "$2" "$3"
e2e_start

sleep 1
first=$(e2e_shot animation-1)
sleep 1
second=$(e2e_shot animation-2)
# The frames move: the monitor area differs between the two moments.
a=$(convert "$first" -crop 403x324+293+19 +repage -format '%#' info:)
b=$(convert "$second" -crop 403x324+293+19 +repage -format '%#' info:)
[ "$a" != "$b" ] || e2e_fail "the monitor showed the same picture twice"

sleep 7
languages=$(e2e_shot languages)
e2e_expect_color "$languages" 30 100 60 120 255 40  # the blue Afrikaans lamp of intro1.jpg

e2e_click 100 157  # English
sleep 0.5
xdotool type --delay 60 "piet"
sleep 0.3
e2e_move 531 288   # R: its hint appears after a short rest
sleep 1.5
board=$(e2e_shot nameboard)
e2e_expect_color "$board" 400 178 0 128 0 60  # the green name field

e2e_click 531 288
sleep 1.5
menu=$(e2e_shot menu)
e2e_expect_color "$menu" 140 540 230 90 70  # the reading panel of menu_0_E.jpg
e2e_stop
echo "PASS: intro"
