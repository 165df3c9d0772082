#!/bin/bash
# Makes small reference pictures, as a low-resolution camera or a quiet scene sends them: 50
# frames of 320x240 of about 6 KB each (ffmpeg's testsrc2 with little temporal noise, encoded
# by cjpeg at quality 40, baseline, 4:2:0), the way make-pictures.sh makes the larger ones.
# Usage: make-small-pictures.sh OUTDIR    Writes OUTDIR/320x240/f001.jpg ... and OUTDIR/320x240.mjpeg.
# Needs the Debian packages ffmpeg and libjpeg-turbo-progs.
set -euo pipefail
out=${1:?usage: make-small-pictures.sh OUTDIR}
dir=$out/320x240
rm -rf "$dir" && mkdir -p "$dir"
ffmpeg -nostdin -loglevel error -y -f lavfi -i "testsrc2=size=320x240:rate=25" \
  -vf "noise=alls=3:allf=t+u" -frames:v 50 -f image2 -c:v ppm "$dir/f%03d.ppm"
for f in "$dir"/f*.ppm; do cjpeg -quality 40 "$f" > "${f%.ppm}.jpg"; rm "$f"; done
cat "$dir"/f*.jpg > "$out/320x240.mjpeg"
echo "320x240: $(ls "$dir" | wc -l) pictures, mean $(( $(cat "$dir"/f*.jpg | wc -c) / $(ls "$dir" | wc -l) )) bytes"
