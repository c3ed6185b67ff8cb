#!/usr/bin/env bash
# The launcher under a real window manager with a panel (openbox and tint2):
# - the window manager's close request on the intro screen, before anybody signed in,
#   ends the program through the advert screen; nobody is put on the roster and the
#   panel comes back;
# - with a damaged English name prompt a learner still types a name and signs in, and
#   no message box shows;
# - the menu covers the panel, gets out of an activity's way and comes back after it.
# usage: window-manager.sh LAUNCHER DEMO_TOOL OUT_DIR
source "$(dirname "$0")/lib.sh"
tazu_require openbox tint2 wmctrl xwininfo
e2e_setup "$1" "$2" "$3"
export TAZU_ACTIVITY_SECONDS=2
roster="$ALLUSERSPROFILE/documents/tazu_students.dat"

openbox --sm-disable >"$E2E_OUT/openbox.log" 2>&1 &
wm_pid=$!
tint2 >"$E2E_OUT/tint2.log" 2>&1 &
panel_pid=$!
trap 'kill $panel_pid $wm_pid 2>/dev/null || true; e2e_cleanup' EXIT
panel_mapped() {
  local id
  for id in $(xdotool search --class tint2 2>/dev/null); do
    xwininfo -id "$id" | grep -q 'Map State: IsViewable' && return 0
  done
  return 1
}
active_is() { [ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = "$1" ]; }
active_is_not() { ! active_is "$1"; }

e2e_wait wmctrl -m >/dev/null 2>&1 || e2e_fail "openbox did not start"
e2e_wait panel_mapped || e2e_fail "the tint2 panel did not appear"

# 1. Closed by the window manager on the first showing.
e2e_start
e2e_wait active_is "Pelkor! Tazu v2.0" || e2e_fail "the intro screen did not become active"
panel_mapped && e2e_fail "the panel stays above the launcher"
intro=$(e2e_wait_color intro-under-openbox 400 450 100 110 130)  # the console
e2e_expect_color "$intro" 20 590 30 30 70  # the starry sky where the panel lies
wmctrl -c :ACTIVE:
e2e_wait active_is "advertform" || e2e_fail "no advert screen after the close request"
advert=$(e2e_wait_color advert-after-close 150 100 39 40 120)  # the page's blue heading
wmctrl -c :ACTIVE:
e2e_wait e2e_ended || e2e_fail "the launcher did not end after the advert screen"
wait "$E2E_APP_PID" || e2e_fail "the launcher ended with status $?"
E2E_APP_PID=""
[ ! -s "$roster" ] || e2e_fail "the roster holds $(stat -c %s "$roster") bytes after a cancelled intro"
e2e_wait panel_mapped || e2e_fail "the panel is not back after the end"

# 2. A damaged name prompt: no box, the name goes in, the learner signs in.
printf 'RIFF\0\0\0\0WAVEjunk' >"$E2E_INSTALL/Sounds_eng/in2.wav"
e2e_start
e2e_wait active_is "Pelkor! Tazu v2.0" || e2e_fail "the intro screen did not come back"
e2e_sign_in E PIET
e2e_wait active_is "Pelkor! Tazu v2.1" || e2e_fail "the menu did not follow the intro"
# The reading panel of menu_0_E.jpg, with no box over it.
menu=$(e2e_wait_color menu-after-damaged-prompt 140 540 230 90 70)
[ "$(stat -c %s "$roster")" = 708 ] || e2e_fail "PIET is not on the roster"
grep -aq PIET "$roster" || e2e_fail "the roster record is not PIET's"
panel_mapped && e2e_fail "the panel shows above the menu"

# 3. An activity: the menu gets out of its way and comes back when it ends.
log="$E2E_INSTALL/activity.log"
e2e_click 300 340  # mathematics
e2e_click 30 290   # addition
e2e_wait test -s "$log" || e2e_fail "the activity did not start"
e2e_wait active_is_not "Pelkor! Tazu v2.1" || e2e_fail "the menu stayed in front of the activity"
e2e_wait active_is "Pelkor! Tazu v2.1" || e2e_fail "the menu did not come back after the activity"
back=$(e2e_wait_color menu-after-activity 100 262 255 255 255 40)  # mathematics still open
e2e_stop
e2e_wait panel_mapped || e2e_fail "the panel is not back after the end"
echo "PASS: window-manager ($intro $advert $menu $back)"
