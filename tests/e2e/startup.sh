#!/usr/bin/env bash
# The launcher starts in a demo install and shows its 800x600 borderless window at 0,0
# with the menu picture.
# usage: startup.sh LAUNCHER DEMO_TOOL OUT_DIR
source "$(dirname "$0")/lib.sh"
e2e_setup "$1" "$2" "$3"
e2e_start
e2e_sign_in A ANNA
E2E_WINDOW=$(e2e_find_window '^Pelkor! Tazu v2\.1$')
[ -n "$E2E_WINDOW" ] || e2e_fail "no menu window"

geometry=$(xdotool getwindowgeometry "$E2E_WINDOW")
echo "$geometry"
grep -q "Position: 0,0" <<<"$geometry" || e2e_fail "window not at 0,0"
grep -q "Geometry: 800x600" <<<"$geometry" || e2e_fail "window not 800x600"
[ "$(xdotool getwindowname "$E2E_WINDOW")" = "Pelkor! Tazu v2.1" ] || e2e_fail "wrong caption"

# The reading subject's panel and the sky of the demo menu picture.
shot=$(e2e_wait_color startup 140 540 230 90 70)
e2e_expect_color "$shot" 300 150 150 200 250 40
e2e_stop
echo "PASS: startup ($shot)"
