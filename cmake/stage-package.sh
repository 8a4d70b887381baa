#!/bin/sh
# stage-package.sh DEST BUILD64 BUILD86: lays out what a player downloads, one zip for both
# architectures: at the top the 64-bit programs, the sample settings and the documents; in x64\
# and x86\ each architecture's StickShift.dll and no-loader\ (the one DLL under XInput's three
# names); in x86\ also the 32-bit programs, for 32-bit Windows. The tests install from it.
set -e
dest=$1
build64=$2
build86=$3
rm -rf "$dest"
mkdir -p "$dest"
for arch in x64:$build64 x86:$build86; do
    name=${arch%%:*}
    build=${arch#*:}
    mkdir -p "$dest/$name/no-loader"
    cp "$build/StickShift.dll" "$dest/$name/"
    for xinput in xinput1_4 xinput1_3 xinput9_1_0; do
        cp "$build/no-loader/xinput1_4.dll" "$dest/$name/no-loader/$xinput.dll"
    done
done
for program in StickShift.exe StickShiftProbe.exe; do
    cp "$build64/$program" "$dest/"
    cp "$build86/$program" "$dest/x86/"
done
cp "$build64/package-files/StickShift.ini" "$build64/package-files/README.txt" \
    "$build64/package-files/CHANGELOG.md" "$dest/"
