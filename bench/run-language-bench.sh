#!/bin/bash
# Runs bench_language on an X server of its own (Xvfb), in a network namespace with only lo up,
# so the viewer shows real X11 windows and everything it sends stays on loopback.
# Usage: bench/run-language-bench.sh [BUILD_DIR] [bench_language arguments...]
#   e.g. bench/run-language-bench.sh build --pictures build/bench-data --switches 40
set -euo pipefail
build=build
if [ $# -gt 0 ] && [ -x "$1/bench/bench_language" ]; then build=$1; shift; fi
bench=$(realpath "$build/bench/bench_language")
[ -x "$bench" ] || { echo "no $bench: cmake --build $build --target bench_language dxsim dxcamviewer" >&2; exit 2; }
exec unshare -n bash -c '
  set -e
  ip link set lo up
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  # Xvfb picks a free display and tells its number.
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb=$!
  trap "kill $xvfb 2>/dev/null; rm -f \"$fifo\"" EXIT
  read -r display <"$fifo"
  DISPLAY=:$display QT_QPA_PLATFORM=xcb "$0" "$@"
' "$bench" "$@"
