#!/usr/bin/env bash
# Fuzzes every target (or the ones named) for the given number of seconds each, one after the
# other, at the lowest priority. Built with clang, libFuzzer, AddressSanitizer and UBSan in
# build-fuzz (FUZZ_BUILD_DIR). What a run learns is kept: the grown corpus in
# build-fuzz/fuzz-corpus/<target>/ (the next run starts from it), and every input that crashed,
# failed a check, leaked or ran too long in fuzz/findings/<target>/. Mend a finding, then add its
# input to fuzz/corpus/<target>/ so that every test run replays it.
#   scripts/fuzz.sh [seconds] [target...]      e.g.  scripts/fuzz.sh 600 statusparser inidata
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in "$root"/fuzz/fuzz_*.cpp; do
    name=$(basename "$source" .cpp)
    targets+=("${name#fuzz_}")
  done
fi

"$root/scripts/install-deps.sh"
CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DDXCAM_SANITIZE=ON -DDXCAM_FUZZ=ON -DDXCAM_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

supp=$root/fuzz/sanitizer
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$supp/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1:suppressions=$supp/ubsan.supp}
export QT_QPA_PLATFORM=offscreen

# Files written by a target (the INI target saves twice per input) go to memory, not the disk.
[ -d /dev/shm ] && export TMPDIR=/dev/shm

status=0
for target in "${targets[@]}"; do
  source=$root/fuzz/fuzz_$target.cpp
  work=$build/fuzz-corpus/$target
  findings=$root/fuzz/findings/$target
  log=$build/fuzz-$target.log
  mkdir -p "$work" "$findings"
  # A target may name options of its own in a line "// fuzz options: ..." of its source.
  read -r -a options <<<"$(sed -n 's|^// fuzz options: *||p' "$source" | head -1)"
  : >"$log"
  runs=0
  start=$(date +%s)
  # libFuzzer stops at the first finding: start again until the time is used up.
  while left=$((seconds - ($(date +%s) - start))); [ "$left" -gt 0 ]; do
    # -timeout: an input that holds the viewer's thread for long is a finding too. The limit is
    # wall time and the fuzzer runs at the lowest priority, so it is generous.
    nice -n 19 "$build/fuzz/fuzz_$target" "${options[@]}" -max_total_time="$left" -timeout=60 \
      -report_slow_units=60 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" "$work" \
      "$root/fuzz/corpus/$target" >>"$log" 2>&1 || status=1
    ran=$(awk '/^stat::counted/ {n = 0} /^stat::number_of_executed_units:/ {n = $2} END {print n + 0}' "$log")
    runs=$((runs + ${ran:-0}))
    echo "stat::counted" >>"$log"
  done
  found=$(find "$findings" -type f | wc -l)
  echo "$target: $runs inputs in $seconds s, corpus $(find "$work" -type f | wc -l) files, findings: $found (log: $log)"
done
exit $status
