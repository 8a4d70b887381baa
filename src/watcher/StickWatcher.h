#pragma once

#include <windows.h>

// Polls the chosen controller about every 10 ms (once a second while it is gone) and holds the
// chosen key (Left Shift unless the settings say otherwise) while its left stick is pushed far,
// until Running is cleared. It leaves a held key held: ReleaseKeyIfHeld lets go of it. The argument
// is ignored; returns 0.
unsigned WINAPI StickWatcher(void* unused);

// Sends one release of the held key if the watcher's bookkeeping says it is down, or stops
// holding a controller button. Safe to call from another thread once the watcher has stopped or
// been ended at any instant: the worst it can cost is a spare release.
void ReleaseKeyIfHeld();
