#!/usr/bin/env bash
# Starting an activity from the menu in the demo install: the stand-in program starts
# about 50 ms after the click with the six-field parameter string, the menu gets out of
# the way, and comes back with the same subject open when the program ends; a missing
# program is reported and the next click works. (Two clicks within the 50 ms are left
# to the unit tests: xdotool cannot promise that timing on a busy machine.)
# usage: activity.sh LAUNCHER DEMO_TOOL OUT_DIR
source "$(dirname "$0")/lib.sh"
e2e_setup "$1" "$2" "$3"
export TAZU_ACTIVITY_SECONDS=2
e2e_start
e2e_sign_in E PIET
log="$E2E_INSTALL/activity.log"

e2e_click 300 340  # mathematics
e2e_click 30 290   # its third entry: addition
for _ in $(seq 40); do [ -s "$log" ] && break; sleep 0.1; done
[ -s "$log" ] || e2e_fail "the activity did not start"
line=$(head -n 1 "$log")
program=$(cut -f1 <<<"$line")
case "$program" in
  */wiskundeoptel/optel.exe) ;;
  *) e2e_fail "started $program" ;;
esac
expected=$(printf '*%s\\#\t*PIET#\t*#\t*#\t*TRUE#\t*ENG#' "$(cd "$E2E_INSTALL" && pwd)")
[ "$(cut -f2- <<<"$line")" = "$expected" ] || e2e_fail "arguments were: $(cut -f2- <<<"$line")"
running=$(e2e_shot activity-running)

sleep 3  # the stand-in ends after two seconds; the menu comes back
back=$(e2e_shot menu-back)
e2e_expect_color "$back" 100 262 255 255 255 40  # the open sub-menu of mathematics

# A missing program: the message, then the next click works.
rm "$E2E_INSTALL/wiskundeoptel/optel.exe"
: >"$log"
e2e_click 30 290
sleep 0.8
missing=$(e2e_shot missing-program)
xdotool key Return
sleep 0.5
e2e_click 30 195
for _ in $(seq 40); do [ -s "$log" ] && break; sleep 0.1; done
grep -q '/wiskundemaal/wiskundemaal.exe' "$log" || e2e_fail "the click after the message started nothing"
sleep 3
e2e_stop
echo "PASS: activity ($running $back $missing)"
