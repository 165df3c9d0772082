#!/bin/bash
# The call history's benchmark (bench_history) in a network namespace of its own with only lo up,
# on an X server (Xvfb) of its own, so that the history window is a real X11 window.
# Usage: bench/run-history-bench.sh [BUILD_DIR] [bench_history options]
# Needs Xvfb and xwininfo (Debian: xvfb, x11-utils).
set -euo pipefail
build=build
if [ $# -gt 0 ] && [ -x "$1/bench/bench_history" ]; then build=$1; shift; fi
build=$(realpath "$build")
for tool in "$build/bench/bench_history" "$build/dxsim"; do
  [ -x "$tool" ] || { echo "no $tool: cmake --build $build --target bench_history dxsim" >&2; exit 2; }
done
if [ -z "${HISTORY_BENCH_INSIDE:-}" ]; then
  exec unshare -n env HISTORY_BENCH_INSIDE=1 bash "$0" "$build" "$@"
fi
ip link set lo up
display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
echo "$(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg) before the run"
QT_QPA_PLATFORM=xcb "$build/bench/bench_history" "$@"
