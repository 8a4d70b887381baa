#include "shortcuts/ShortcutRules.h"

bool KeySetsOff(const HoldableKey& key, AccessibilityShortcut shortcut) {
    const bool rightShift = key.virtualKey == 0xA1; // VK_RSHIFT
    return shortcut == StickyKeysShortcut ? rightShift || key.virtualKey == LeftShiftVirtualKey
                                          : rightShift;
}

unsigned long ShortcutBitToClear(const HoldableKey& key, AccessibilityShortcut shortcut,
                                 unsigned long flags) {
    const bool shortcutOn = (flags & ShortcutHotkeyActive) != 0;
    const bool featureOn = (flags & ShortcutFeatureOn) != 0;
    return KeySetsOff(key, shortcut) && shortcutOn && !featureOn ? ShortcutHotkeyActive : 0;
}

void TurnOffShortcuts(const HoldableKey& key, const ShortcutFlagsAccess& access,
                      SessionShortcuts& session, HeldShortcuts& held) {
    for (int shortcut = 0; shortcut < AccessibilityShortcutCount; ++shortcut) {
        const auto which = static_cast<AccessibilityShortcut>(shortcut);
        if (held.held[shortcut] || !KeySetsOff(key, which))
            continue;
        held.held[shortcut] = true;
        if (session.holders[shortcut]++ != 0)
            continue; // another copy holds it already
        unsigned long flags;
        if (!access.read(which, flags))
            continue;
        const unsigned long bit = ShortcutBitToClear(key, which, flags);
        if (bit == 0)
            continue;
        session.cleared[shortcut] = bit;
        if (!access.write(which, flags & ~bit))
            session.cleared[shortcut] = 0; // refused: nothing changed, nothing is owed
    }
}

void PutBackShortcuts(const ShortcutFlagsAccess& access, SessionShortcuts& session,
                      HeldShortcuts& held) {
    for (int shortcut = 0; shortcut < AccessibilityShortcutCount; ++shortcut) {
        const auto which = static_cast<AccessibilityShortcut>(shortcut);
        if (!held.held[shortcut])
            continue;
        held.held[shortcut] = false;
        if (session.holders[shortcut] > 0 && --session.holders[shortcut] != 0)
            continue; // another copy still holds it
        const unsigned long bit = session.cleared[shortcut];
        session.cleared[shortcut] = 0;
        unsigned long flags;
        if (bit != 0 && access.read(which, flags) && (flags & bit) == 0)
            access.write(which, flags | bit);
    }
}
