#!/usr/bin/env bash
# Times kolvane-convert against two other picture-to-coloured-text tools in one run,
# on colourful JPEGs made from the built-in picture, and prints medians and ratios:
#   1. one character per pixel at 500 x 600 and 2000 x 1500:
#        kolvane-convert --full (RTF), --format html and --format ansi (at the picture's
#        width), jp2a --colors --html and img2txt -f html (at the picture's size);
#   2. kolvane-convert's peak memory at 2000 x 1500 against its document's size;
#   3. a 4000 x 3000 JPEG at 120 columns: kolvane-convert against jp2a.
# Not run by CI. Installs what it needs from Debian packages (jp2a, caca-utils,
# hyperfine, imagemagick, time).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh jp2a caca-utils hyperfine imagemagick time python3

cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOLVANE_BENCH=OFF >/dev/null
cmake --build build-release --target kolvane-convert >/dev/null
kc=$PWD/build-release/src/cli/kolvane-convert
runs=${RUNS:-15}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for size in 500x600 2000x1500 4000x3000; do
  convert resources/builtin_picture.jpg -resize "${size}!" -quality 90 "$work/p$size.jpg"
done

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "medians of $runs runs each (hyperfine), all in this one run"

# hyperfine NAME=COMMAND...: prints "name median_ms" per command, runs interleaved.
medians() {
  local json=$work/times.json args=()
  for pair in "$@"; do args+=(-n "${pair%%=*}" "${pair#*=}"); done
  hyperfine -N -w 2 -r "$runs" --style none --export-json "$json" "${args[@]}" >/dev/null 2>&1
  python3 - "$json" <<'PY'
import json, sys
for r in json.load(open(sys.argv[1]))["results"]:
    print(f'{r["command"]} {r["median"] * 1000:.1f}')
PY
}

report() {  # reads "name ms" lines; prints them with their ratio to the first line
  awk 'NR == 1 { base = $2; first = $1 }
       { printf "  %-14s %8.1f ms   %5.2fx the time of %s\n", $1, $2, $2 / base, first }'
}

for size in 500x600 2000x1500; do
  w=${size%x*}; h=${size#*x}
  p=$work/p$size.jpg
  echo
  echo "== one character per pixel, $size ($((w * h)) cells)"
  medians \
    "kolvane-rtf=$kc --full $p -o /dev/null" \
    "kolvane-html=$kc --format html --width $w $p -o /dev/null" \
    "kolvane-ansi=$kc --format ansi --width $w $p -o /dev/null" \
    "jp2a-html=jp2a --colors --html --width=$w --height=$h $p" \
    "img2txt-html=img2txt -f html -W $w -H $h $p" > "$work/m.txt"
  report < "$work/m.txt"
  rtf=$(awk '$1 == "kolvane-rtf" { print $2 }' "$work/m.txt")
  peer=$(awk '$1 ~ /^(jp2a|img2txt)/ { print $2 }' "$work/m.txt" | sort -g | head -n 1)
  echo "  fastest peer / kolvane-convert --full: $(awk -v a="$peer" -v b="$rtf" 'BEGIN { printf "%.2f", a / b }')x"
  "$kc" --full "$p" -o "$work/doc.rtf"
  bytes=$(stat -c %s "$work/doc.rtf")
  peak=$(/usr/bin/time -f %M "$kc" --full "$p" -o /dev/null 2>&1 >/dev/null | tail -n 1)
  echo "  kolvane-convert --full: document $((bytes / 1024)) KiB, peak memory ${peak} KiB =" \
       "$(awk -v p="$peak" -v b="$bytes" 'BEGIN { printf "%.2f", p * 1024 / b }') x the document"
done

echo
echo "== a 4000 x 3000 JPEG at 120 columns"
p=$work/p4000x3000.jpg
medians \
  "kolvane-html=$kc --format html --width 120 $p -o /dev/null" \
  "kolvane-ansi=$kc --format ansi --width 120 $p -o /dev/null" \
  "jp2a-html=jp2a --colors --html --width=120 --height=90 $p" > "$work/m.txt"
report < "$work/m.txt"
