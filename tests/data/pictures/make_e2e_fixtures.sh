#!/usr/bin/env bash
# Makes the e2e_* pictures that the window tests load and convert (ImageMagick).
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
convert -size 32x32 gradient:red-blue -fill yellow -draw "circle 16,16 16,6" "$tmp/icon.png"
convert "$tmp/icon.png" -define icon:auto-resize=32 e2e_icon.ico
# A cursor file is an icon file whose type word (bytes 2-3) is 2.
python3 -c "d=bytearray(open('e2e_icon.ico','rb').read()); d[2]=2; open('e2e_cursor.cur','wb').write(d)"
convert -size 300x40 gradient:green-orange BMP3:e2e_wide.bmp
convert -size 1x1 xc:'#336699' BMP3:e2e_1x1.bmp
rm -rf "$tmp"
