#!/bin/sh
# wow64-root.sh ROOT: makes, once, the Debian root in which the 32-bit suite runs: Wine 10 in its
# WoW64 mode, which runs 32-bit Windows programs in a 64-bit prefix as 64-bit Windows does, with
# no 32-bit Linux code, so on any x86-64 kernel. Debian 13's amd64 Wine has the 64-bit side of
# WoW64; the 32-bit Windows DLLs come from the i386-windows folder of its libwine:i386 (Windows
# code only), unpacked beside them. The root is kept while its recipe below is unchanged.
set -e
root=$1
suite=trixie
mirror=http://deb.debian.org/debian
# The shape checks run the 32-bit files through this root's binutils too, whose output differs.
packages="wine64,libwine,binutils-mingw-w64-i686"
recipe="$suite $mirror $packages libwine:i386 i386-windows"

if [ -f "$root/.recipe" ] && [ "$(cat "$root/.recipe")" = "$recipe" ]; then
    exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "wow64-root.sh: making the 32-bit test root ($root) needs root (mmdebstrap, chroot)" >&2
    exit 1
fi
sh "$(dirname "$0")/install-deps.sh" mmdebstrap

echo "Making the 32-bit test root in $root (Debian 13's Wine 10, once)"
rm -rf "$root" "$root.new"
wine_dir=usr/lib/x86_64-linux-gnu/wine
# The root's apt fetches libwine:i386 itself and only its Windows DLLs are kept.
mmdebstrap --quiet --variant=minbase --architectures=amd64,i386 --include="$packages" \
    --customize-hook='chroot "$1" sh -c "cd /tmp && apt-get download -qq libwine:i386"' \
    --customize-hook="mkdir \"\$1/tmp/libwine-i386\" &&
        dpkg-deb -x \"\$1\"/tmp/libwine_*_i386.deb \"\$1/tmp/libwine-i386\" &&
        cp -a \"\$1\"/tmp/libwine-i386/usr/lib/i386-linux-gnu/wine/i386-windows \"\$1/$wine_dir/\" &&
        rm -rf \"\$1\"/tmp/libwine*" \
    --customize-hook='chroot "$1" apt-get clean' \
    "$suite" "$root.new" "$mirror"
[ -f "$root.new/$wine_dir/i386-windows/kernel32.dll" ] || {
    echo "wow64-root.sh: libwine:i386 brought no 32-bit Windows DLLs" >&2
    exit 1
}
echo "$recipe" >"$root.new/.recipe"
mv "$root.new" "$root"
