#!/usr/bin/env bash
# Times kolvane-convert against two other picture-to-coloured-text tools, side by side,
# at one character per pixel, on a 500 x 600 and a 2000 x 1500 colourful JPEG:
#   kolvane-convert --full PICTURE -o /dev/null      (RTF)
#   jp2a --colors --html                              (HTML)
#   img2txt -f html                                   (HTML, libcaca)
# and reports kolvane-convert's peak memory against its document's size, and the time
# of the default (windowed) conversion. Installs what it needs from Debian packages.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
need=()
for p in jp2a caca-utils hyperfine imagemagick time; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOLVANE_BENCH=OFF >/dev/null
cmake --build build-release --target kolvane-convert >/dev/null
convert_tool=$PWD/build-release/src/cli/kolvane-convert

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Colourful pictures: the built-in picture at both sizes.
magick=convert
$magick resources/builtin_picture.jpg -quality 90 "$work/p500x600.jpg"
$magick resources/builtin_picture.jpg -resize '2000x1500!' -quality 90 "$work/p2000x1500.jpg"

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
for size in 500x600 2000x1500; do
  w=${size%x*}; h=${size#*x}
  picture="$work/p$size.jpg"
  echo
  echo "== $size ($((w * h)) pixels)"
  hyperfine -N -w 2 -r 10 --style basic \
    -n kolvane-convert "$convert_tool --full $picture -o /dev/null" \
    -n jp2a "jp2a --colors --html --width=$w --height=$h $picture" \
    -n img2txt "img2txt -f html -W $w -H $h $picture" 2>&1 | grep -E '^(Benchmark|  Time|Summary|  [0-9.]+ ±|    [0-9.]+ ±|  .*faster)'
  "$convert_tool" --full "$picture" -o "$work/doc.rtf"
  bytes=$(stat -c %s "$work/doc.rtf")
  peak=$(/usr/bin/time -f %M "$convert_tool" --full "$picture" -o /dev/null 2>&1 >/dev/null | tail -n 1)
  echo "kolvane-convert: document $((bytes / 1024)) KiB, peak memory ${peak} KiB," \
       "$(awk -v p="$peak" -v b="$bytes" 'BEGIN { printf "%.2f", p * 1024 / b }') x the document"
done

echo
echo "== default (windowed) conversion of the 500 x 600 picture"
hyperfine -N -w 2 -r 10 --style basic "$convert_tool $work/p500x600.jpg -o /dev/null" 2>&1 | grep -E '  Time'
