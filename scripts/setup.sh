#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine (run as root). Quick when
# everything is already there: apt is asked only for packages that are missing.
set -euo pipefail
packages=(
  build-essential cmake pkg-config git
  googletest libgtest-dev libbenchmark-dev
  libarchive-dev libfltk1.3-dev libfontconfig-dev libx11-dev
  fonts-ipafont-gothic xdg-utils
  # tests: a display, screenshots, clicks
  xvfb x11-utils xdotool imagemagick
  # tools that make fixtures and the peers the benchmarks measure against
  zip unzip jlha-utils lhasa gcab cabextract 7zip arj xz-utils bzip2 gzip ncompress
  libarchive-tools unar
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
