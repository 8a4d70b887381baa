#!/bin/sh
# attach-calls-test.sh WINE_RUN PREFIX HOST MODULE GAME NO_LOADER WORK_DIR: the thread that
# attaches StickShift must call nothing in user32 while the module's DllMain runs under the
# loader lock, whatever key the settings choose: the plug-in form MODULE, loaded by HOST, and the
# no-loader form NO_LOADER, which a copy of GAME beside it imports as xinput1_4.dll, so that it
# attaches at process start.
# Wine's relay trace shows every call into user32 and where each DllMain starts and returns,
# each line headed by its thread.
set -u
wine_run=$1 prefix=$2 host=$3 module=$4 game=$5 no_loader=$6 work=$7
rm -rf "$work"
failed=0

# check ROW KEY FILE_NAME PROGRAM ARGUMENTS...: runs the program in a folder holding the module
# as FILE_NAME, with KEY in StickShift.ini beside it. Only the first attach of that name is the
# module's: the no-loader form loads Windows' own library of its name later, on another thread.
check() {
    row=$1 key=$2 name=$3
    shift 3
    folder="$work/$row"
    mkdir -p "$folder"
    printf '[Settings]\nKey=%s\n' "$key" >"$folder/StickShift.ini"
    [ "$name" = StickShift.dll ] && cp "$module" "$folder/$name" || cp "$no_loader" "$folder/$name"
    verdict=$(cd "$folder" && WINEDEBUG=+relay "$wine_run" "$prefix" "$@" 2>&1 >/dev/null | awk -v name="$name" '
        {
            split($0, head, ":")
            thread = head[1]
        }
        index($0, ":Call PE DLL ") && index($0, "\"" name "\",reason=PROCESS_ATTACH") && !attached {
            attaching[thread] = 1; attached = 1; next
        }
        index($0, ":Ret  PE DLL ") && index($0, "\"" name "\",reason=PROCESS_ATTACH") { attaching[thread] = 0; next }
        tolower($0) ~ /^[0-9a-f]+:call user32\./ {
            if (attaching[thread]) print "during attach: " $0
            else if ($0 ~ /MapVirtualKey/) lookedUp = 1
        }
        END {
            if (!attached) print "the trace shows no attach of " name
            print lookedUp ? "looked up" : "not looked up"
        }')
    echo "$row: $verdict"
    case "$verdict" in
    *"during attach"* | *"no attach"*) failed=1 ;;
    esac
    # Left Shift's scan code is fixed; any other key's must be looked up, on another thread.
    if [ "$key" != LShift ] && [ "${verdict##*
}" != "looked up" ]; then
        echo "FAILED: $row: the scan code was never looked up"
        failed=1
    fi
}

# The host loads the plug-in, waits while the watcher starts, and unloads it.
for key in LShift RAlt Space A; do
    check "$key" "$key" StickShift.dll "$host" --unload-after '.\StickShift.dll' 300
done
# The game, beside its copy, reads the controller for about half a second, and exits.
mkdir -p "$work/no-loader"
cp "$game" "$work/no-loader/Game.exe"
check no-loader RAlt xinput1_4.dll "$work/no-loader/Game.exe" 50
exit $failed
