#!/usr/bin/env bash
# Installs every Debian package the game needs to build, run and test, toolchain
# included, and only those that are missing. Safe to run again.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build ccache git python3
  libsdl2-dev libgl-dev libopengl-dev libegl-dev libgl1-mesa-dri libegl-mesa0 libglx-mesa0
  libopenal-dev libassimp-dev libbullet-dev liblua5.2-dev libboost-dev
  libstb-dev libglm-dev libfreetype-dev libfontconfig-dev fonts-ipafont-gothic
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: every package is already installed"
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "install-deps: installing ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
