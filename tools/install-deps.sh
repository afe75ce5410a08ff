#!/usr/bin/env bash
# Installs the Debian 12 packages the game, its tests and its content tools need,
# and only those that are missing. Runs apt-get as root, or through sudo.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libglfw3-dev libglew-dev libglm-dev libassimp-dev libfreeimage-dev
  libbullet-dev libopenal-dev libsndfile1-dev libfreetype-dev fonts-dejavu-core
  libgtest-dev libbenchmark-dev
  xvfb xauth libgl1-mesa-dri xdotool
  # the Debian package, its menu entry, its checker, manual page and AppStream data
  dpkg-dev desktop-file-utils lintian man-db appstream
  # the screens and HUD image (tools/make-screens.sh)
  imagemagick fonts-urw-base35
  # fuzzing (libFuzzer) and readable sanitizer reports
  clang-14 libclang-rt-14-dev llvm-14
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
