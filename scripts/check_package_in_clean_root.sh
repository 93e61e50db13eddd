#!/usr/bin/env bash
# Checks Kolvane's Debian package where nothing else was installed: makes a clean
# Debian 12 root with debootstrap, installs the package there with apt-get (which must
# bring every library and font it needs), and runs the installed programs inside it:
# kolvane-convert must write the very document and canvas that the build's own
# converter writes, and kolvane must start and close with a picture loaded.
#
#   check_package_in_clean_root.sh [BUILD]    (default: build-release)
#
# Not part of the test command: it needs root and Debian's archive (from the package
# sources apt already uses), and takes several minutes. BUILD is configured and built
# when it needs to be. KEEP_ROOT=1 keeps the root for a look afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=$(realpath -m "${1:-build-release}")
fail() {
  echo "check_package_in_clean_root: $*" >&2
  exit 1
}
[ "$(id -u)" -eq 0 ] || fail "debootstrap and chroot need root"
bash scripts/setup.sh
if ! command -v debootstrap >/dev/null; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
fi

# "URI SUITE" for each enabled Debian 12 source of main that apt uses here, from both
# the one-line and the deb822 formats.
debian_sources() {
  local files=() f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do [ -f "$f" ] && files+=("$f"); done
  [ ${#files[@]} -gt 0 ] && awk '
    $1 == "deb" {
      i = 2
      if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
      uri = $i; suite = $(i + 1)
      for (j = i + 2; j <= NF; j++) if ($j == "main") print uri, suite
    }' "${files[@]}"
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk '
      function flush(  u, s, nu, ns, a, b) {
        if (types ~ /(^| )deb( |$)/ && components ~ /(^| )main( |$)/ && enabled != "no") {
          nu = split(uris, a, " "); ns = split(suites, b, " ")
          for (u = 1; u <= nu; u++) for (s = 1; s <= ns; s++) print a[u], b[s]
        }
        types = uris = suites = components = enabled = ""
      }
      /^#/ { next }
      /^[ \t]*$/ { flush(); next }
      { key = tolower($1); $1 = ""; sub(/^ +/, "") }
      key == "types:" { types = $0 } key == "uris:" { uris = $0 }
      key == "suites:" { suites = $0 } key == "components:" { components = $0 }
      key == "enabled:" { enabled = tolower($0) }
      END { flush() }' "$f"
  done
}
sources=$(debian_sources | awk '$2 ~ /^bookworm(-updates|-security|\/updates)?$/' | sort -u)
mirror=$(awk '$2 == "bookworm" { print $1; exit }' <<<"$sources")
[ -n "$mirror" ] || fail "apt has no source for Debian 12 (bookworm) main"
echo "== Debian 12 from $mirror"

echo "== The package, from $build"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOLVANE_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j "$(nproc)" >/dev/null
scratch=$(mktemp -d /var/tmp/kolvane-clean-root.XXXXXX)
root=$scratch/root
mounted=""
cleanup() {
  if [ -n "$mounted" ]; then umount "$root/proc" || true; fi
  if [ "${KEEP_ROOT:-0}" = 1 ]; then
    echo "the root is kept in $root"
  else
    rm -rf "$scratch"
  fi
}
trap cleanup EXIT
(cd "$build" && cpack -G DEB -B "$scratch/package" >"$scratch/cpack.log" 2>&1) ||
  { cat "$scratch/cpack.log"; fail "cpack failed"; }
deb=$(ls "$scratch"/package/kolvane_*.deb)

echo "== debootstrap (minbase)"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$scratch/debootstrap.log" 2>&1 ||
  { tail -n 30 "$scratch/debootstrap.log"; fail "debootstrap failed"; }
awk '{ print "deb", $1, $2, "main" }' <<<"$sources" >"$root/etc/apt/sources.list"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mounted=1
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }

echo "== apt-get install ./$(basename "$deb") (no recommended packages)"
cp "$deb" "$root/tmp/"
in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  "/tmp/$(basename "$deb")" >"$scratch/install.log" 2>&1 ||
  { tail -n 30 "$scratch/install.log"; fail "the package does not install"; }
echo "installed: $(in_root dpkg-query -W -f='${Package} ${Version}' kolvane)," \
  "$(in_root dpkg-query -W -f='${binary:Package}\n' | wc -l) packages in the root"

echo "== The installed programs"
in_root kolvane-convert --version
in_root kolvane --version
cp tests/data/pictures/colour.jpg "$root/tmp/colour.jpg"
in_root kolvane-convert -o /tmp/doc.rtf --canvas /tmp/canvas.png /tmp/colour.jpg
"$build/src/cli/kolvane-convert" -o "$scratch/doc.rtf" --canvas "$scratch/canvas.png" \
  "$source_dir/tests/data/pictures/colour.jpg"
cmp "$root/tmp/doc.rtf" "$scratch/doc.rtf" || fail "the document differs from the build's"
cmp "$root/tmp/canvas.png" "$scratch/canvas.png" || fail "the canvas differs from the build's"
echo "kolvane-convert in the clean root: document ($(stat -c %s "$scratch/doc.rtf") bytes) and canvas identical to the build's"

in_root env QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=/tmp KOLVANE_SCREENSHOT=/tmp/screen.png \
  timeout 60 kolvane /tmp/colour.jpg >"$scratch/kolvane.out" 2>"$scratch/kolvane.err" ||
  { cat "$scratch/kolvane.err"; fail "kolvane did not run in the clean root"; }
if grep -q '^kolvane:' "$scratch/kolvane.err"; then
  cat "$scratch/kolvane.err"
  fail "kolvane did not load its picture in the clean root"
fi
echo "kolvane in the clean root: started offscreen with a picture and closed (exit 0)"
echo "check_package_in_clean_root: passed"
