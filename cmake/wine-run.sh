#!/bin/sh
# Runs a Windows program of the build under Wine: wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
# The Wine prefix lives in the build tree and is made on first use. The test controller beside
# a program is preferred to Wine's own xinput1_4.dll, which a program without one still gets.
# Wine's crash debugger is off, so a crash ends the program at once with a failing exit code.
set -e
prefix=$1
shift

export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="xinput1_4=n,b;winedbg.exe=d;mscoree,mshtml="

wine=$(command -v wine64 || command -v wine || true)
for candidate in /usr/lib/wine/wine64 /usr/lib/wine/wine; do
    [ -n "$wine" ] && break
    [ -x "$candidate" ] && wine=$candidate
done
if [ -z "$wine" ]; then
    echo "wine-run.sh: Wine is not installed (Debian package wine64)" >&2
    exit 127
fi

if [ ! -f "$prefix/.ready" ]; then
    mkdir -p "$prefix"
    (
        flock 9
        if [ ! -f "$prefix/.ready" ]; then
            "$wine" wineboot -i >/dev/null 2>&1
            touch "$prefix/.ready"
        fi
    ) 9>"$prefix.lock"
fi

# Wine's server and its background programs outlive the program, and would inherit its output
# if the program started them: whoever reads our output (CTest) would then wait for them to
# exit too. Start them first, detached from our output; they stay a few seconds after the last
# program, so the next one starts at once.
"$wine" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true

exec "$wine" "$@"
