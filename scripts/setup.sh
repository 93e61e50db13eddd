#!/usr/bin/env bash
# Installs the Debian packages Kolvane needs to build, test and run (only the missing
# ones), and any further packages named as arguments (the benchmarks' peers, say).
# Works as root; uses sudo otherwise.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libjpeg62-turbo-dev libspng-dev libfreetype-dev libfontconfig-dev zlib1g-dev
  googletest libgtest-dev libbenchmark-dev
  fonts-arphic-uming fonts-wqy-microhei fonts-dejavu-core
  xvfb xauth x11-utils xdotool
  help2man desktop-file-utils dpkg-dev
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "setup: installing ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
