#!/usr/bin/env bash
# Builds the Debian package (cpack -G DEB) into a temporary folder, checks its fields and contents
# (dpkg-deb --info/--contents), unpacks it into a clean root (dpkg -x) and runs the viewer from
# there as an installed program: --version, start at login, and its INI and log in the user's
# ~/.config/dxcamviewer/ with nothing written beside the program, though root may write there.
# The viewer reads a loopback-only INI: nothing it does leaves the machine.
# Exit 77 ("skipped") where cpack or dpkg-deb is missing.
#   scripts/check-package.sh [build folder] [application id]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
id=${2:-de.marviton.dxcamviewer}
export QT_QPA_PLATFORM=offscreen
for tool in cpack dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "Not checked: $tool is missing (scripts/install-deps.sh installs it)"; exit 77; }
done

work=$(mktemp -d)
viewer=
cleanup() { [ -n "$viewer" ] && kill "$viewer" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/*.deb)
field() { dpkg-deb --field "$deb" "$1"; }
version=$("$build/dxcamviewer" --version | cut -d' ' -f2)

[ "$(field Package)" = dxcamviewer ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), the program says $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = video ] || fail "Section: $(field Section)"
field Maintainer | grep -qE '^[^<>@]+ <[^<>@ ]+@[^<>@ ]+\.[a-z]+>$' || fail "Maintainer is no 'Name <address>': $(field Maintainer)"
description=$(field Description)
[ "$(wc -l <<<"$description")" -ge 3 ] || fail "the description has no long text: $description"
# Dependencies come from the libraries the program links, with their versions.
depends=$(field Depends)
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libturbojpeg0 \
               libavformat59 libavcodec59 libswscale6 libavutil57; do
  grep -qE "(^|, )${library//+/\\+} \(>= [^)]+\)" <<<"$depends" || fail "Depends lacks $library: $depends"
done
grep -qE "(^|, )libqt6sql6-sqlite(,|$| )" <<<"$depends" || fail "Depends lacks the SQLite driver of the call history: $depends"
[ "$(field Installed-Size)" -gt 0 ] || fail "Installed-Size: $(field Installed-Size)"

contents=$(dpkg-deb --contents "$deb")
for file in usr/bin/dxcamviewer usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
            usr/share/man/man1/dxcamviewer.1.gz usr/share/icons/hicolor/256x256/apps/$id.png \
            usr/share/icons/hicolor/scalable/apps/$id-torva.svg usr/share/dxcamviewer/translations/; do
  grep -qE " \./$file\$" <<<"$contents" || fail "the package lacks /$file"
done
outside=$(awk '{print $6}' <<<"$contents" | grep -vE '^\./(usr(/.*)?)?$' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
owners=$(awk '{print $2}' <<<"$contents" | sort -u)
[ "$owners" = root/root ] || fail "files not owned by root: $owners"
grep -qE 'dxsim|tst_|bench_' <<<"$contents" && fail "test tools are packaged"

dpkg -x "$deb" "$work/root"
program=$work/root/usr/bin/dxcamviewer
readelf -S "$program" | grep -q '\.debug_info' && fail "the program is not stripped"
[ "$("$program" --version)" = "dxcamviewer $version" ] || fail "the installed viewer does not start with --version"

# The installed viewer as a user starts it: settings from ~/.config/dxcamviewer/. An INI beside
# the program must be ignored (it names loopback modules too, so a fault here stays local).
home=$work/home
config=$home/.config/dxcamviewer
mkdir -p "$config"
ini_text='
[Window]
x=30.0
y=40.0
width=640.0
height=480.0
Autohide=0

[System]
ownIP=127.0.0.1
HideStartEn=0

[Cam 1_127.0.0.2]
camName=Cam 1
IP=127.0.0.2
sipName=Door 1
SIP_IP=127.0.1.2
'
printf '%s' "$ini_text" >"$config/dxcamviewer.ini"
printf '%s' "$ini_text" >"$program.ini"
before=$(ls -l --time-style=+%s.%N "$work/root/usr/bin")

env -u XDG_CONFIG_HOME HOME="$home" "$program" >"$work/viewer.out" 2>&1 &
viewer=$!
for _ in $(seq 300); do
  grep -q '##### first tick' "$work/viewer.out" && break
  kill -0 "$viewer" 2>/dev/null || break
  sleep 0.1
done
grep -q '##### first tick' "$work/viewer.out" || fail "the installed viewer did not start: $(tail -5 "$work/viewer.out")"
grep -qxF "##### \"$config/dxcamviewer.ini\"" "$work/viewer.out" || fail "the INI is not read from $config: $(grep '#####' "$work/viewer.out" | head -2)"
[ -f "$config/dxcamviewer.log" ] || fail "no log in $config"
kill "$viewer"
wait "$viewer" 2>/dev/null || true
viewer=
[ "$(ls -l --time-style=+%s.%N "$work/root/usr/bin")" = "$before" ] || fail "written beside the program: $(ls "$work/root/usr/bin" | xargs)"

# Start at login, from the installed program.
env -u XDG_CONFIG_HOME HOME="$home" "$program" --autostart on >/dev/null || fail "--autostart on failed"
entry=$home/.config/autostart/$id.desktop
grep -qxF "Exec=$program" "$entry" 2>/dev/null || fail "the autostart entry does not start $program"
if command -v desktop-file-validate >/dev/null && [ -f "$entry" ]; then
  desktop-file-validate "$entry" || fail "the autostart entry is not valid"
fi
env -u XDG_CONFIG_HOME HOME="$home" "$program" --autostart off >/dev/null || fail "--autostart off failed"
[ ! -e "$entry" ] || fail "--autostart off left $entry"

[ "$failed" = 0 ] || exit 1
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes, Installed-Size $(field Installed-Size) KiB, sound"
