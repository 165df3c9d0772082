#!/bin/bash
# CPU of the real viewer per shown picture: one simulated camera (25 pictures/s) shown in the
# separate popup window, against the same camera shown as the grid tile of the main window.
# Everything runs in a network namespace of its own with only lo up, on an X server (Xvfb) of its
# own; the INI is the one `dxsim --write-ini` writes, with the settings of each case changed:
#   grid    OwnPopWin=0, Autohide=0: the main window shows the one tile
#   popup   OwnPopWin=1, pop_Alle=0, HideStartEn=1: hidden until a door call, then the popup window
#   both    OwnPopWin=1, pop_Alle=1, Autohide=0: the tile and the popup window at once
# Usage: bench/run-popup-bench.sh [BUILD_DIR] [--seconds N] [--size WxH] [--cases "grid popup both"]
# Reference pictures: BUILD_DIR/bench-data/<size>/, made by the reference-picture script
# make-pictures.sh (bench/README.md). Needs Xvfb and xwininfo (Debian: xvfb, x11-utils).
set -euo pipefail
build=build
if [ $# -gt 0 ] && [ -x "$1/dxcamviewer" ]; then build=$1; shift; fi
seconds=30
size=1280x720
cases="grid popup both"
while [ $# -gt 0 ]; do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    --cases) cases=$2; shift 2 ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
done
build=$(realpath "$build")
pictures=$build/bench-data/$size
if [ ! -d "$pictures" ]; then
  echo "no reference pictures in $pictures: make-pictures.sh $build/bench-data $size" >&2
  exit 2
fi
for tool in "$build/dxcamviewer" "$build/dxsim"; do
  [ -x "$tool" ] || { echo "no $tool: cmake --build $build --target dxcamviewer dxsim" >&2; exit 2; }
done

if [ -z "${POPUP_BENCH_INSIDE:-}" ]; then
  exec unshare -n env POPUP_BENCH_INSIDE=1 bash "$0" "$build" --seconds "$seconds" --size "$size" --cases "$cases"
fi

ip link set lo up
hz=$(getconf CLK_TCK)
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
pids+=("$xvfb")
export DISPLAY=$display
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# Where the viewer's windows (both carry the edition title) are shown: "main" at x, y of the INI
# (30, 30), "popup" at hx, hy (100, 100, moved by a pixel when it fits itself to the picture).
shown_windows() {
  xwininfo -root -tree | grep -F '"Marviton' | while read -r id _; do
    local info x
    info=$(xwininfo -id "$id")
    echo "$info" | grep -q "Map State: IsViewable" || continue
    x=$(echo "$info" | awk '/Absolute upper-left X/ {print $4}')
    if [ "$x" -lt 60 ]; then echo main; else echo popup; fi
  done | sort | paste -sd+ -
}

run_case() {
  local name=$1 dir=$work/$1
  mkdir -p "$dir"
  mkfifo "$dir/sim.in"
  "$build/dxsim" --cameras 1 --replay "$pictures" --fps 25 --write-ini "$dir/dxcamviewer.ini" --serve \
    < "$dir/sim.in" > "$dir/sim.out" 2>&1 &
  local sim=$!
  pids+=("$sim")
  exec 3> "$dir/sim.in"
  for _ in $(seq 100); do [ -s "$dir/dxcamviewer.ini" ] && break; sleep 0.1; done
  case $name in
    grid)  sed -i 's/^OwnPopWin=.*/OwnPopWin=0/; s/^Autohide=.*/Autohide=0/' "$dir/dxcamviewer.ini" ;;
    popup) sed -i 's/^OwnPopWin=.*/OwnPopWin=1/; s/^pop_Alle=.*/pop_Alle=0/; s/^HideStartEn=.*/HideStartEn=1/' "$dir/dxcamviewer.ini" ;;
    both)  sed -i 's/^OwnPopWin=.*/OwnPopWin=1/; s/^pop_Alle=.*/pop_Alle=1/; s/^Autohide=.*/Autohide=0/' "$dir/dxcamviewer.ini" ;;
  esac
  (cd "$dir" && QT_QPA_PLATFORM=xcb exec "$build/dxcamviewer" --config "$dir/dxcamviewer.ini" > "$dir/viewer.out" 2>&1) &
  local viewer=$!
  pids+=("$viewer")
  sleep 3
  [ "$name" = popup ] && echo "call 1" >&3
  sleep 5  # streams up, windows settled
  local shown
  shown=$(shown_windows)
  local v0 x0 s0 v1 x1 s1
  v0=$(cpu_ticks "$viewer"); x0=$(cpu_ticks "$xvfb"); s0=$(cpu_ticks "$sim")
  sleep "$seconds"
  v1=$(cpu_ticks "$viewer"); x1=$(cpu_ticks "$xvfb"); s1=$(cpu_ticks "$sim")
  kill "$viewer" "$sim" 2>/dev/null || true
  exec 3>&-
  wait "$viewer" "$sim" 2>/dev/null || true
  local pictures_shown=$(( 25 * seconds ))
  awk -v n="$name" -v v=$((v1 - v0)) -v x=$((x1 - x0)) -v s=$((s1 - s0)) -v hz="$hz" -v t="$seconds" \
      -v p="$pictures_shown" -v w="${shown:-none}" 'BEGIN {
    printf "| %-5s | %-10s | %6.1f %% | %6.2f ms | %6.1f %% | %6.2f ms | %5.1f %% |\n",
      n, w, 100 * v / hz / t, 1000 * v / hz / p, 100 * x / hz / t, 1000 * (v + x) / hz / p, 100 * s / hz / t }'
}

echo "$size, 25 pictures/s, $seconds s per case ($(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg))"
echo "| case  | shown      | viewer CPU | viewer per picture | Xvfb CPU | viewer+Xvfb per picture | dxsim |"
echo "|---|---|---|---|---|---|---|"
for c in $cases; do run_case "$c"; done
