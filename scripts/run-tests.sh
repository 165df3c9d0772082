#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test. The tests run inside a
# private network namespace with only the loopback device up, so none can reach another host.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)"

cd "$build"
tests='ip link set lo up && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300'
if unshare -n true 2>/dev/null; then
  echo "Running the tests in a private network namespace (loopback only)."
  exec unshare -n bash -c "$tests"
elif unshare -rn true 2>/dev/null; then
  echo "Running the tests in a private user and network namespace (loopback only)."
  exec unshare -rn bash -c "$tests"
else
  echo "NOTE: no private network namespace could be made here (unshare -n is not permitted);"
  echo "      running the tests on the host network. They address loopback only."
  QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300
fi
