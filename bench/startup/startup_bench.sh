#!/usr/bin/env bash
# Start-up and idle cost of the launcher under Xvfb, side by side with a minimal SDL2
# program in the same run.
#  - start-up: process start to first presented frame (each program ends right after
#    it), median of RUNS alternating runs; target ratio <= 2.
#  - idle: CPU time of the launcher sitting on its menu for 5 s; target <= 1% of a core.
# usage: startup_bench.sh LAUNCHER MINIMAL_SDL DEMO_TOOL [RUNS]
set -euo pipefail
launcher=$(readlink -f "$1") minimal=$(readlink -f "$2") demo_tool=$(readlink -f "$3") runs=${4:-15}

tmp=$(mktemp -d)
cleanup() {
  [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
for n in $(seq 130 199); do [ -e "/tmp/.X${n}-lock" ] || break; done
export DISPLAY=":$n"
Xvfb "$DISPLAY" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
"$demo_tool" "$tmp/install" >/dev/null

# Milliseconds from start to exit of one command run in the demo install.
time_ms() {
  local start end
  start=$(date +%s%N)
  (cd "$tmp/install" && TAZU_EXIT_AFTER_FIRST_FRAME=1 "$@" >/dev/null 2>&1)
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

: >"$tmp/ours"
: >"$tmp/ref"
time_ms "$launcher" >/dev/null  # warm the caches once
time_ms "$minimal" >/dev/null
for _ in $(seq "$runs"); do
  time_ms "$launcher" >>"$tmp/ours"
  time_ms "$minimal" >>"$tmp/ref"
done
ours=$(median <"$tmp/ours")
ref=$(median <"$tmp/ref")
ratio=$(awk -v a="$ours" -v b="$ref" 'BEGIN {printf "%.2f", a / b}')
echo "start-up to first frame: launcher ${ours} ms, minimal SDL ${ref} ms, ratio ${ratio} (target <= 2)"

(cd "$tmp/install" && exec "$launcher" >/dev/null 2>&1) &
app_pid=$!
sleep 1.5
ticks=$(getconf CLK_TCK)
t1=$(awk '{print $14 + $15}' "/proc/$app_pid/stat")
sleep 5
t2=$(awk '{print $14 + $15}' "/proc/$app_pid/stat")
idle=$(awk -v d="$((t2 - t1))" -v hz="$ticks" 'BEGIN {printf "%.2f", 100 * d / hz / 5}')
echo "idle menu: ${idle}% of one core over 5 s (target <= 1%)"

status=0
awk -v r="$ratio" 'BEGIN {exit !(r <= 2)}' || { echo "start-up ratio above target"; status=1; }
awk -v i="$idle" 'BEGIN {exit !(i <= 1)}' || { echo "idle cost above target"; status=1; }
exit $status
