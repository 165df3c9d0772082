#!/usr/bin/env bash
# The installed viewer: size of the Debian package, its installed size, and the start-up of the
# program unpacked from it against the build folder's, taking turns in the same run. Builds the
# package with cpack into a temporary folder and unpacks it there (dpkg -x); the start-ups run
# in a network namespace of their own with only loopback up, as X11 windows under Xvfb where it
# is installed (else offscreen; BENCH_PLATFORM=offscreen chooses it).
#   bench/run-install-bench.sh [build folder] [runs] [cameras]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
export runs=${2:-10} cameras=${3:-20} build
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/*.deb)
dpkg -x "$deb" "$work/root"
export installed=$work/root/usr/bin/dxcamviewer
echo "package $(basename "$deb"): $(stat -c %s "$deb") bytes; Installed-Size $(dpkg-deb --field "$deb" Installed-Size) KiB;" \
     "$(find "$work/root" -type f | wc -l) files"
echo "program file: build folder $(stat -c %s "$build/dxcamviewer") bytes, installed (stripped) $(stat -c %s "$installed") bytes"

export platform=${BENCH_PLATFORM:-} display=:${BENCH_XVFB_DISPLAY:-113}
if [ -z "$platform" ]; then
  platform=offscreen
  command -v Xvfb >/dev/null && platform=xcb
fi
unshare -n bash -c '
  set -e
  ip link set lo up
  if [ "$platform" = xcb ]; then
    Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    trap "kill $xvfb" EXIT
    export DISPLAY=$display
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  fi
  "$build/bench/bench_startup" "$runs" "$cameras" --platform "$platform" \
      --program "$build/dxcamviewer" --program "$installed"'
