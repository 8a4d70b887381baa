#pragma once

#include "shortcuts/ShortcutRules.h"

// The accessibility shortcuts' flags through SystemParametersInfoW, for this sign-in session
// alone: nothing is written to the player's profile. Calls into user32: never during attach.
extern const ShortcutFlagsAccess SystemShortcutFlags;

// Turns off the shortcuts that the held key, or the inner ring's, can set off, where no other
// StickShift copy of the session has them off already, and counts this copy among those that
// hold them off.
void TurnOffShortcutsForHeldKey();

// Lets go of what TurnOffShortcutsForHeldKey holds: the last copy of the session to let go puts
// back what the first changed. At unload and at process exit; after a crash nothing runs, and
// the shortcut stays off until the player signs out.
void PutBackShortcutsTurnedOff();
