#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running the demo need.
# Only packages that are missing are installed; uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-tools-dev qt6-tools-dev-tools
  qt6-l10n-tools qt6-translations-l10n libqt6opengl6-dev libgl-dev
  qt6-qpa-plugins libturbojpeg0-dev libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  # The call history's database: Qt SQL's SQLite driver.
  libqt6sql6-sqlite
  xvfb xauth x11-utils xdotool imagemagick iproute2 util-linux
  dpkg-dev desktop-file-utils appstream groff-base dbus-daemon
  lighttpd lighttpd-mod-openssl openssl
  # RTSP servers nobody here wrote, for the tests (GStreamer's, through python3-gi), and ffprobe
  # to read the recordings back.
  python3-gi gir1.2-gst-rtsp-server-1.0 gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  gstreamer1.0-plugins-ugly gstreamer1.0-plugins-bad ffmpeg
  # TLS for GStreamer's RTSP server (rtsps).
  glib-networking
)
if [ "${DXCAM_BENCH:-0}" = 1 ]; then
  packages+=(libjpeg-turbo-progs)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
