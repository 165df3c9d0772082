#!/bin/bash
# Runs bench_settings in a network namespace of its own with only lo up (the 20 simulated
# cameras are 127.0.0.2 ... 127.0.0.21, port 80) and on an Xvfb display started inside it, so
# the viewer and its settings dialog are real X11 windows.
# Usage: bench/run-settings-bench.sh [BUILD_DIR] [bench_settings arguments...]
#   BUILD_DIR defaults to build; the arguments go to bench_settings unchanged
#   (reference-picture folder, --runs N, --open-seconds N, --fps N, --size WxH).
set -euo pipefail
build=build
if [ $# -gt 0 ] && [ -x "$1/bench/bench_settings" ]; then build=$1; shift; fi
bench=$(realpath "$build/bench/bench_settings")
[ -x "$bench" ] || { echo "no $bench: cmake --build $build --target bench_settings dxsim" >&2; exit 2; }
exec unshare -n bash -c '
  set -euo pipefail
  ip link set lo up
  numberFile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
  xvfb=$!
  trap "kill $xvfb; rm -f $numberFile" EXIT
  for _ in $(seq 100); do [ -s "$numberFile" ] && break; sleep 0.1; done
  [ -s "$numberFile" ] || { echo "Xvfb did not start" >&2; exit 1; }
  DISPLAY=:$(cat "$numberFile") QT_QPA_PLATFORM=xcb "$0" "$@"' "$bench" "$@"
