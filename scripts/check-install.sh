#!/usr/bin/env bash
# Installs the build into a temporary prefix (cmake --install) and checks what a desktop expects
# there: program, desktop entry, AppStream metadata, the icons of every edition at every size,
# man page, data folder and translations, and that the program answers its command-line options
# without a display. Validates with desktop-file-validate and
# appstreamcli where they are installed (exit 77, "skipped", when one is missing).
#   scripts/check-install.sh [build folder] [application id]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
id=${2:-de.marviton.dxcamviewer}
export QT_QPA_PLATFORM=offscreen

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
program=$prefix/bin/dxcamviewer
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

for file in bin/dxcamviewer share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
            share/man/man1/dxcamviewer.1.gz share/doc/dxcamviewer/README.md; do
  [ -f "$prefix/$file" ] || fail "$file is not installed"
done
[ "$(ls "$prefix/bin")" = dxcamviewer ] || fail "bin/ holds more than the viewer: $(ls "$prefix/bin" | xargs)"
[ -d "$share/dxcamviewer/translations" ] || fail "share/dxcamviewer/translations/ is missing"
while read -r qm; do
  [ -f "$share/dxcamviewer/translations/$(basename "$qm")" ] || fail "translation $(basename "$qm") is not installed"
done < <(find "$build" -name '*.qm' -not -path '*/_CPack_Packages/*')

# The icons of the three editions, at every size and as SVG.
for edition in "" -torva -quardello; do
  for size in 16 32 48 64 128 256; do
    png=$share/icons/hicolor/${size}x$size/apps/$id$edition.png
    if [ ! -f "$png" ]; then fail "icon $id$edition at $size is missing"; continue; fi
    dims=$(identify -format '%wx%h' "$png")
    [ "$dims" = "${size}x$size" ] || fail "icon $id$edition.png in ${size}x$size is $dims"
  done
  [ -f "$share/icons/hicolor/scalable/apps/$id$edition.svg" ] || fail "scalable icon $id$edition.svg is missing"
done
extra=$(find "$share/icons" -type f ! -name "$id.*" ! -name "$id-torva.*" ! -name "$id-quardello.*")
[ -z "$extra" ] || fail "unexpected icons: $extra"

desktop=$share/applications/$id.desktop
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry does not name the icon $id"
grep -qx "Exec=dxcamviewer" "$desktop" || fail "the desktop entry does not start dxcamviewer"
for key in 'Name' 'Name\[de\]' 'Comment' 'Comment\[de\]' 'Categories'; do
  grep -q "^$key=." "$desktop" || fail "the desktop entry has no $key"
done
# The menu entry's actions reach the running viewer through options the program knows.
grep -qx 'Actions=show;settings;quit;' "$desktop" || fail "the desktop entry does not offer show, settings, quit"
for action in show settings quit; do
  exec=$(sed -n "/^\[Desktop Action $action\]/,/^\[/s/^Exec=//p" "$desktop")
  [ "$exec" = "dxcamviewer --$action" ] || fail "the desktop action $action runs '$exec'"
  sed -n "/^\[Desktop Action $action\]/,/^\[/p" "$desktop" | grep -q '^Name\[de\]=.' ||
    fail "the desktop action $action has no German name"
done

# What a packaging check, an SSH shell or a service manager runs has no display to connect to.
headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
metainfo=$share/metainfo/$id.metainfo.xml
version=$("${headless[@]}" "$program" --version) || fail "--version without a display ends with $?"
release=$(grep -o '<release version="[^"]*"' "$metainfo" | head -1 | cut -d'"' -f2)
[ "$version" = "dxcamviewer $release" ] || fail "newest release in the metadata is $release, the program says: $version"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metadata launches no $id.desktop"
grep -q "<id>$id</id>" "$metainfo" || fail "metadata id is not $id"

# The man page names every option the program knows and renders without warnings.
page=$(zcat "$share/man/man1/dxcamviewer.1.gz")
text=$(sed 's/\\-/-/g' <<<"$page")
help=$("${headless[@]}" "$program" --help) || fail "--help without a display ends with $?"
options=$(grep -oE -- '--[a-z]+' <<<"$help" | sort -u)
[ -n "$options" ] || fail "--help names no options"
for action in show settings quit; do
  grep -qx -- "--$action" <<<"$options" || fail "--help does not name --$action of the desktop entry"
done
autostart=$prefix/config/autostart/$id.desktop
XDG_CONFIG_HOME=$prefix/config XDG_CONFIG_DIRS=$prefix/xdg "${headless[@]}" "$program" --autostart on >/dev/null &&
  [ -f "$autostart" ] || fail "--autostart on without a display wrote no $autostart"
XDG_CONFIG_HOME=$prefix/config XDG_CONFIG_DIRS=$prefix/xdg "${headless[@]}" "$program" --autostart off >/dev/null &&
  [ ! -f "$autostart" ] || fail "--autostart off without a display left $autostart"
for option in $options; do
  grep -q -- "$option" <<<"$text" || fail "the man page does not describe $option"
done
if command -v groff >/dev/null; then
  warnings=$(groff -man -Tutf8 -ww -z <<<"$page" 2>&1)
  [ -z "$warnings" ] || fail "man page: $warnings"
fi

missing=()
if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
  if grep -qiE 'error|warning' <<<"$out"; then fail "desktop-file-validate: $out"; fi
  [ -z "$out" ] || echo "$out"
else
  missing+=(desktop-file-validate)
fi
if command -v appstreamcli >/dev/null; then
  out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli: $out"
else
  missing+=(appstreamcli)
fi

[ "$failed" = 0 ] || exit 1
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installed files are sound; not validated, as missing: ${missing[*]} (scripts/install-deps.sh installs them)"
  exit 77
fi
echo "Installed files are sound and valid: $(find "$prefix" -type f | wc -l) files"
