#!/bin/sh
# Runs a Windows program of the build under Wine: wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
# The Wine prefix lives in the build tree and is made on first use. A test controller or a
# no-loader copy beside a program, or put into the prefix's system folder, is preferred to
# Wine's own XInput libraries, which a program without one still gets; WINE_RUN_OWN_XINPUT=1
# drops that override, for Wine's own library as a player has it.
# Wine's crash debugger is off, so a crash ends the program at once with a failing exit code.
# The program learns the Linux process it runs in from WINE_RUN_UNIX_PID.
set -e
prefix=$1
shift

# Always a 64-bit prefix, as players' Windows is: 32-bit programs run in it by WoW64. WINEDEBUG
# may come from the caller, for a test that reads Wine's trace; by default quiet, but for
# Wine's own word when it cannot lay out a program's memory.
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG="${WINEDEBUG:--all,err+virtual}"
overrides="winedbg.exe=d;mscoree,mshtml="
[ "${WINE_RUN_OWN_XINPUT:-0}" = 1 ] || overrides="xinput1_4,xinput1_3,xinput9_1_0=n,b;$overrides"
export WINEDLLOVERRIDES="$overrides"

wine=$(command -v wine64 || true)
[ -z "$wine" ] && [ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64
if [ -z "$wine" ]; then
    echo "wine-run.sh: Wine is not installed (Debian package wine64)" >&2
    exit 127
fi

# Says that Wine cannot start a program here, with Wine's own words from `log`, and ends.
cannot_start() {
    echo "wine-run.sh: Wine cannot start a program in $prefix:" >&2
    cat "$1" >&2
    exit 125
}

# At start-up Wine maps parts of a Windows process at fixed addresses. With the address space
# laid out at random, now and then something else already sits there and the program ends
# before it starts, with exit code 1 ("failed to map the shared user data: c0000018", about
# one start in a thousand). Laid out the same way every time, those addresses stay free. Some
# machines refuse to fix the layout (a container's default seccomp profile forbids it): there
# programs start as they come, and take that small chance.
fixed_layout=""
if setarch "$(uname -m)" -R true >/dev/null 2>&1; then
    fixed_layout="setarch $(uname -m) -R"
fi

if [ ! -f "$prefix/.ready" ]; then
    mkdir -p "$prefix"
    (
        flock 9
        if [ ! -f "$prefix/.ready" ]; then
            WINEDEBUG=err+all $fixed_layout "$wine" wineboot -i </dev/null >/dev/null \
                2>"$prefix.boot.log" || cannot_start "$prefix.boot.log"
            touch "$prefix/.ready"
        fi
    ) 9>"$prefix.lock"
fi

# Wine's server and its background programs outlive the program, and would inherit its output
# if the program started them: whoever reads our output (CTest) would then wait for them to
# exit too. Start them first, detached from our output; they stay a few seconds after the last
# program, so the next one starts at once. Should even this fail, Wine cannot start programs
# here: say so with Wine's own words, rather than leave a program to fail without a word.
WINEDEBUG=err+all $fixed_layout "$wine" cmd.exe /c exit </dev/null >/dev/null \
    2>"$prefix.start.log" || cannot_start "$prefix.start.log"

# The loader runs the program in this very process: exec keeps its ID.
export WINE_RUN_UNIX_PID=$$
exec $fixed_layout "$wine" "$@"
