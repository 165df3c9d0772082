#!/bin/bash
# Runs bench_recording in a network namespace of its own with only lo up, with an Xvfb display of
# its own, so that the real viewer shows an X11 window and the simulated cameras (127.0.0.2 ...
# 127.0.0.21, port 80) stay on loopback.
# Usage: bench/run-recording-bench.sh [BUILD_DIR] [bench_recording arguments...]
#   BUILD_DIR defaults to build; the arguments go to bench_recording unchanged
#   (reference-picture folder, --seconds N, --warm-up N, --size WxH, --runs LIST).
set -euo pipefail
build=build
if [ $# -gt 0 ] && [ -x "$1/bench/bench_recording" ]; then build=$1; shift; fi
bench=$(realpath "$build/bench/bench_recording")
[ -x "$bench" ] || { echo "no $bench: cmake --build $build --target bench_recording dxcamviewer dxsim" >&2; exit 2; }
exec unshare -n bash -c '
  set -euo pipefail
  ip link set lo up
  display=99
  while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
  Xvfb :$display -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap "kill $xvfb" EXIT
  for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$display ] && break; sleep 0.1; done
  DISPLAY=:$display "$0" "$@"
' "$bench" "$@"
