#!/usr/bin/env bash
# Times LibreOffice's headless import of what a copy from the Text page puts on the
# clipboard, HTML and RTF, against loading the same content from its own ODF file, for
# the built-in picture (as the picture window shows it) and a 300 x 240 picture read
# whole. Each is a `soffice --convert-to odt`, so every case pays the same for
# starting LibreOffice and writing ODF; the median of a few runs is printed.
# Not run by CI: it installs LibreOffice (libreoffice-writer-nogui) when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh libreoffice-writer-nogui imagemagick
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOLVANE_BENCH=ON >/dev/null
cmake --build build-bench --target copy_flavours >/dev/null
runs=${RUNS:-3}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
convert resources/builtin_picture.jpg -resize '300x240!' "$work/p300x240.bmp"

# Seconds of one soffice conversion of FILE to ODF.
convert_seconds() {
  local out=$work/out.$RANDOM
  local start end
  start=$(date +%s.%N)
  timeout 3600 soffice --headless --convert-to odt --outdir "$out" "$1" >/dev/null 2>&1
  end=$(date +%s.%N)
  [ -s "$out/$(basename "${1%.*}").odt" ] || echo "  (no ODF came of $(basename "$1"))" >&2
  rm -rf "$out"
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }'
}

median() { tr ' ' '\n' | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

for case in builtin p300x240; do
  mkdir -p "$work/$case"
  if [ "$case" = builtin ]; then
    build-bench/bench/copy_flavours "$work/$case" 2>/dev/null
  else
    build-bench/bench/copy_flavours "$work/$case" "$work/$case.bmp" 2>/dev/null
  fi
  characters=$(wc -m < "$work/$case/copy.txt")
  # The same content as ODF: LibreOffice's own file of the HTML import.
  soffice --headless --convert-to odt --outdir "$work/$case/odf" "$work/$case/copy.html" >/dev/null 2>&1
  cp "$work/$case/odf/copy.odt" "$work/$case/copy.odt"
  echo "== $case: $characters characters; HTML $(stat -c %s "$work/$case/copy.html") bytes, RTF $(stat -c %s "$work/$case/copy.rtf") bytes"
  for flavour in odt html rtf; do
    times=()
    for _ in $(seq "$runs"); do times+=("$(convert_seconds "$work/$case/copy.$flavour")"); done
    echo "  $flavour: $(echo "${times[*]}" | median) s (median of $runs: ${times[*]})"
  done
done
