#!/bin/sh
# mark-delay-imports.sh PROGRAM LINK_MAP: GNU ld leaves a program's delay-load directory empty,
# where Microsoft's linker, which builds most games, fills it in. This writes it from the link
# map, so that the program's headers say what a game's say.
program=$1
map=$2
descriptor=$(sed -n 's/^ *0x\([0-9a-f]*\) *_*DELAY_IMPORT_DESCRIPTOR_.*/\1/p' "$map" | head -n 1)
base=$(sed -n 's/^ *0x\([0-9a-f]*\) *_*image_base__ = .*/\1/p' "$map" | head -n 1)
[ -n "$descriptor" ] && [ -n "$base" ] || { echo "no delay-load descriptor in $map" >&2; exit 1; }
rva=$((0x$descriptor - 0x$base))
pe=$(od -An -tu4 -j60 -N4 "$program" | tr -d ' ')
magic=$(od -An -tu2 -j$((pe + 24)) -N2 "$program" | tr -d ' ')
if [ "$magic" = 523 ]; then directories=$((pe + 24 + 112)); else directories=$((pe + 24 + 96)); fi
# A 32-bit value, least significant byte first.
le32() {
    printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $(($1 & 255)) $(($1 >> 8 & 255)) \
        $(($1 >> 16 & 255)) $(($1 >> 24 & 255)))"
}
# Entry 13: one descriptor and the empty one that ends the list.
{ le32 $rva; le32 64; } | dd of="$program" bs=1 seek=$((directories + 13 * 8)) conv=notrunc \
    2>/dev/null
