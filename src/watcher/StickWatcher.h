#pragma once

#include <windows.h>

// Polls controller 0 about every 10 ms and holds Left Shift while the left stick is pushed far,
// until Running is cleared. It leaves a held key held: ReleaseShiftIfHeld lets go of it. The
// argument is ignored; returns 0.
unsigned WINAPI StickWatcher(void* unused);

// Sends one Left Shift release if the watcher's bookkeeping says the key is down. Safe to call
// from another thread once the watcher has stopped or been ended at any instant: the worst it
// can cost is a spare release.
void ReleaseShiftIfHeld();
