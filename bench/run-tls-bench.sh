#!/bin/bash
# A TLS camera's cost against a plain one: the 20-camera X11 benchmark (bench_x11viewer) twice,
# each camera behind lighttpd on its own address, once over plain HTTP (port 8080) and once over
# HTTPS (port 8443) with a self-signed certificate trusted for every camera, as a user trusts it
# on first use. Everything runs in a network namespace of its own with only lo up.
# Usage: bench/run-tls-bench.sh [BUILD_DIR] [bench_x11viewer arguments...]
#   e.g. bench/run-tls-bench.sh build /work/coord/bench-data --seconds 30 --warmup 10 --runs 2 --views 2
set -euo pipefail
build=build
if [ $# -gt 0 ] && [ -d "$1/bench" ]; then build=$1; shift; fi
bench=$(realpath "$build/bench/bench_x11viewer")
[ -x "$bench" ] || { echo "no $bench: cmake --build $build --target bench_x11viewer dxsim dxcamviewer" >&2; exit 2; }
command -v lighttpd >/dev/null || { echo "lighttpd is missing (scripts/install-deps.sh)" >&2; exit 2; }

work=$(mktemp -d)

openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout "$work/cam.key" \
  -out "$work/cam.pem" -days 2 -subj /CN=camera 2>/dev/null
fingerprint=$(openssl x509 -in "$work/cam.pem" -noout -fingerprint -sha256 | sed 's/.*=//')
{
  echo 'server.document-root = "'"$work"'"'
  echo 'server.bind = "127.0.0.1"'
  echo 'server.port = 8079'
  echo 'server.modules = ("mod_proxy", "mod_openssl")'
  echo 'server.stream-response-body = 2'
  echo 'server.errorlog = "'"$work/error.log"'"'
  for i in $(seq 2 21); do
    echo '$SERVER["socket"] == "127.0.0.'"$i"':8080" { proxy.server = ("" => (("host" => "127.0.0.'"$i"'", "port" => 80))) }'
    echo '$SERVER["socket"] == "127.0.0.'"$i"':8443" { ssl.engine = "enable" ssl.pemfile = "'"$work/cam.pem"'"' \
         'ssl.privkey = "'"$work/cam.key"'" proxy.server = ("" => (("host" => "127.0.0.'"$i"'", "port" => 80))) }'
  done
} > "$work/lighttpd.conf"

exec unshare -n bash -c '
  set -euo pipefail
  ip link set lo up
  work=$1; bench=$2; fingerprint=$3; shift 3
  lighttpd -D -f "$work/lighttpd.conf" &
  proxy=$!
  display=:${DXCAM_XVFB_DISPLAY:-92}
  Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  xserver=$!
  trap "kill $xserver $proxy 2>/dev/null || true; rm -rf \"$work\"" EXIT
  for _ in $(seq 100); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
  echo "== plain HTTP through lighttpd"
  DISPLAY=$display DXCAM_XSERVER_PID=$xserver "$bench" "$@" --url "http://%1:8080/mjpg/video.mjpg"
  echo "== HTTPS through lighttpd, certificate trusted (SHA-256 $fingerprint)"
  DISPLAY=$display DXCAM_XSERVER_PID=$xserver "$bench" "$@" --url "https://%1:8443/mjpg/video.mjpg" \
    --fingerprint "$fingerprint"
' bash "$work" "$bench" "$fingerprint" "$@"
