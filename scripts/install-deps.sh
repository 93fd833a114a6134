#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks for building and testing. The 32-bit Wine that
# runs the i686 release is set up later, in the build folder, by scripts/setup-wine32.sh.
set -euo pipefail
PKGS="cmake make g++ zlib1g-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
      wine wine64 xvfb xauth x11-apps x11-utils imagemagick fonts-wqy-microhei googletest
      zip unzip p7zip-full python3 locales fonts-wine clang libclang-rt-14-dev binutils debian-archive-keyring"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
fi
