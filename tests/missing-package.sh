# Sourced by the test scripts (POSIX sh and bash alike).
# tazu_missing_package WHAT: ends a script that needs a tool this machine lacks. On a
# developer's machine it is skipped (exit 77, the scripts' SKIP_RETURN_CODE); where
# the environment variable CI is set the packages are installed on purpose, so a
# missing one fails instead of passing unseen.
tazu_missing_package() {
  if [ -n "${CI:-}" ]; then
    echo "FAIL: $* (CI is set: install it)" >&2
    exit 1
  fi
  echo "skipped: $*"
  exit 77
}

# tazu_require TOOL...: tazu_missing_package unless every TOOL is on the PATH.
tazu_require() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || tazu_missing_package "$tool is not installed"
  done
}
