#!/usr/bin/env bash
# The Windows programs under Wine: the demo install made by tazu-demo-install.exe and
# checked by tazu-doctor.exe, the launcher started in it shows its window with the
# intro screen, and a second copy ends at once while the first goes on.
# usage: smoke.sh BIN_DIR OUT_DIR   (BIN_DIR holds pelkor-tazu.exe and the tools)
source "$(dirname "$0")/../e2e/lib.sh"
bin=$(readlink -f "$1")
mkdir -p "$2"
out=$(readlink -f "$2")
export WINEDEBUG=-all
# No sound card here; Wine's own silent driver stands in.
export WINEDLLOVERRIDES="winealsa.drv,winepulse.drv=d"

# Wine runs programs by their Windows paths; these wrappers let the scenario helpers
# start them like Linux programs.
wrappers=$(mktemp -d)
cat >"$wrappers/demo-install" <<WRAP
#!/bin/sh
exec wine "$bin/tazu-demo-install.exe" "Z:\$1"
WRAP
cat >"$wrappers/launcher" <<WRAP
#!/bin/sh
exec wine "$bin/pelkor-tazu.exe"
WRAP
chmod +x "$wrappers"/*

e2e_setup "$wrappers/launcher" "$wrappers/demo-install" "$out"
for program in optel.exe report.exe; do
  found=$(find "$E2E_INSTALL" -iname "$program" | head -n 1)
  [ -n "$found" ] || e2e_fail "the demo install has no $program"
  head -c 2 "$found" | grep -q MZ || e2e_fail "$program is not a Windows program"
done

# The install checker finds everything a child needs in the demo install.
wine "$bin/tazu-doctor.exe" "Z:$E2E_INSTALL" >"$out/doctor.txt" 2>&1 ||
  e2e_fail "tazu-doctor.exe found the demo install incomplete: $(grep -v '^OK' "$out/doctor.txt")"
tail -n 1 "$out/doctor.txt"

e2e_start
shot=$(e2e_wait_color intro-start 30 100 30 30 70 20)  # the animation's dark background
echo "window: $(xdotool getwindowname "$E2E_WINDOW") $(xdotool getwindowgeometry "$E2E_WINDOW" | tr '\n' ' ')"

# A second copy finds the first and ends without a window of its own.
started=$(date +%s)
(cd "$E2E_INSTALL" && timeout "$E2E_PATIENCE" "$wrappers/launcher" >"$out/second.log" 2>&1) ||
  e2e_fail "the second copy did not end by itself: $(cat "$out/second.log")"
echo "second copy ended after $(($(date +%s) - started)) s"
kill -0 "$E2E_APP_PID" 2>/dev/null || e2e_fail "the first copy ended too"

languages=$(e2e_wait_color intro-languages 30 100 60 120 255 40)  # the blue Afrikaans lamp of intro1.jpg
e2e_stop
wineserver -k 2>/dev/null || true
rm -rf "$wrappers"
echo "PASS: Windows smoke test ($shot, $languages)"
