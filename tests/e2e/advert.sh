#!/usr/bin/env bash
# The advert screen of the demo install, shown by tazu-advert-preview as the menu shows
# it: the page opens at its top, the mouse wheel and a drag of the handle scroll it,
# and the exit button ends the screen.
# usage: advert.sh ADVERT_PREVIEW DEMO_TOOL OUT_DIR
source "$(dirname "$0")/lib.sh"
e2e_setup "$1" "$2" "$3"

# The viewer lies at 77,64 (642x475); its vertical bar is the 16 pixels at its right.
readonly BAR_X=711
readonly PAGE_X=400

(cd "$E2E_INSTALL" && exec "$E2E_LAUNCHER" "$E2E_INSTALL" E >"$E2E_OUT/preview.log" 2>&1) &
E2E_APP_PID=$!
e2e_wait e2e_shown "^advertform$" || e2e_fail "no advert window appeared: $(cat "$E2E_OUT/preview.log")"

# e2e_same A B X Y W H: true when the two shots agree in that rectangle.
e2e_same() {
  local diff
  diff=$(compare -metric AE -extract "$5x$6+$3+$4" "$1" "$2" null: 2>&1 || true)
  [ "${diff%% *}" = "0" ]
}
e2e_differs() { ! e2e_same "$@"; }
readonly PAGE_AREA="77 64 626 475"

# The page's dark blue banner at the top of the viewer, the green bar with its yellow
# handle at the top, and the demo background around the viewer.
at_top() {
  e2e_color_is "$1" "$PAGE_X" 80 40 40 120 30 && e2e_color_is "$1" "$BAR_X" 530 0 128 0 30 &&
    e2e_color_is "$1" "$BAR_X" 70 255 255 0 40
}
top=$(e2e_wait_shot 1-top at_top) || top="$E2E_OUT/1-top.png"
e2e_expect_color "$top" "$PAGE_X" 80 40 40 120 30
e2e_expect_color "$top" "$BAR_X" 530 0 128 0 30
e2e_expect_color "$top" "$BAR_X" 70 255 255 0 40

# Three notches of the wheel down: the banner goes up, and where it was the first
# section's red panel shows now.
e2e_move "$PAGE_X" 300
xdotool click 5 click 5 click 5
e2e_expect_color "$top" 140 180 40 40 120 30
wheel=$(e2e_wait_color 2-wheel 140 180 230 90 70 40)
e2e_differs "$top" "$wheel" $PAGE_AREA || e2e_fail "the wheel did not scroll the page"

# Back up with the wheel: the page is where it started.
xdotool click 4 click 4 click 4 click 4
e2e_wait_shot 3-wheel-back e2e_same "$top" $PAGE_AREA >/dev/null ||
  e2e_fail "the wheel up did not bring the top back"

# Drag the handle from the top to the bottom of the bar: the end of the page (the last
# panel's purple, then the cream ground of the closing line) and the handle at the
# bottom.
xdotool mousemove --sync "$BAR_X" 72 mousedown 1
for y in 150 300 450 600; do
  xdotool mousemove --sync "$BAR_X" "$y"
done
xdotool mouseup 1
at_end() {
  e2e_color_is "$1" 140 420 170 100 210 40 && e2e_color_is "$1" 100 530 255 252 235 30 &&
    e2e_color_is "$1" "$BAR_X" 530 255 255 0 40 && e2e_color_is "$1" "$BAR_X" 70 0 128 0 30
}
dragged=$(e2e_wait_shot 4-dragged at_end) || dragged="$E2E_OUT/4-dragged.png"
e2e_differs "$top" "$dragged" $PAGE_AREA || e2e_fail "dragging the handle did not scroll"
e2e_expect_color "$dragged" 140 420 170 100 210 40
e2e_expect_color "$dragged" 100 530 255 252 235 30
e2e_expect_color "$dragged" "$BAR_X" 530 255 255 0 40
e2e_expect_color "$dragged" "$BAR_X" 70 0 128 0 30

# The exit button ends the screen, and with it the preview.
e2e_click 762 572
e2e_wait e2e_ended || e2e_fail "the exit button did not close the screen"
wait "$E2E_APP_PID" || e2e_fail "the preview failed: $(cat "$E2E_OUT/preview.log")"
E2E_APP_PID=""
grep -q "advert screen closed" "$E2E_OUT/preview.log" || e2e_fail "no closing line in the log"
echo "PASS: advert"
