#!/usr/bin/env bash
# Soak run: the real viewer (an X11 window under Xvfb) on 20 simulated cameras for a long time,
# every camera rebooting every few minutes (connections closed, refused for 5 s, then back) and
# a door call every 30 s. Every 10 s it samples the viewer's resident memory, threads, open file
# descriptors and the bytes waiting unread in its camera connections; at the end it compares the
# first and the last quarter and counts the door calls that popped the window up.
#   bench/soak.sh [BUILD_DIR] [minutes]        defaults: build, 30
# Runs in a network namespace of its own with only lo up (it enters one itself). Needs Xvfb and
# xwininfo (scripts/install-deps.sh). Samples go to BUILD_DIR/soak/samples.csv.
set -euo pipefail
build=$(realpath "${1:-build}")
minutes=${2:-30}
if [ -z "${SOAK_IN_NAMESPACE:-}" ]; then
  export SOAK_IN_NAMESPACE=1
  exec unshare -n bash -c 'ip link set lo up && exec "$0" "$@"' "$0" "$build" "$minutes"
fi

viewer=$build/dxcamviewer
sim=$build/dxsim
for program in "$viewer" "$sim"; do
  [ -x "$program" ] || { echo "no $program: cmake --build $build --target dxcamviewer dxsim" >&2; exit 2; }
done
work=$build/soak
rm -rf "$work" && mkdir -p "$work"
ini=$work/dxcamviewer.ini
samples=$work/samples.csv
cameras=20
title="Marviton.DX-CAM-Viewer V2.2.6"

pids=()
cleanup() {
  exec 3>&- 2>/dev/null || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT
trap "exit 1" INT TERM

# The simulator takes console commands through a FIFO that stays open for the whole run.
mkfifo "$work/sim.in"
"$sim" --cameras $cameras --size 640x480 --fps 10 --cycle 10 --write-ini "$ini" --serve \
  <"$work/sim.in" >"$work/sim.log" 2>&1 &
pids+=($!)
exec 3>"$work/sim.in"
for _ in $(seq 300); do grep -q '^ready:' "$work/sim.log" 2>/dev/null && break; sleep 0.1; done
grep -q '^ready:' "$work/sim.log" || { echo "the simulator did not start" >&2; exit 1; }
# As an installation at a door: hidden until a call, hidden again 5 s after it, the streams kept
# running while hidden (so that the reboots meet live connections).
sed -i -e 's/^Autohide=.*/Autohide=1/' -e 's/^Timeout=.*/Timeout=5/' -e 's/^HideStartEn=.*/HideStartEn=1/' \
  -e 's/^stopInHide=.*/stopInHide=0/' "$ini"

display=:$((100 + $$ % 100))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display QT_QPA_PLATFORM=xcb
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$viewer" --config "$ini" >"$work/viewer.log" 2>&1 &
vpid=$!
pids+=($vpid)

mapped() { xwininfo -name "$title" 2>/dev/null | grep -q 'Map State: IsViewable'; }

# Bytes received from the cameras (port 80) but not yet read by the viewer, over all connections.
unread() {
  local sum=0 sl local remote state queues rest
  while read -r sl local remote state queues rest; do
    [[ $remote == *:0050 ]] && sum=$((sum + 16#${queues#*:}))
  done < <(tail -n +2 /proc/net/tcp)
  echo "$sum"
}

sample() {
  local rss threads fds
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$vpid/status")
  threads=$(awk '/^Threads:/ {print $2}' "/proc/$vpid/status")
  fds=$(ls "/proc/$vpid/fd" | wc -l)
  echo "$1,$rss,$threads,$fds,$(unread)" >>"$samples"
}

echo "seconds,rss_kb,threads,fds,unread_bytes" >"$samples"
# Start-up, then a first call that starts every stream; the measured run begins 30 s later.
sleep 10
echo "call 1 100" >&3
sleep 2
echo "hangup 1" >&3
sleep 28
calls=0
popped=0
latencies=()
start=$(date +%s)
end=$((start + minutes * 60))
next_sample=$start
next_call=$((start + 30))
next_reboot=$((start + 9))
reboot_camera=0
declare -A refused_until=()
while now=$(date +%s); [ "$now" -lt "$end" ]; do
  kill -0 "$vpid" 2>/dev/null || { echo "the viewer ended after $((now - start)) s" >&2; exit 1; }
  if [ "$now" -ge "$next_sample" ]; then
    sample $((now - start))
    next_sample=$((next_sample + 10))
  fi
  # One camera after the other reboots: every camera once every 20 x 9 s = 3 minutes.
  if [ "$now" -ge "$next_reboot" ]; then
    camera=$((reboot_camera % cameras + 1))
    echo "close $camera" >&3
    echo "refuse $camera" >&3
    refused_until[$camera]=$((now + 5))
    reboot_camera=$((reboot_camera + 1))
    next_reboot=$((next_reboot + 9))
  fi
  for camera in "${!refused_until[@]}"; do
    if [ "$now" -ge "${refused_until[$camera]}" ]; then
      echo "accept $camera" >&3
      unset "refused_until[$camera]"
    fi
  done
  if [ "$now" -ge "$next_call" ]; then
    station=$((calls % cameras + 1))
    calls=$((calls + 1))
    # The window must be hidden again (5 s after the last call) for the call to show anything.
    for _ in $(seq 100); do mapped || break; sleep 0.1; done
    mapped && echo "door call $calls: the window was still up from the last one" >&2
    sent=$(date +%s%N)
    echo "call $station 100" >&3
    shown=0
    for _ in $(seq 100); do
      if mapped; then shown=1; break; fi
      sleep 0.02
    done
    if [ "$shown" = 1 ]; then
      popped=$((popped + 1))
      latencies+=($(( ($(date +%s%N) - sent) / 1000000 )))
    else
      echo "door call $calls (station $station) did not pop the window up" >&2
    fi
    sleep 2
    echo "hangup $station" >&3
    next_call=$((next_call + 30))
  fi
  sleep 0.2
done
sample $(( $(date +%s) - start ))

# First and last quarter of the samples.
awk -F, -v calls="$calls" -v popped="$popped" '
  NR == 1 { next }
  { t[n] = $1; rss[n] = $2; thr[n] = $3; fd[n] = $4; uq[n] = $5; if ($5 > maxq) maxq = $5; n++ }
  END {
    q = int(n / 4); if (q < 1) q = 1
    for (i = 0; i < q; i++) { r1 += rss[i]; t1 += thr[i]; f1 += fd[i] }
    for (i = n - q; i < n; i++) { r4 += rss[i]; t4 += thr[i]; f4 += fd[i] }
    printf "soak: %d samples over %d s, 20 cameras, each rebooting every 3 minutes, a door call every 30 s\n", n, t[n-1]
    printf "  resident memory  first quarter %.1f MiB, last quarter %.1f MiB (%+.1f %%)\n", r1/q/1024, r4/q/1024, 100*(r4-r1)/r1
    printf "  threads          first quarter %.1f, last quarter %.1f\n", t1/q, t4/q
    printf "  file descriptors first quarter %.1f, last quarter %.1f\n", f1/q, f4/q
    printf "  unread bytes in the camera connections: at most %d\n", maxq
    printf "  door calls popped up: %d of %d\n", popped, calls
  }' "$samples"
if [ ${#latencies[@]} -gt 0 ]; then
  printf '%s\n' "${latencies[@]}" | sort -n | awk '{ v[NR] = $1 } END {
    printf "  call -> window shown (xwininfo polled every 20 ms): median %d ms, max %d ms\n", v[int((NR + 1) / 2)], v[NR] }'
fi
echo "samples: $samples"
[ "$popped" = "$calls" ]
