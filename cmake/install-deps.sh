#!/bin/sh
# Installs the Debian packages named on the command line that are not installed yet.
# Used by the Makefile so that a fresh Debian machine needs nothing set up by hand.
set -e

missing=""
for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
    sudo=""
elif command -v sudo >/dev/null; then
    sudo="sudo"
else
    echo "Please install as root:$missing" >&2
    exit 1
fi
# 32-bit packages (NAME:i386), such as 32-bit Wine, need the i386 architecture first.
case "$missing" in
*:i386*)
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    ;;
esac
# A mirror in mid-sync fails an index now and then: try again, then go on with the lists there
# are, and let the install say whether they served.
for attempt in 1 2 3; do
    if $sudo apt-get update -qq; then
        break
    fi
    echo "apt-get update failed (attempt $attempt of 3)" >&2
    sleep $((attempt * 10))
done
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
