#!/usr/bin/env bash
# Installs every Debian 12 package that building, running and testing Frametide needs.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git python3
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev fonts-dejavu-core
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-tools
  gstreamer1.0-pipewire gstreamer1.0-libav
  libxvidcore-dev libyuv-dev
  ffmpeg xvfb xdotool xclip x11-apps imagemagick time bc
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev
)

sudo_if_needed() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  sudo_if_needed apt-get update -q
  sudo_if_needed apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
