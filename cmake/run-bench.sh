#!/bin/sh
# run-bench.sh BUILD_DIR JSON_PATH: measures the built module under Wine and writes the figures
# as JSON; fails when a figure misses its goal.
set -e
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
json=$2
mkdir -p "$(dirname "$json")"
json=$(cd "$(dirname "$json")" && pwd)/$(basename "$json")

cd "$build/tests"
status=0
"$here/wine-run.sh" "$build/wine-prefix" "$build/tests/StickShiftBench.exe" \
    ..\\StickShift.dll bench.json || status=$?
[ -f bench.json ] && mv bench.json "$json" && echo "Figures written to $json"
exit $status
