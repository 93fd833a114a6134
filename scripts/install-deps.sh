#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks for building and testing. The 32-bit Wine that
# runs the i686 release is set up later, in the build folder, by scripts/setup-wine32.sh.
set -euo pipefail
PKGS="cmake make g++ zlib1g-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
      wine wine64 xvfb xauth x11-apps x11-utils imagemagick fonts-wqy-microhei googletest
      zip unzip p7zip-full python3 locales fonts-wine clang libclang-rt-14-dev binutils debian-archive-keyring
      dpkg-dev bzip2 xz-utils"
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

# zlib for the Windows builds (cmake/pw_zlib.cmake): Debian's zlib source package of the same
# upstream version as libz-mingw-w64-dev, unpacked into build/zlib-src. The source list is a
# private one with the deb-src line; the machine's apt configuration stays as it is. When the
# source cannot be had (offline), the builds keep Debian's mingw library.
root=$(cd "$(dirname "$0")/.." && pwd)
zlib_src=$root/build/zlib-src
if [ ! -f "$zlib_src/deflate.c" ]; then
  if ! (
    set -euo pipefail
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    upstream=$(dpkg-query -W -f='${Version}' libz-mingw-w64-dev | sed 's/^[0-9]*://; s/[+~.]dfsg.*//; s/-[^-]*$//')
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' | awk -v r="$codename" '$2 == r { print $1; exit }')
    [ -n "$mirror" ]
    mkdir -p "$work/lists/partial" "$work/cache/archives/partial"
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $codename main" >"$work/sources.list"
    : >"$work/status"
    apt_private=(-o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/nonexistent
                 -o Dir::State="$work" -o Dir::State::Lists="$work/lists" -o Dir::State::status="$work/status"
                 -o Dir::Cache="$work/cache" -o Debug::NoLocking=1)
    apt-get "${apt_private[@]}" update >/dev/null 2>&1
    (cd "$work" && apt-get "${apt_private[@]}" source --download-only zlib >/dev/null 2>&1)
    dsc=$(ls "$work"/zlib_*.dsc)
    case "$(basename "$dsc")" in
      "zlib_${upstream}"[.+]*) ;;
      *) echo "zlib source $(basename "$dsc") is not version $upstream" >&2; exit 1 ;;
    esac
    dpkg-source -x "$dsc" "$work/zlib" >/dev/null 2>&1
    mkdir -p "$(dirname "$zlib_src")"
    mv "$work/zlib" "$zlib_src"
  ); then
    echo "warning: zlib's source package could not be fetched; the Windows builds use Debian's mingw zlib" >&2
  fi
fi
