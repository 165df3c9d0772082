#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test. The tests run inside a
# private network namespace with only the loopback device up, so none can reach another host.
#   scripts/run-tests.sh             gcc build in build/ (BUILD_DIR)
#   scripts/run-tests.sh --sanitize  the same tests, built by clang with AddressSanitizer and
#                                    UndefinedBehaviorSanitizer (-fno-sanitize-recover) in
#                                    build-asan/ (ASAN_BUILD_DIR); any report fails the test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
configure=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = --sanitize ]; then
  build=${ASAN_BUILD_DIR:-$root/build-asan}
  configure+=(-DDXCAM_SANITIZE=ON -DDXCAM_BENCH=OFF)
  export CXX=clang++
  supp=$root/fuzz/sanitizer
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_init_order=1}
  export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$supp/lsan.supp:print_suppressions=0}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1:suppressions=$supp/ubsan.supp}
fi

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" "${configure[@]}"
cmake --build "$build" -j"$(nproc)"

cd "$build"
tests='ip link set lo up && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j"$(nproc)"'
if unshare -n true 2>/dev/null; then
  echo "Running the tests in a private network namespace (loopback only)."
  exec unshare -n bash -c "$tests"
elif unshare -rn true 2>/dev/null; then
  echo "Running the tests in a private user and network namespace (loopback only)."
  exec unshare -rn bash -c "$tests"
else
  echo "NOTE: no private network namespace could be made here (unshare -n is not permitted);"
  echo "      running the tests on the host network. They address loopback only."
  QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j"$(nproc)"
fi
