#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, test and run the program.
# Idempotent: packages already present are not touched; nothing is
# downloaded from anywhere but the distribution's own archive.
set -euo pipefail

packages=(
  build-essential cmake ninja-build make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl1-mesa-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  dbus dbus-x11 xvfb xauth fonts-dejavu-core clang-format
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
