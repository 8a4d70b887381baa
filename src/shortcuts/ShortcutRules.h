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

// The bit cleared in each shortcut's flags: what is owed back.
struct ClearedShortcutBits {
    unsigned long bits[AccessibilityShortcutCount] = {};
};

// Clears the bits that ShortcutBitToClear names for `key`. Each is marked before its write and
// unmarked when the write is refused, so that a thread ended between the two steps leaves a mark
// that costs at most a spare put-back of a bit still set.
void TurnOffShortcuts(const HoldableKey& key, const ShortcutFlagsAccess& access,
                      ClearedShortcutBits& cleared);

// Sets each cleared bit again in the flags as they are now, keeping whatever else the player
// changed meanwhile, and forgets it.
void PutBackShortcuts(const ShortcutFlagsAccess& access, ClearedShortcutBits& cleared);
