#!/usr/bin/env bash
# Sets up 32-bit Wine in a folder of our own, so that the i686 release runs under the
# system's 64-bit Wine without touching the system's package configuration.
#
#   setup-wine32.sh DEST
#
# A private apt state (i386 only, the bookworm mirror the system already uses) downloads
# wine32 and libwine:i386 of exactly the installed wine64 version, with their dependency
# closure; each package is unpacked into DEST/root. Then what an install would have done:
# the 32-bit loader and wineserver32 are pointed at the private ld-linux.so.2, libwine's
# zlib1.dll builtin is made, and the 64-bit loader is copied beside the 32-bit one.
# DEST/bin/wine then runs 32- and 64-bit programs (in a prefix made by it).
#
# Nothing under /etc/apt changes and no foreign architecture is added. A second run with
# everything in place returns at once. Exits non-zero with a reason when something is missing;
# with 3 when this machine's kernel runs no 32-bit programs at all (then nothing is downloaded).
set -euo pipefail

dest=${1:?usage: setup-wine32.sh DEST}
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
root=$dest/root
stamp=$dest/ready

fail() { echo "setup-wine32: $*" >&2; exit 1; }

version=$(dpkg-query -W -f '${Version}' wine64 2>/dev/null || true)
[ -n "$version" ] || fail "wine64 is not installed (run scripts/install-deps.sh)"
[ -x /usr/lib/wine/wine64 ] || fail "/usr/lib/wine/wine64 is missing"

# 32-bit Wine is a 32-bit Linux program: a kernel built or booted without 32-bit emulation
# refuses it ("Exec format error"). Find out with a three-instruction program first.
probe=$dest/probe
mkdir -p "$probe"
printf '.globl _start\n_start:\n movl $1, %%eax\n movl $0, %%ebx\n int $0x80\n' >"$probe/exit.s"
as --32 -o "$probe/exit.o" "$probe/exit.s" && ld -m elf_i386 -o "$probe/exit32" "$probe/exit.o" ||
  fail "cannot assemble the 32-bit probe (binutils)"
if ! "$probe/exit32" 2>/dev/null; then
  echo "setup-wine32: this machine's kernel does not run 32-bit programs (32-bit emulation is off)" >&2
  exit 3
fi

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ] && [ -x "$dest/bin/wine" ]; then
  exit 0
fi
rm -f "$stamp"

# The mirror the system's own apt reads bookworm from; no host is written down here.
mirror=${DEBIAN_MIRROR:-$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 2>/dev/null |
                          awk '$2 == "bookworm" { print $1; exit }')}
[ -n "$mirror" ] || fail "cannot tell the Debian mirror: run apt-get update first, or set DEBIAN_MIRROR"

apt_dir=$dest/apt
rm -rf "$apt_dir"
mkdir -p "$apt_dir/etc/sources.list.d" "$apt_dir/etc/preferences.d" \
         "$apt_dir/state/lists/partial" "$apt_dir/cache/archives/partial"
: >"$apt_dir/state/status"
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
[ -f "$keyring" ] || fail "$keyring is missing (package debian-archive-keyring)"
cat >"$apt_dir/etc/sources.list" <<EOF
deb [arch=i386 signed-by=$keyring] $mirror bookworm main
deb [arch=i386 signed-by=$keyring] $mirror bookworm-updates main
EOF
apt_private=(
  -o Dir::Etc::SourceList="$apt_dir/etc/sources.list"
  -o Dir::Etc::SourceParts="$apt_dir/etc/sources.list.d"
  -o Dir::Etc::Preferences="$apt_dir/etc/preferences"
  -o Dir::Etc::PreferencesParts="$apt_dir/etc/preferences.d"
  -o Dir::State="$apt_dir/state"
  -o Dir::State::status="$apt_dir/state/status"
  -o Dir::Cache="$apt_dir/cache"
  -o Dir::Cache::pkgcache="" -o Dir::Cache::srcpkgcache=""
  -o APT::Architecture=i386 -o APT::Architectures::=i386
  -o Debug::NoLocking=1
)
echo "== downloading 32-bit Wine $version"
apt-get "${apt_private[@]}" -qq update || fail "cannot read the i386 package lists from $mirror"
# winex11 opens the X extension libraries by name at run time: they are not dependencies.
if ! apt-get "${apt_private[@]}" -qq -y --download-only --no-install-recommends install \
       "wine32=$version" "libwine=$version" patchelf \
       libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3 libxinerama1 libxcomposite1 libxxf86vm1 \
       >"$apt_dir/download.log" 2>&1; then
  cat "$apt_dir/download.log" >&2
  fail "the mirror has no wine32/libwine $version for i386 (the installed wine64 version)"
fi

rm -rf "$root"
mkdir -p "$root"
for deb in "$apt_dir"/cache/archives/*.deb; do dpkg-deb -x "$deb" "$root"; done
rm -rf "$root"/usr/share/doc "$root"/usr/share/man "$root"/usr/share/locale "$apt_dir"/cache/archives/*.deb

# The 32-bit programs run on the private ld.so and libraries (nothing i386 is installed).
libpath=$root/lib/i386-linux-gnu:$root/usr/lib/i386-linux-gnu:$root/usr/lib/i386-linux-gnu/pulseaudio
ldso=$root/lib/i386-linux-gnu/ld-linux.so.2
[ -x "$ldso" ] || fail "the download holds no i386 ld-linux.so.2"
for program in "$root/usr/lib/wine/wine" "$root/usr/lib/wine/wineserver32"; do
  "$ldso" --library-path "$libpath" "$root/usr/bin/patchelf" \
    --set-interpreter "$ldso" --force-rpath --set-rpath "$libpath" "$program"
done

# libwine's install script marks the mingw zlib1.dll as a Wine builtin; without it a new
# prefix's syswow64 stays empty.
zlib_in=$root/usr/i686-w64-mingw32/lib/zlib1.dll
zlib_out=$root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll
[ -f "$zlib_in" ] || fail "the download holds no i686 zlib1.dll"
{ head -c 64 "$zlib_in"; printf 'Wine builtin DLL'; head -c 16 /dev/zero; tail -c +97 "$zlib_in"; } >"$zlib_out"

# Wine looks for the other bitness's loader in its own folder (a link would resolve away).
cp /usr/lib/wine/wine64 "$root/usr/lib/wine/wine64"
ln -sfn /usr/lib/wine/wineserver64 "$root/usr/lib/wine/wineserver64"
mkdir -p "$root/usr/lib/x86_64-linux-gnu"
ln -sfn /usr/lib/x86_64-linux-gnu/wine "$root/usr/lib/x86_64-linux-gnu/wine"

mkdir -p "$dest/bin"
cat >"$dest/bin/wine" <<EOF
#!/bin/sh
# Runs 32- and 64-bit Windows programs: the 64-bit loader starts the 32-bit one when needed.
exec "$root/usr/lib/wine/wine64" "\$@"
EOF
cat >"$dest/bin/wineserver" <<'EOF'
#!/bin/sh
exec /usr/lib/wine/wineserver64 "$@"
EOF
chmod +x "$dest/bin/wine" "$dest/bin/wineserver"
echo "$version" >"$stamp"
echo "== 32-bit Wine ready: $dest/bin/wine ($(du -sh "$root" | cut -f1))"
