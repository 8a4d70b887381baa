#!/bin/sh
# check-module-shape.sh OBJDUMP FILE BITS KIND: what we ship must be drop-in: a BITS-bit (64 or
# 32) file that imports only Windows' known DLLs, which Windows never looks for in the file's
# own folder (a game's folder holds other mods' DLLs under system names), and small. By KIND:
#   plugin    StickShift.dll: at most 28 KiB, no exports, XInputGetState bound by ordinal 2 of
#             xinput1_4.dll;
#   noloader  the no-loader form: at most 36 KiB, every XInput function at Windows' ordinals,
#             the ordinal-only ones without a name, and no XInput import;
#   program   StickShiftProbe.exe, StickShift.exe: no XInput import (they load Windows' own
#             library themselves).
# The known DLLs are those of HKLM\System\CurrentControlSet\Control\Session Manager\KnownDLLs
# on every Windows from 8 on.
known_dlls="advapi32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll
shell32.dll shlwapi.dll user32.dll"
objdump=$1
file=$2
bits=$3
kind=$4
dump=$("$objdump" -p "$file") || exit 1
status=0
fail() { echo "FAIL: $*"; status=1; }

if [ "$bits" = 64 ]; then format="(PE32+)"; else format="(PE32)"; fi
echo "$dump" | grep -qF "$format" || fail "not a $bits-bit file"

# The no-loader form carries XInput's whole face and the chaining to another mod's library.
case $kind in
plugin) limit=28 ;;
noloader) limit=36 ;;
*) limit= ;;
esac
if [ -n "$limit" ]; then
    size=$(wc -c <"$file")
    [ "$size" -le $((limit * 1024)) ] || fail "$size bytes, over $limit KiB"
fi

# Exports as "ORDINAL NAME" lines, an ordinal-only one with the name "-". Binutils 2.40 and
# later (Debian 13) also print each name's ordinal and hint: the name is the line's last word.
ordinals=$(echo "$dump" | sed -n '/^Export Address Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[ *[0-9]*\] +base\[ *\([0-9]*\)\].*/\1/p')
base=$(echo "$dump" | sed -n 's/^Ordinal Base[[:space:]]*\([0-9][0-9]*\).*/\1/p')
names=$(echo "$dump" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[ *\([0-9]*\)\].*[[:space:]]\([^[:space:]]*\)$/\1 \2/p')
exports=$(for ordinal in $ordinals; do
    name=$(echo "$names" | awk -v index_=$((ordinal - base)) '$1 == index_ { print $2 }')
    echo "$ordinal ${name:--}"
done)

imports=$(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
for dll in $imports; do
    case " $(echo $known_dlls) $([ "$kind" = plugin ] && echo xinput1_4.dll) " in
    *" $dll "*) ;;
    *) fail "imports $dll, which is not one of Windows' known DLLs" ;;
    esac
done
echo "imports: $imports"

case $kind in
plugin)
    [ -z "$exports" ] || fail "exports: $exports"
    echo "$dump" | sed -n '/DLL Name: xinput1_4.dll/,/^$/p' |
        grep -Eq '^[[:space:]]+[0-9a-f]+[[:space:]]+0*2[[:space:]]+<none>' ||
        fail "XInputGetState is not imported by ordinal 2"
    ;;
noloader)
    expected="2 XInputGetState
3 XInputSetState
4 XInputGetCapabilities
5 XInputEnable
6 XInputGetDSoundAudioDeviceGuids
7 XInputGetBatteryInformation
8 XInputGetKeystroke
10 XInputGetAudioDeviceIds
100 -
101 -
102 -
103 -
104 -
108 -"
    [ "$exports" = "$expected" ] || fail "exports, as ordinal and name:
$exports"
    ;;
esac

[ $status -eq 0 ] && echo "$kind shape ok"
exit $status
