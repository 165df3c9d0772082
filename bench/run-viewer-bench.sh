#!/bin/bash
# Runs a 20-camera benchmark in a network namespace of its own with only lo up, so the simulated
# cameras (127.0.0.2 ... 127.0.0.21, port 80) and everything that talks to them stay on loopback.
# Usage: bench/run-viewer-bench.sh [BUILD_DIR] [--x11|--rtsp] [benchmark arguments...]
#   BUILD_DIR defaults to build.
#   Without --x11: bench_viewer, the viewer in-process on the offscreen platform; its arguments:
#     reference-picture folder, --seconds N, --warmup N, --size 640x480|1280x720, --skip-ffmpeg, --log.
#   With --x11: bench_x11viewer, the real program in an X11 window on an Xvfb started here, with
#     the INI as dxsim writes it; its arguments: folder, --seconds N, --warmup N, --runs N,
#     --size WxH, --fps N, --views 0,2, --viewer PATH, --skip-ffmpeg.
#   With --rtsp: bench_rtspviewer, the real program in an X11 window on RTSP cameras (dxsim --rtsp);
#     its arguments: --cameras N, --size WxH, --fps F, --seconds N, --warmup N, --viewer PATH,
#     --skip-ffmpeg, --camera-encoding, --busy N; --sub WxH (every camera a second, small stream:
#     the grid from it, the single view and --switches N switches through xdotool, --dwell S,
#     --calls N door calls while hidden).
set -euo pipefail
build=build
if [ $# -gt 0 ] && [ -d "$1/bench" ]; then build=$1; shift; fi
program=bench_viewer
if [ "${1:-}" = --x11 ]; then program=bench_x11viewer; shift; fi
if [ "${1:-}" = --rtsp ]; then program=bench_rtspviewer; shift; fi
bench=$(realpath "$build/bench/$program")
[ -x "$bench" ] || { echo "no $bench: cmake --build $build --target $program dxsim dxcamviewer" >&2; exit 2; }

if [ "$program" = bench_viewer ]; then
  exec unshare -n bash -c 'ip link set lo up && exec "$0" "$@"' "$bench" "$@"
fi

# The X server lives inside the namespace too; its socket is a file, so nothing leaves the machine.
exec unshare -n bash -c '
  set -euo pipefail
  ip link set lo up
  display=:${DXCAM_XVFB_DISPLAY:-91}
  Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  xserver=$!
  trap "kill $xserver 2>/dev/null || true" EXIT
  for _ in $(seq 100); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
  DISPLAY=$display DXCAM_XSERVER_PID=$xserver "$0" "$@"
' "$bench" "$@"
