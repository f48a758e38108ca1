#!/usr/bin/env bash
# Installs what the project needs on Debian 12 (run as root). Quick when all is there.
set -euo pipefail
packages=(
  build-essential cmake ninja-build clang libclang-rt-14-dev clang-format
  libgtest-dev
  libsqlite3-dev libpq-dev postgresql tcl
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  xvfb xauth fonts-noto-cjk
  dpkg-dev file desktop-file-utils groff-base lintian appstream
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix googletest wine wine64
  nsis zip unzip fonts-wine openbox xdotool x11-utils  # the Windows zip and installer; the window under Wine and Xvfb
  stress-ng  # loads the machine by hand, to try the wire-speed tests on a busy one
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
