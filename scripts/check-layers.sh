#!/usr/bin/env bash
# Fails when a source file includes, or a library links, something above its own layer.
# The order, bottom to top: base; archive and roster; platform; framework; controls;
# screens; app and tools. A layer uses only the layers below it and itself.
# usage: check-layers.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
layers=(base archive roster platform framework controls screens app tools)

rank() {
  case $1 in
    base) echo 0 ;; archive | roster) echo 1 ;; platform) echo 2 ;; framework) echo 3 ;;
    controls) echo 4 ;; screens) echo 5 ;; app | tools) echo 6 ;; *) echo -1 ;;
  esac
}

# uses FROM TO WHAT: reports WHAT when layer FROM may not use layer TO.
failures=0
uses() {
  local to_rank
  to_rank=$(rank "$2")
  [ "$to_rank" -ge 0 ] && [ "$1" != "$2" ] || return 0
  if [ "$to_rank" -ge "$(rank "$1")" ]; then
    echo "layer order: $3 ($1 uses $2)" >&2
    failures=$((failures + 1))
  fi
}

# Includes: the first folder of every quoted include names its layer.
while IFS=: read -r file line include; do
  uses "${file%%/*}" "$(sed -E 's/^#include "([^/"]+)\/.*/\1/' <<<"$include")" "$file:$line"
done < <(grep -rnE '^#include "[^/"]+/' --include='*.cpp' --include='*.h' "${layers[@]}")

# Libraries: each target belongs to the layer whose CMakeLists.txt makes it; every
# tazu_ target it links must belong to a layer below or to its own.
calls=$(for layer in "${layers[@]}"; do
  find "$layer" -name CMakeLists.txt -print0 | xargs -0 awk -v layer="$layer" '
    /^ *(tazu_library|add_library|add_executable|target_link_libraries)\(/ { call = ""; open = 1 }
    open { call = call " " $0; if (index($0, ")")) { open = 0; print layer, call } }'
done | sed -E 's/[()]/ /g')
declare -A owner
while read -r layer command target _; do
  case $command in tazu_library | add_library | add_executable) owner[$target]=$layer ;; esac
done <<<"$calls"
while read -r layer command target rest; do
  for dependency in $rest; do
    [ -n "${owner[$dependency]:-}" ] && uses "$layer" "${owner[$dependency]}" "$target links $dependency"
  done
done <<<"$calls"

[ "$failures" -eq 0 ] || { echo "$failures use(s) against the layer order" >&2; exit 1; }
echo "layer order: kept"
