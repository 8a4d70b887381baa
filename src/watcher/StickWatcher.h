#pragma once

#include <windows.h>
#include <xinput.h>

// Polls the chosen controller about every 10 ms (once a second while it is gone) and holds the
// chosen key (Left Shift unless the settings say otherwise) while its left stick is pushed far,
// until Running is cleared. It leaves a held key held: ReleaseKeyIfHeld lets go of it. The argument
// is ignored; returns 0.
unsigned WINAPI StickWatcher(void* unused);

// Sends one release of the held key if the watcher's bookkeeping says it is down, or stops
// holding a controller button. Safe to call from another thread once the watcher has stopped or
// been ended at any instant: the worst it can cost is a spare release.
void ReleaseKeyIfHeld();

// The game's own read of the controller, in the no-loader form: where the key is a controller
// button held by Hold, it is decided on this very reading, so that the reading that first
// finds the stick beyond the "on" circle carries it. A read that failed, of another
// controller, while XInput is disabled or a trigger pauses the key, decides nothing; it never
// waits for the watcher. Returns `result`.
DWORD DecideOnGamesRead(DWORD userIndex, const XINPUT_STATE* reading, DWORD result);
