#!/usr/bin/env bash
# Runs every benchmark of a Release build (default build/) and prints its figures.
# Targets are reported, not enforced: timing on a shared machine varies.
set -uo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build/bin}
status=0
for bench in "$bin"/bench_*; do
  name=$(basename "$bench")
  case "$name" in
    bench_minimal_sdl) continue ;;  # the reference program of the start-up benchmark
  esac
  echo "== $name"
  "$bench" --benchmark_min_time=0.2 || status=1
done
if [ -x "$bin/morph_present" ]; then
  echo "== morph button under Xvfb"
  xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" "$bin/morph_present" 11 || status=1
fi
if [ -x "$bin/intro_animation_bench" ]; then
  echo "== intro animation under Xvfb"
  demo=$(mktemp -d)
  "$bin/tazu-demo-install" "$demo/install" >/dev/null
  (cd "$demo/install" && XDG_RUNTIME_DIR="$demo" SDL_AUDIODRIVER=dummy \
    xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" "$bin/intro_animation_bench") || status=1
  rm -rf "$demo"
fi
if [ -x "$bin/bench_minimal_sdl" ]; then
  echo "== start-up and idle"
  bash bench/startup/startup_bench.sh "$bin/pelkor-tazu" "$bin/bench_minimal_sdl" \
    "$bin/tazu-demo-install" || status=1
fi
exit $status
