#!/bin/sh
# in-wow64-root.sh ROOT COMMAND [ARGUMENTS...]: runs COMMAND inside the 32-bit test root that
# wow64-root.sh made, with this project's folder at the same path, so that the build's paths
# hold there too. /tmp is shared, for the X server's socket and Wine's server. The mounts are
# made in a mount namespace of the command's own: nothing is left mounted on the machine.
set -e
root=$(cd "$1" && pwd)
shift
project=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -f "$root/.recipe" ]; then
    echo "in-wow64-root.sh: $root is not made yet (cmake/wow64-root.sh $root)" >&2
    exit 1
fi
if ! unshare --mount --propagation private true 2>/dev/null; then
    echo "in-wow64-root.sh: this machine refuses a mount namespace (unshare --mount), which the" >&2
    echo "32-bit suite needs to enter its root; run it as root, outside a container that forbids" >&2
    echo "mounts" >&2
    exit 1
fi
exec unshare --mount --propagation private sh -c '
    set -e
    root=$1 project=$2
    shift 2
    mount -t proc proc "$root/proc"
    for dir in /dev /sys; do mount --rbind "$dir" "$root$dir"; done
    mount --bind /tmp "$root/tmp"
    mkdir -p "$root$project"
    mount --bind "$project" "$root$project"
    cd "$PWD"
    exec chroot "$root" sh -c "cd \"\$0\" && exec \"\$@\"" "$PWD" "$@"
' in-wow64-root "$root" "$project" "$@"
