#!/bin/sh
# wine-run-test.sh WINE_RUN PREFIX WORK_DIR: how cmake/wine-run.sh copes with a machine that
# refuses a fixed address-space layout, and with a Wine that cannot start at all.
set -u
wine_run=$1 prefix=$2 work=$3
rm -rf "$work"
mkdir -p "$work/bin"
failed=0

# As setarch does in a container whose seccomp profile forbids personality(ADDR_NO_RANDOMIZE).
cat >"$work/bin/setarch" <<'END'
#!/bin/sh
echo "setarch: failed to set personality to $1: Operation not permitted" >&2
exit 1
END
chmod +x "$work/bin/setarch"
PATH="$work/bin:$PATH" "$wine_run" "$prefix" cmd.exe /c exit 7
status=$?
if [ $status -ne 7 ]; then
    echo "FAILED: with setarch refused, the program should run and exit 7, not $status"
    failed=1
fi

# A Wine that cannot start anything, met on a fresh prefix, while it boots the prefix.
for loader in wine wine64; do
    cat >"$work/bin/$loader" <<'END'
#!/bin/sh
echo "wine: could not load kernel32.dll, status c0000135" >&2
exit 1
END
    chmod +x "$work/bin/$loader"
done
PATH="$work/bin:$PATH" "$wine_run" "$work/fresh-prefix" cmd.exe /c exit 0 2>"$work/said"
status=$?
if [ $status -ne 125 ] || ! grep -q "could not load kernel32.dll" "$work/said" ||
    ! grep -q "Wine cannot start a program" "$work/said"; then
    echo "FAILED: a Wine that cannot boot the prefix should give 125 and its own message, not:"
    echo "exit $status"
    cat "$work/said"
    failed=1
fi

[ $failed -eq 0 ] && echo "wine-run.sh: both fallbacks ok"
exit $failed
