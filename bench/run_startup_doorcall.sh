#!/bin/sh
# Runs the start-up benchmark (with dead cameras, then with cameras the simulator serves) and the
# door-call benchmark in a network namespace of their own with only the loopback interface up,
# so nothing they send can leave the machine.
#   sh bench/run_startup_doorcall.sh [build folder] [extra bench_doorcall options]
set -e
build=${1:-build}
[ $# -gt 0 ] && shift
exec unshare -n sh -c 'ip link set lo up && "$0"/bench/bench_startup 10 20 &&
    "$0"/bench/bench_startup 10 20 --serving && "$0"/bench/bench_doorcall "$@"' "$build" "$@"
