#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when missing.
# Uses sudo when not run as root.
set -euo pipefail
packages=(build-essential cmake pkg-config freeglut3-dev libgl1-mesa-dev libglu1-mesa-dev libx11-dev
          libgtest-dev libgmock-dev libbenchmark-dev gemmi-dev tao-pegtl-dev libstb-dev
          xvfb xauth xdotool imagemagick x11-utils libgl1-mesa-dri
          libegl-dev libegl-mesa0)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
