#pragma once

#include "shared/HoldableKey.h"

// Windows' accessibility shortcuts that a pad player's Shift sets off: Sticky Keys offers itself
// after Shift is pressed five times in quick succession, Filter Keys after Right Shift is held for
// eight seconds. The offer takes the focus, and a full-screen game drops to the desktop. While
// the module is loaded it turns off the shortcut, never the feature, and puts back what it
// changed. Free of any platform call, so that the module, the probe and the tests share it.

enum AccessibilityShortcut { StickyKeysShortcut, FilterKeysShortcut };
constexpr int AccessibilityShortcutCount = 2;

// Bits of STICKYKEYS and FILTERKEYS dwFlags, the same in both.
constexpr unsigned long ShortcutFeatureOn = 0x1;    // SKF_STICKYKEYSON, FKF_FILTERKEYSON
constexpr unsigned long ShortcutHotkeyActive = 0x4; // SKF_HOTKEYACTIVE, FKF_HOTKEYACTIVE

// Whether `key` can set the shortcut off.
bool KeySetsOff(const HoldableKey& key, AccessibilityShortcut shortcut);

// The bit of the shortcut's `flags` to clear while the module is loaded: its hotkey bit, when
// `key` can set the shortcut off and the shortcut is on. A player who has the feature itself on
// uses it, and keeps it as it is. 0 for nothing to clear.
unsigned long ShortcutBitToClear(const HoldableKey& key, AccessibilityShortcut shortcut,
                                 unsigned long flags);

// How a shortcut's flags are read and written; false when the system refuses.
struct ShortcutFlagsAccess {
    bool (*read)(AccessibilityShortcut shortcut, unsigned long& flags);
    bool (*write)(AccessibilityShortcut shortcut, unsigned long flags);
};

// What every StickShift copy of the sign-in session shares, changed only under the session's
// lock: how many copies hold each shortcut off, and the bit that the first of them cleared,
// which the last to let go puts back. Two games at once then never put a shortcut back under a
// game that still holds Shift.
struct SessionShortcuts {
    volatile long holders[AccessibilityShortcutCount];
    volatile unsigned long cleared[AccessibilityShortcutCount];
};

// The shortcuts one copy counts itself among the holders of.
struct HeldShortcuts {
    bool held[AccessibilityShortcutCount] = {};
};

// Counts the copy among the holders of each shortcut that `key` can set off; the first holder
// clears the bit that ShortcutBitToClear names. It is marked before its write and unmarked when
// the write is refused, so that a thread ended between the two steps leaves a mark that costs at
// most a spare put-back of a bit still set.
void TurnOffShortcuts(const HoldableKey& key, const ShortcutFlagsAccess& access,
                      SessionShortcuts& session, HeldShortcuts& held);

// Lets go of what the copy holds; the last holder sets the cleared bit again in the flags as they
// are now, keeping whatever else the player changed meanwhile.
void PutBackShortcuts(const ShortcutFlagsAccess& access, SessionShortcuts& session,
                      HeldShortcuts& held);
