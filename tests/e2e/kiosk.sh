#!/usr/bin/env bash
# The kiosk session: pelkor-tazu-kiosk with no display set starts cage with XWayland,
# and the launcher shows its intro scaled and centred on cage's 1280x720 output, and a
# learner signs in by clicks at the scaled places through XWayland. cage refuses root, so as root the session runs as "nobody" with a
# private runtime folder and roster folder. Also: a missing install folder is said
# plainly and ends it with a non-zero status.
# usage: kiosk.sh LAUNCHER DEMO_TOOL OUT_DIR
source "$(dirname "$0")/lib.sh"
launcher=$(readlink -f "$1")
demo_tool=$(readlink -f "$2")
out=$3
mkdir -p "$out"
tazu_require cage Xwayland Xvfb xdpyinfo xwininfo xdotool import grim convert runuser
kiosk="$(dirname "$launcher")/pelkor-tazu-kiosk"
[ -x "$kiosk" ] || e2e_fail "no pelkor-tazu-kiosk beside $launcher"

tmp=$(mktemp -d)
session_pid=""
xvfb_pid=""
cleanup() {
  [ -z "$session_pid" ] || kill "$session_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  pkill -f "$tmp/bin/" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

# 1. No install folder: said on standard error, non-zero status.
if PELKOR_TAZU_KIOSK_CONF="$tmp/none.conf" "$kiosk" 2>"$tmp/err"; then
  e2e_fail "the kiosk started with no install folder"
fi
grep -q "no install folder" "$tmp/err" || e2e_fail "no plain message: $(cat "$tmp/err")"
if "$kiosk" "$tmp/missing" 2>"$tmp/err"; then e2e_fail "the kiosk started in a missing folder"; fi
grep -q "is not there" "$tmp/err" || e2e_fail "no plain message: $(cat "$tmp/err")"

# 2. The sessions. Everything they read lies in a folder of the session's account.
mkdir -p "$tmp/bin"
cp "$launcher" "$kiosk" "$tmp/bin/"
"$demo_tool" "$tmp/install" >/dev/null
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody "$tmp"
  chmod 755 "$tmp"
  as_user=(runuser -u nobody --)
fi

# session NAME [VAR=VALUE...]: starts pelkor-tazu-kiosk with no display set, with cage's
# headless back end unless the variables say otherwise; its runtime and roster folders
# are $tmp/NAME.
session() {
  local dir="$tmp/$1"
  shift
  "${as_user[@]}" mkdir -m 700 "$dir" "$dir/runtime"
  (cd "$tmp" && exec "${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$tmp" \
    XDG_RUNTIME_DIR="$dir/runtime" ALLUSERSPROFILE="$dir" SDL_AUDIODRIVER=dummy \
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    ${LSAN_OPTIONS:+LSAN_OPTIONS="$LSAN_OPTIONS"} "$@" \
    "$tmp/bin/pelkor-tazu-kiosk" "$tmp/install" >"$out/session.log" 2>&1) &
  session_pid=$!
}
# end_session: ends the launcher; the session ends with it.
end_session() {
  pkill -f "^$tmp/bin/pelkor-tazu\$" 2>/dev/null || true
  wait "$session_pid" 2>/dev/null || true
  session_pid=""
}
# in_session DIR COMMAND...: runs COMMAND on the X display of the launcher in the session.
in_session() {
  local dir=$1 pid x_display
  shift
  kill -0 "$session_pid" 2>/dev/null || e2e_fail "the session ended: $(cat "$out/session.log")"
  pid=$(pgrep -f "^$tmp/bin/pelkor-tazu\$" | head -n 1)
  [ -n "$pid" ] || return 1
  x_display=$(tr '\0' '\n' <"/proc/$pid/environ" | sed -n 's/^DISPLAY=//p')
  [ -n "$x_display" ] || e2e_fail "the launcher has no X display inside cage"
  "${as_user[@]}" env DISPLAY="$x_display" XDG_RUNTIME_DIR="$dir/runtime" "$@"
}
# intro_shows DIR X Y R G B [TOLERANCE]: whether the intro's X window holds the colour.
intro_shows() {
  local dir=$1 id
  shift
  id=$(in_session "$dir" xdotool search --onlyvisible --name '^Pelkor! Tazu v2\.0$' 2>/dev/null |
    head -n 1)
  # import waits for ever on a window that goes away meanwhile
  [ -n "$id" ] && in_session "$dir" timeout 10 import -window "$id" "$tmp/intro.png" 2>/dev/null &&
    e2e_color_is "$tmp/intro.png" "$@"
}

# The console of the intro, at 1.2 times its size, centred: 800x600 becomes 960x720 from
# x=160, and its grey body at (400,450) lies at (640,540).
console=(640 540 100 110 130)

# 2a. cage's headless back end, as a display manager would start it: the launcher's
# window, the size of cage's output, holds the scaled intro with black bars. (This back end
# stops presenting to its output a moment after the start, whatever the client, so the
# output itself is looked at in 2b.)
session headless
e2e_wait intro_shows "$tmp/headless" "${console[@]}" || e2e_fail "no scaled intro under cage"
e2e_expect_color "$tmp/intro.png" 80 360 0 0 0 8
e2e_expect_color "$tmp/intro.png" 1200 360 0 0 0 8
[ "$(convert "$tmp/intro.png" -format '%w %h' info:)" = "1280 720" ] ||
  e2e_fail "cage did not give the launcher its whole output"
end_session

# 2b. The same session with cage's output in a window of a private X server (its x11
# back end), which presents every frame and takes the pointer and keys from that
# server, so input reaches the launcher the way a real mouse's does: through cage,
# which decides the window under the pointer. A stand-in cage on the path gives the
# real one the back end and starts the launcher once the output is 1280x720; the kiosk
# itself still sees no display. The path: the scaled intro centred on the output, a
# learner signed in by clicks at the scaled places, an activity over the menu and back,
# a message box over the menu and its OK, and the end through the advert screen.
"${as_user[@]}" mkdir "$tmp/wrap"
# The private server runs as the scenario does, like every other scenario's: one started
# as "nobody" cannot take over the socket files that root's servers leave in /tmp.
: >"$tmp/display"
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
e2e_wait test -s "$tmp/display" || e2e_fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
outer=":$(tr -d '[:space:]' <"$tmp/display")"
outside() { "${as_user[@]}" env DISPLAY="$outer" "$@"; }
e2e_wait outside xdpyinfo >/dev/null 2>&1 ||
  e2e_fail "Xvfb did not answer on $outer: $(cat "$tmp/xvfb.log")"
cat >"$tmp/wrap/cage" <<WRAP
#!/bin/sh
[ "\$1" = -- ] && shift
exec env DISPLAY=$outer WLR_BACKENDS=x11 WLR_X11_OUTPUTS=1 /usr/bin/cage -- $tmp/wrap/hold "\$@"
WRAP
cat >"$tmp/wrap/hold" <<HOLD
#!/bin/sh
while [ ! -e $tmp/wrap/sized ]; do sleep 0.1; done
exec "\$@"
HOLD
chmod 755 "$tmp/wrap/cage" "$tmp/wrap/hold"
rm "$tmp/install/wiskundeoptel/optel.exe"  # Addition: the program is missing
session x11 PATH="$tmp/wrap:/usr/bin:/bin"
# The back end's window opens at 1024x768; the output follows its size.
output_window() { outside xwininfo -root -children 2>/dev/null | awk '/^ +0x/ { print $1; exit }'; }
has_output() { [ -n "$(output_window)" ]; }
e2e_wait has_output || e2e_fail "cage opened no output: $(cat "$out/session.log") (Xvfb: $(cat "$tmp/xvfb.log"))"
timeout "$E2E_PATIENCE" "${as_user[@]}" env DISPLAY="$outer" \
  xdotool windowsize --sync "$(output_window)" 1280 720 || e2e_fail "cannot size cage's output"
"${as_user[@]}" touch "$tmp/wrap/sized"
output_shows() {
  "${as_user[@]}" env XDG_RUNTIME_DIR="$tmp/x11/runtime" WAYLAND_DISPLAY=wayland-0 \
    grim "$tmp/shot.png" 2>/dev/null && e2e_color_is "$tmp/shot.png" "$@"
}
# click X Y: a click on cage's output, the pointer arriving from elsewhere.
click() {
  outside xdotool mousemove --sync $(($1 - 20)) $(($2 - 20))
  outside xdotool mousemove --sync "$1" "$2" click 1
}
shot="$out/kiosk-intro.png"
e2e_wait output_shows "${console[@]}" || true
[ -f "$tmp/shot.png" ] || e2e_fail "grim took no picture of cage's output"
cp "$tmp/shot.png" "$shot"
[ "$(convert "$shot" -format '%w %h' info:)" = "1280 720" ] || e2e_fail "cage's output is not 1280x720"
e2e_expect_color "$shot" "${console[@]}"  # the console, scaled and centred
e2e_expect_color "$shot" 80 360 0 0 0 8   # a black bar on the left
e2e_expect_color "$shot" 1200 360 0 0 0 8 # and on the right

# Places on the output: x' = 160 + 1.2x, y' = 1.2y.
e2e_wait output_shows 196 120 60 120 255 40 || e2e_fail "no language choice on cage's output"
click 280 188  # English (100,157)
e2e_wait output_shows 640 214 0 128 0 60 || e2e_fail "no name board after the click on English"
outside xdotool type --delay 60 piet
click 797 346  # R (531,288)
roster="$tmp/x11/documents/tazu_students.dat"
e2e_wait grep -qa PIET "$roster" 2>/dev/null || e2e_fail "clicks through cage signed nobody in"

click 520 408  # Mathematics (300,340)
click 330 420  # Subtraction: the stand-in activity, filling the output, its title bar blue
e2e_wait output_shows 640 256 0 84 153 40 || e2e_fail "no activity on cage's output"
click 842 450  # its Finish button
e2e_wait output_shows 640 100 128 195 250 30 || e2e_fail "the menu did not come back after the activity"
[ -z "$(pgrep -f "$tmp/install/wiskundeaftrek" || true)" ] || e2e_fail "the activity took no click"

click 330 358  # Addition, whose program is missing: a box at 1.2 times over the menu
e2e_wait output_shows 640 303 0 84 153 40 || e2e_fail "no message box over the menu"
cp "$tmp/shot.png" "$out/kiosk-box.png"
e2e_expect_color "$out/kiosk-box.png" 640 100 128 195 250 30  # the menu around it
click 639 399  # OK
e2e_wait output_shows 640 303 146 202 249 30 || e2e_fail "the box's OK took no click"

click 1070 679  # exit (759,566): the advert screen
e2e_wait output_shows 640 100 39 40 120 30 || e2e_fail "no advert screen on cage's output"
click 1074 686  # its exit key (762,572)
launcher_gone() { [ -z "$(pgrep -f "^$tmp/bin/pelkor-tazu\$" || true)" ]; }
e2e_wait launcher_gone || e2e_fail "the launcher did not end after the advert screen"
wait "$session_pid" || e2e_fail "the session did not end well: $(tail -n 5 "$out/session.log")"
session_pid=""
echo "PASS: kiosk ($shot)"
