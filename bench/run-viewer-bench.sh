#!/bin/bash
# Runs bench_viewer in a network namespace of its own with only lo up, so the simulated cameras
# (127.0.0.2 ... 127.0.0.21, port 80) and everything that talks to them stay on loopback.
# Usage: bench/run-viewer-bench.sh [BUILD_DIR] [bench_viewer arguments...]
#   BUILD_DIR defaults to build; the arguments go to bench_viewer unchanged
#   (reference-picture folder, --seconds N, --size 640x480|1280x720, --skip-ffmpeg).
set -euo pipefail
build=build
if [ $# -gt 0 ] && [ -x "$1/bench/bench_viewer" ]; then build=$1; shift; fi
bench=$(realpath "$build/bench/bench_viewer")
[ -x "$bench" ] || { echo "no $bench: cmake --build $build --target bench_viewer dxsim" >&2; exit 2; }
exec unshare -n bash -c 'ip link set lo up && exec "$0" "$@"' "$bench" "$@"
