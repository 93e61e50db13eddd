#!/usr/bin/env bash
# Output check: kolvane-convert must keep writing, byte for byte, the documents and
# canvases recorded in tests/output_sums.txt. Every picture of the tests' data, the fuzz
# seed corpora and the regression inputs (and the built-in picture) is converted with
# five texts, as the picture window shows it and with --full; each line records the
# exit status and the SHA-256 of the document and of the --canvas PNG.
#
#   output_check.sh CONVERTER            compare with tests/output_sums.txt
#   output_check.sh CONVERTER --update   record the sums anew (a deliberate change)
set -euo pipefail
convert=$(realpath "$1")
mode=${2:-check}
cd "$(dirname "$0")/.."
sums=tests/output_sums.txt

# One conversion: "TEXT-ID MODE PICTURE" in, one line of sums out.
convert_one() {
  local text_id=$1 how=$2 picture=$3 text scratch status doc png
  case $text_id in
    glyph) text='光' ;;
    empty) text='' ;;
    ascii) text='Kolvane' ;;
    crlf) text=$'A\r\nB' ;;
    long) text='光影之间，文字成画：ASCII art' ;;
  esac
  scratch=$(mktemp -d)
  local args=(--text "$text" -o "$scratch/doc" --canvas "$scratch/canvas.png")
  [ "$how" = full ] && args+=(--full)
  [ "$picture" = builtin ] || args+=("$picture")
  status=0
  "$KOLVANE_CONVERT" "${args[@]}" 2>/dev/null || status=$?
  doc=$( [ -f "$scratch/doc" ] && sha256sum <"$scratch/doc" | cut -c1-64 || echo none)
  png=$( [ -f "$scratch/canvas.png" ] && sha256sum <"$scratch/canvas.png" | cut -c1-64 || echo none)
  rm -rf "$scratch"
  printf '%s %s %s %s %s %s\n' "$picture" "$text_id" "$how" "$status" "$doc" "$png"
}
export -f convert_one
export KOLVANE_CONVERT=$convert

pictures() {
  echo builtin
  find tests/data/pictures tests/data/regress fuzz/corpus -type f \
    ! -path 'fuzz/corpus/rtf/*' ! -name '*.py' ! -name '*.sh' | LC_ALL=C sort
}

actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
for text_id in glyph empty ascii crlf long; do
  for how in window full; do
    pictures | sed "s/^/$text_id $how /"
  done
done | xargs -P "$(nproc)" -L 1 bash -c 'convert_one "$@"' _ | LC_ALL=C sort >"$actual"

if [ "$mode" = --update ]; then
  cp "$actual" "$sums"
  echo "output check: recorded $(wc -l <"$sums") conversions in $sums"
elif diff -u "$sums" "$actual" >/dev/null; then
  echo "output check: $(wc -l <"$sums") conversions unchanged"
else
  echo "output check: kolvane-convert's output changed:"
  diff -u "$sums" "$actual" | head -n 40
  exit 1
fi
