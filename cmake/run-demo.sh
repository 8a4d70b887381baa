#!/bin/sh
# run-demo.sh BUILD_DIR SETTINGS_FILE: runs the demo under Wine with a copy of the built module
# and the given settings beside it, then says where the picture is. A controller button for a
# key (Key=Pad...) reaches a game only through the no-loader form: the demo then runs that, as
# xinput1_4.dll, with the test controller as Windows' own library in a prefix of its own.
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
settings=$2
[ -f "$settings" ] || { echo "No settings file at '$settings'" >&2; exit 1; }

demo="$build/demo"
rm -rf "$demo"
mkdir -p "$demo"
cp "$settings" "$demo/StickShift.ini"
echo "Settings: $settings"
if grep -Eiq '^[[:space:]]*Key[[:space:]]*=[[:space:]]*Pad' "$settings"; then
    prefix="$build/wine-prefix-system-xinput"
    module=xinput1_4.dll
    cp "$build/no-loader/xinput1_4.dll" "$demo/$module"
    "$here/wine-run.sh" "$prefix" cmd.exe /c exit
    for name in xinput1_4 xinput1_3 xinput9_1_0; do
        cp "$build/tests/xinput1_4.dll" "$prefix/drive_c/windows/system32/$name.dll"
    done
else
    prefix="$build/wine-prefix"
    module=StickShift.dll
    cp "$build/StickShift.dll" "$demo/$module"
fi

cd "$demo"
"$here/wine-run.sh" "$prefix" "$build/tests/StickShiftDemo.exe" "$module" stickshift-demo.svg
echo
echo "Picture of the stick's path: $demo/stickshift-demo.svg"
