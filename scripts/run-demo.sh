#!/usr/bin/env bash
# Installs what is missing, builds the viewer and runs it on the built-in demo: simulated cameras
# and door stations on loopback addresses (127.0.0.x / 127.0.1.x), nothing else is contacted.
# Without a display the demo runs under Xvfb for DEMO_SECONDS (default 17: during the first door
# call) and leaves a screenshot in build/demo-screenshot.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
cameras=${DEMO_CAMERAS:-4}

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target dxcamviewer dxsim

demo=$build/demo
mkdir -p "$demo"
ini=$demo/dxcamviewer.ini
rm -f "$ini" "$demo/dxcamviewer.log"

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; }
trap cleanup EXIT

# The simulator writes the INI once its cameras listen (on port 80 where it may, else on
# high ports), then runs the demo schedule: a door call 12 s after start, an IO input later.
# The last camera is named in the INI by its H.264 stream over RTSP, the others by Motion-JPEG.
"$build/dxsim" --cameras "$cameras" --rtsp --rtsp-camera "$cameras" --demo --write-ini "$ini" --serve &
pids+=($!)
for _ in $(seq 100); do [ -s "$ini" ] && break; sleep 0.1; done
[ -s "$ini" ] || { echo "The simulator did not start." >&2; exit 1; }

headless=0
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  headless=1
  display=:${DEMO_XVFB_DISPLAY:-87}
  Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=$display
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  export QT_QPA_PLATFORM=xcb
fi

"$build/dxcamviewer" --config "$ini" &
viewer=$!
pids+=($viewer)

if [ "$headless" = 0 ]; then
  echo "The viewer runs on the demo: it hides after 8 s and pops up at the door call (every 50 s)."
  echo "Quit it from its tray menu (Beenden)."
  wait "$viewer" || true
  exit 0
fi

seconds=${DEMO_SECONDS:-17}
echo "No display: the demo runs under Xvfb for $seconds s."
sleep "$seconds"
shot=$build/demo-screenshot.png
import -display "$DISPLAY" -window root "$shot"
echo "Screenshot of the viewer: $shot"
