#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail
PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libgl-dev libegl-dev libgl1-mesa-dri libglx-mesa0 libegl-mesa0 xvfb xauth
  libimgui-dev libstb-dev libopenal-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev ffmpeg
  liblitehtml-dev libgumbo-dev libtiff-dev libtiff-tools libfreetype-dev fonts-dejavu-core
  zlib1g-dev clang clang-format lld libfuzzer-14-dev imagemagick
  # models made by other programs, read by the importer tests
  assimp-testmodels libirrlicht-doc assimp-utils
)
missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing missing packages: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
