#!/bin/sh
# run-demo.sh BUILD_DIR SETTINGS_FILE: runs the demo under Wine with a copy of the built module
# and the given settings beside it, then says where the picture is.
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
settings=$2
[ -f "$settings" ] || { echo "No settings file at '$settings'" >&2; exit 1; }

demo="$build/demo"
mkdir -p "$demo"
cp "$build/StickShift.dll" "$demo/StickShift.dll"
cp "$settings" "$demo/StickShift.ini"
echo "Settings: $settings"

cd "$demo"
"$here/wine-run.sh" "$build/wine-prefix" "$build/tests/StickShiftDemo.exe" \
    StickShift.dll stickshift-demo.svg
echo
echo "Picture of the stick's path: $demo/stickshift-demo.svg"
