#!/usr/bin/env bash
# Starting an activity from the menu in the demo install: the stand-in program starts
# about 50 ms after the click with the six-field parameter string, the menu gets out of
# the way, and comes back with the same subject open when the program ends; a missing
# program is reported and the next click works. (Two clicks within the 50 ms are left
# to the unit tests: xdotool cannot promise that timing on a busy machine.)
# usage: activity.sh LAUNCHER DEMO_TOOL OUT_DIR
source "$(dirname "$0")/lib.sh"
e2e_setup "$1" "$2" "$3"
e2e_start
e2e_sign_in E PIET
log="$E2E_INSTALL/activity.log"

e2e_click 300 340  # mathematics
e2e_click 30 290   # its third entry: addition
e2e_wait test -s "$log" || e2e_fail "the activity did not start"
line=$(head -n 1 "$log")
program=$(cut -f1 <<<"$line")
case "$program" in
  */wiskundeoptel/optel.exe) ;;
  *) e2e_fail "started $program" ;;
esac
expected=$(printf '*%s\\#\t*PIET#\t*#\t*#\t*TRUE#\t*ENG#' "$(cd "$E2E_INSTALL" && pwd)")
[ "$(cut -f2- <<<"$line")" = "$expected" ] || e2e_fail "arguments were: $(cut -f2- <<<"$line")"
# The stand-in's window; when it ends, the menu comes back.
running=$(e2e_finish_activity activity-running)
# The open sub-menu of mathematics, and the sky where the activity's window was.
back_again() { e2e_color_is "$1" 100 262 255 255 255 40 && e2e_color_is "$1" 400 195 150 200 250 40; }
back=$(e2e_wait_shot menu-back back_again) || back="$E2E_OUT/menu-back.png"
e2e_expect_color "$back" 100 262 255 255 255 40
e2e_expect_color "$back" 400 195 150 200 250 40

# A missing program: the message, then the next click works.
rm "$E2E_INSTALL/wiskundeoptel/optel.exe"
: >"$log"
e2e_click 30 290
missing=$(e2e_window_color missing-program '^Pelkor Tazu$' 200 8 0 84 153 40)  # its title bar
xdotool key Return
e2e_wait e2e_gone '^Pelkor Tazu$' || e2e_fail "the message did not close"
e2e_click 30 195
e2e_wait test -s "$log" || e2e_fail "the click after the message started nothing"
grep -q '/wiskundemaal/wiskundemaal.exe' "$log" || e2e_fail "the click after the message started $(cat "$log")"
e2e_finish_activity second-activity >/dev/null
e2e_stop
echo "PASS: activity ($running $back $missing)"
