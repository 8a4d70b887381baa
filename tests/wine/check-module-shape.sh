#!/bin/sh
# check-module-shape.sh OBJDUMP MODULE BITS: what we ship must be drop-in: a BITS-bit (64 or
# 32) module with no exports, XInputGetState bound by ordinal 2, and only system DLLs imported.
objdump=$1
module=$2
bits=$3
dump=$("$objdump" -p "$module") || exit 1
status=0
fail() { echo "FAIL: $*"; status=1; }

if [ "$bits" = 64 ]; then format="(PE32+)"; else format="(PE32)"; fi
echo "$dump" | grep -qF "$format" || fail "not a $bits-bit module"

exported=$(echo "$dump" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' | tail -n +2 | grep -c '\[')
[ "$exported" -eq 0 ] || fail "exports $exported names"

imports=$(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
for dll in $imports; do
    case $dll in
    kernel32.dll | user32.dll | xinput1_4.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-crt-*.dll) ;;
    *) fail "imports $dll, which is not a system DLL" ;;
    esac
done
echo "imports: $imports"

echo "$dump" | sed -n '/DLL Name: xinput1_4.dll/,/^$/p' | grep -Eq '^[[:space:]]+[0-9a-f]+[[:space:]]+0*2[[:space:]]+<none>' ||
    fail "XInputGetState is not imported by ordinal 2"

[ $status -eq 0 ] && echo "module shape ok"
exit $status
