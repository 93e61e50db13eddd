#!/usr/bin/env bash
# Sets up, builds and starts Kolvane. Where there is no display, it says so and instead
# converts the built-in picture into the current folder and saves a screenshot of the
# program running on a virtual display.
set -euo pipefail
here=$(pwd)
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOLVANE_BENCH=OFF >/dev/null
cmake --build build-release --target kolvane kolvane-convert -j "$(nproc)"
program=$PWD/build-release/src/app/kolvane
convert=$PWD/build-release/src/cli/kolvane-convert

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$program"
fi

echo "No display is available, so Kolvane's windows cannot be shown here."
cd "$here"
"$convert" -o kolvane-art.rtf --canvas kolvane-art.png
"$convert" -o kolvane-art.html --width 120
echo "Converted the built-in picture instead:"
echo "  $here/kolvane-art.html  the text art, 120 characters wide, as a web page: open it in"
echo "                          a browser, or in a word processor, which opens it quickly,"
echo "                          for example: libreoffice --writer kolvane-art.html"
echo "  $here/kolvane-art.rtf   the document the program shows after Start (one character"
echo "                          per pixel, one colour-table entry each; word processors"
echo "                          open such RTF slowly)"
echo "  $here/kolvane-art.png   the text-art canvas as a picture"

# The program itself, on a virtual display, photographed.
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1600x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
runtime=$(mktemp -d)
DISPLAY=$display XDG_RUNTIME_DIR=$runtime KOLVANE_SCREENSHOT="$here/kolvane-screenshot.png" \
  "$program" >/dev/null
rm -rf "$runtime"
echo "  $here/kolvane-screenshot.png  the program's windows as they start, on a virtual display"
