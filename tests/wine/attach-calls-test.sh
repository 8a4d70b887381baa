#!/bin/sh
# attach-calls-test.sh WINE_RUN PREFIX HOST MODULE WORK_DIR: the thread that attaches
# StickShift.dll must call nothing in user32 while the module's DllMain runs under the loader
# lock, whatever key the settings choose. Wine's relay trace shows every call into user32 and
# where each DllMain starts and returns, each line headed by its thread.
set -u
wine_run=$1 prefix=$2 host=$3 module=$4 work=$5
rm -rf "$work"
failed=0

for key in LShift RAlt Space A; do
    folder="$work/$key"
    mkdir -p "$folder"
    cp "$module" "$folder/StickShift.dll"
    printf '[Settings]\nKey=%s\n' "$key" >"$folder/StickShift.ini"
    # The host loads the module, waits while the watcher starts, and unloads it.
    verdict=$(cd "$folder" && WINEDEBUG=+relay "$wine_run" "$prefix" "$host" \
        --unload-after '.\StickShift.dll' 300 2>&1 >/dev/null | awk '
        {
            split($0, head, ":")
            thread = head[1]
        }
        /:Call PE DLL .*"StickShift.dll",reason=PROCESS_ATTACH/ { attaching[thread] = 1; attached = 1; next }
        /:Ret  PE DLL .*"StickShift.dll",reason=PROCESS_ATTACH/ { attaching[thread] = 0; next }
        tolower($0) ~ /^[0-9a-f]+:call user32\./ {
            if (attaching[thread]) print "during attach: " $0
            else if ($0 ~ /MapVirtualKey/) lookedUp = 1
        }
        END {
            if (!attached) print "the trace shows no attach of StickShift.dll"
            print lookedUp ? "looked up" : "not looked up"
        }')
    echo "$key: $verdict"
    case "$verdict" in
    *"during attach"* | *"no attach"*) failed=1 ;;
    esac
    # Left Shift's scan code is fixed; any other key's must be looked up, on another thread.
    if [ "$key" != LShift ] && [ "${verdict##*
}" != "looked up" ]; then
        echo "FAILED: $key's scan code was never looked up"
        failed=1
    fi
done
exit $failed
