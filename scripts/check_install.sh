#!/usr/bin/env bash
# Install check: installs a build into a scratch prefix and runs what was installed as a
# user would, away from the source and build folders; then makes the Debian package
# and checks what it holds and what it depends on.
#
#   check_install.sh BUILD     (a configured and built GCC build folder)
set -euo pipefail
build=$(realpath "$1")
cd "$(dirname "$0")/.."
source_dir=$PWD
echo "== Install check: cmake --install, the installed programs, cpack -G DEB"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
fail() {
  echo "check_install: $*" >&2
  exit 1
}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"

cmake --install "$build" --prefix "$prefix" --strip >/dev/null

# What a desktop expects where it looks for it.
icons=()
for size in 16 22 24 32 48; do icons+=("share/icons/hicolor/${size}x${size}/apps/kolvane.png"); done
installed=(bin/kolvane bin/kolvane-convert share/applications/kolvane.desktop
           share/man/man1/kolvane.1.gz share/man/man1/kolvane-convert.1.gz
           share/doc/kolvane/README.md "${icons[@]}")
for file in "${installed[@]}"; do
  [ -s "$prefix/$file" ] || fail "$file was not installed"
done
for program in kolvane kolvane-convert; do
  if readelf -S "$prefix/bin/$program" | grep -qE '\.symtab|\.debug_'; then
    fail "bin/$program was installed unstripped"
  fi
  if readelf -d "$prefix/bin/$program" | grep -qE 'RPATH|RUNPATH'; then
    fail "bin/$program has a library search path of its own"
  fi
done
# The programs carry their resources: nothing installed names the source or build tree.
if leaks=$(grep -rlF -e "$source_dir" -e "$build" "$prefix"); then
  fail "installed files name the source or build folder: $leaks"
fi
desktop-file-validate "$prefix/share/applications/kolvane.desktop" ||
  fail "the desktop entry does not validate"
grep -qx 'Exec=kolvane %f' "$prefix/share/applications/kolvane.desktop" ||
  fail "the desktop entry does not pass the opened file"
for size in 16 22 24 32 48; do
  header=$(od -An -tx1 -j16 -N8 "$prefix/share/icons/hicolor/${size}x${size}/apps/kolvane.png" | tr -d ' \n')
  [ "$header" = "$(printf '%08x%08x' "$size" "$size")" ] || fail "the ${size}x${size} icon is not $size x $size"
done
# The manual page follows kolvane-convert's options.
page=$(gzip -dc "$prefix/share/man/man1/kolvane-convert.1.gz" | sed 's/\\-/-/g')
for option in $("$prefix/bin/kolvane-convert" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
  grep -qF -- "$option" <<<"$page" || fail "the manual page does not describe $option"
done

# The installed programs, run from a folder of their own, without a display.
cd "$scratch"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/kolvane" --version)" = "kolvane $version" ] ||
  fail "kolvane --version does not say kolvane $version"
[ "$("$prefix/bin/kolvane-convert" --version)" = "kolvane-convert $version" ] ||
  fail "kolvane-convert --version does not say kolvane-convert $version"

picture=$source_dir/tests/data/pictures/colour.jpg
"$prefix/bin/kolvane-convert" -o installed.rtf --canvas installed.png "$picture"
"$build/src/cli/kolvane-convert" -o built.rtf --canvas built.png "$picture"
cmp installed.rtf built.rtf || fail "the installed kolvane-convert writes another document"
cmp installed.png built.png || fail "the installed kolvane-convert draws another canvas"

# The window program with a picture to load, as the desktop entry starts it; it saves
# a screenshot and closes itself.
status=0
QT_QPA_PLATFORM=offscreen KOLVANE_SCREENSHOT=$scratch/screen.png XDG_RUNTIME_DIR=$scratch \
  timeout 60 "$prefix/bin/kolvane" "$source_dir/tests/data/pictures/load_640x480.jpg" \
  >/dev/null 2>"$scratch/kolvane.err" || status=$?
[ "$status" -eq 0 ] || { cat "$scratch/kolvane.err"; fail "the installed kolvane exited with $status"; }
if grep -q '^kolvane:' "$scratch/kolvane.err"; then
  cat "$scratch/kolvane.err"
  fail "the installed kolvane did not load its picture"
fi

# The Debian package.
cd "$build"
cpack -G DEB -B "$scratch/package" >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; fail "cpack failed"; }
deb=$scratch/package/kolvane_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "cpack made no $(basename "$deb")"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in "${installed[@]}"; do
  grep -qx "\./usr/$file" <<<"$contents" || fail "the package does not hold /usr/$file"
done
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libjpeg62-turbo libfreetype6 fonts-arphic-uming fonts-wqy-microhei fonts-dejavu-core; do
  grep -qE "(^|, )$package( |,|$)" <<<"$depends" || fail "the package does not depend on $package: $depends"
done
echo "check_install: $(basename "$deb") installs and runs; Depends: $depends"
