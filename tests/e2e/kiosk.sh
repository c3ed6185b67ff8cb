#!/usr/bin/env bash
# The kiosk session: pelkor-tazu-kiosk with no display set starts cage (headless back
# end) with XWayland, and the launcher shows its intro scaled and centred on cage's
# 1280x720 output, and a learner signs in by clicks at the scaled places through
# XWayland. cage refuses root, so as root the session runs as "nobody" with a
# private runtime folder and roster folder. Also: a missing install folder is said
# plainly and ends it with a non-zero status.
# usage: kiosk.sh LAUNCHER DEMO_TOOL OUT_DIR
source "$(dirname "$0")/lib.sh"
launcher=$(readlink -f "$1")
demo_tool=$(readlink -f "$2")
out=$3
mkdir -p "$out"
tazu_require cage Xwayland grim convert runuser
kiosk="$(dirname "$launcher")/pelkor-tazu-kiosk"
[ -x "$kiosk" ] || e2e_fail "no pelkor-tazu-kiosk beside $launcher"

tmp=$(mktemp -d)
session_pid=""
cleanup() {
  [ -z "$session_pid" ] || kill "$session_pid" 2>/dev/null || true
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

# 2. The session. Everything it reads lies in a folder of the session's account.
mkdir -p "$tmp/bin" "$tmp/runtime" "$tmp/profile"
cp "$launcher" "$kiosk" "$tmp/bin/"
"$demo_tool" "$tmp/install" >/dev/null
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody "$tmp"
  chmod 755 "$tmp"
  as_user=(runuser -u nobody --)
fi
chmod 700 "$tmp/runtime"
(cd "$tmp" && exec "${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$tmp" \
  XDG_RUNTIME_DIR="$tmp/runtime" ALLUSERSPROFILE="$tmp/profile" SDL_AUDIODRIVER=dummy \
  WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
  "$tmp/bin/pelkor-tazu-kiosk" "$tmp/install" >"$out/session.log" 2>&1) &
session_pid=$!

shot="$out/kiosk-intro.png"
# The console of the intro, at 1.2 times its size, centred: 800x600 becomes 960x720 from
# x=160, and its grey body at (400,450) lies at (640,540).
intro_shown() {
  kill -0 "$session_pid" 2>/dev/null || e2e_fail "the session ended: $(cat "$out/session.log")"
  local socket
  socket=$(find "$tmp/runtime" -maxdepth 1 -name 'wayland-*' -type s 2>/dev/null | head -n 1)
  [ -n "$socket" ] &&
    "${as_user[@]}" env XDG_RUNTIME_DIR="$tmp/runtime" WAYLAND_DISPLAY="$(basename "$socket")" \
      grim "$tmp/shot.png" 2>/dev/null &&
    e2e_color_is "$tmp/shot.png" 640 540 100 110 130
}
e2e_wait intro_shown || true
[ -f "$tmp/shot.png" ] || e2e_fail "grim took no picture of cage's output"
cp "$tmp/shot.png" "$shot"
[ "$(convert "$shot" -format '%w %h' info:)" = "1280 720" ] || e2e_fail "cage's output is not 1280x720"
e2e_expect_color "$shot" 640 540 100 110 130  # the console, scaled and centred
e2e_expect_color "$shot" 80 360 0 0 0 8       # a black bar on the left
e2e_expect_color "$shot" 1200 360 0 0 0 8     # and on the right

# 3. A learner signs in by clicks at the scaled places, through XWayland: English at
# (100,157) lies at (280,188), the R button at (531,288) at (797,346).
launcher_pid=$(pgrep -f "^$tmp/bin/pelkor-tazu\$" | head -n 1)
[ -n "$launcher_pid" ] || e2e_fail "no launcher inside the session"
x_display=$(tr '\0' '\n' <"/proc/$launcher_pid/environ" | sed -n 's/^DISPLAY=//p')
[ -n "$x_display" ] || e2e_fail "the launcher has no X display inside cage"
in_session() { "${as_user[@]}" env DISPLAY="$x_display" XDG_RUNTIME_DIR="$tmp/runtime" "$@"; }
# What the intro's X window holds, read from the X server (cage's headless output is
# only redrawn where it was damaged, so grim may lag behind).
intro_shows() {
  local id
  id=$(in_session xdotool search --name '^Pelkor! Tazu v2\.0$' 2>/dev/null | head -n 1)
  [ -n "$id" ] && in_session import -window "$id" "$tmp/intro.png" 2>/dev/null &&
    e2e_color_is "$tmp/intro.png" "$@"
}
e2e_wait intro_shows 196 120 60 120 255 40 || e2e_fail "no language choice in the intro's window"
in_session xdotool mousemove --sync 280 188 click 1
e2e_wait intro_shows 640 214 0 128 0 60 || e2e_fail "no name board after the click on English"
in_session xdotool type --delay 60 piet
in_session xdotool mousemove --sync 797 346 click 1
roster="$tmp/profile/documents/tazu_students.dat"
e2e_wait grep -qa PIET "$roster" 2>/dev/null || e2e_fail "clicks through XWayland signed nobody in"
echo "PASS: kiosk ($shot)"
