#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, only when some are missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins libgl-dev
  libespeak-ng-dev espeak-ng espeak-ng-data flite1-dev flite
  libsoxr-dev libsndfile1-dev libmp3lame-dev libopusenc-dev libsonic-dev libbenchmark-dev
  libpulse-dev pulseaudio pulseaudio-utils sox xvfb xauth imagemagick clang clang-tidy clang-format
  openbox icewm x11-utils xdotool desktop-file-utils appstream dpkg-dev file qt6-svg-dev libxml2-utils
  libpoppler-qt6-dev libzip-dev libxml2-dev libcmark-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
