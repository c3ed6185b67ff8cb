#!/usr/bin/env bash
# Runs every benchmark of a Release build (default build/) and prints its figures.
# Targets are reported, not enforced: timing on a shared machine varies.
# Exit status: 0 every target met, 1 a target missed, 2 a benchmark did not run (not
# found, crashed, or ended without its figure).
set -uo pipefail
cd "$(dirname "$0")/.."
bin=$(readlink -f "${1:-build/bin}")  # the intro benchmark runs from its demo install
[ -d "$bin" ] || { echo "no build folder $bin" >&2; exit 2; }
missed=0
broken=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log=$work/log
# Launchers started here keep their roster in a folder of their own.
export ALLUSERSPROFILE=$work/profile
mkdir -p "$ALLUSERSPROFILE"

# run NAME COMMAND...: one benchmark. Every figure line states its target, so a
# program that fails without printing one did not run.
run() {
  local name=$1 code
  shift
  echo "== $name"
  "$@" 2>&1 | tee "$log"
  code=${PIPESTATUS[0]}
  if [ "$code" -eq 0 ]; then return; fi
  if [ "$code" -eq 1 ] && grep -q "target" "$log"; then
    missed=1
  else
    echo "benchmarks: $name did not run (exit status $code)" >&2
    broken=1
  fi
}

for bench in "$bin"/bench_*; do
  name=$(basename "$bench")
  case "$name" in
    bench_minimal_sdl) continue ;;  # the reference program of the start-up benchmark
  esac
  run "$name" "$bench" --benchmark_min_time=0.2
done
if [ -x "$bin/morph_present" ]; then
  run "morph button under Xvfb" \
    xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" "$bin/morph_present" 11
fi
if [ -x "$bin/intro_animation_bench" ]; then
  "$bin/tazu-demo-install" "$work/install" >/dev/null
  mkdir -m 700 "$work/runtime"
  run "intro animation under Xvfb" env XDG_RUNTIME_DIR="$work/runtime" SDL_AUDIODRIVER=dummy \
    bash -c 'cd "$1" && exec xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" "$2"' \
    _ "$work/install" "$bin/intro_animation_bench"
fi
if [ -x "$bin/bench_minimal_sdl" ]; then
  run "start-up and idle" bash bench/startup/startup_bench.sh "$bin/pelkor-tazu" \
    "$bin/bench_minimal_sdl" "$bin/tazu-demo-install"
fi
if [ -x "$bin/scaled_present" ]; then
  run "scaled to 1920x1080" bash bench/graphics/scaled_bench.sh "$bin"
fi
[ "$broken" -eq 0 ] || exit 2
exit $missed
