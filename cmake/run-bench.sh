#!/bin/sh
# run-bench.sh BUILD_DIR JSON_PATH: measures the built module under Wine and writes the figures
# as JSON; fails when a figure misses its goal.
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
json=$2
mkdir -p "$(dirname "$json")"
json=$(cd "$(dirname "$json")" && pwd)/$(basename "$json")

# What a player with no pad plugged in pays: the module with Wine's own xinput1_4.dll and no
# controller, in a host away from the test controller, with no override.
alone="$build/bench-no-controller"
rm -rf "$alone"
mkdir -p "$alone"
cp "$build/tests/StickShiftBench.exe" "$build/StickShift.dll" "$alone/"
(cd "$alone" && WINE_RUN_OWN_XINPUT=1 "$here/wine-run.sh" "$build/wine-prefix" \
    "$alone/StickShiftBench.exe" --idle-cpu-only StickShift.dll no-controller-cpu.txt)

cd "$build/tests"
status=0
# The 32-bit module, built beside this one, is weighed too.
"$here/wine-run.sh" "$build/wine-prefix" "$build/tests/StickShiftBench.exe" \
    ..\\StickShift.dll bench.json ..\\bench-no-controller\\no-controller-cpu.txt \
    ..\\..\\windows-x86\\StickShift.dll || status=$?
[ -f bench.json ] && mv bench.json "$json" && echo "Figures written to $json"
exit $status
