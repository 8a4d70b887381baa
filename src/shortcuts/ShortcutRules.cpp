#include "shortcuts/ShortcutRules.h"

unsigned long ShortcutBitToClear(const HoldableKey& key, AccessibilityShortcut shortcut,
                                 unsigned long flags) {
    const bool rightShift = key.virtualKey == 0xA1; // VK_RSHIFT
    const bool setsOff = shortcut == StickyKeysShortcut
                             ? rightShift || key.virtualKey == LeftShiftVirtualKey
                             : rightShift;
    const bool shortcutOn = (flags & ShortcutHotkeyActive) != 0;
    const bool featureOn = (flags & ShortcutFeatureOn) != 0;
    return setsOff && shortcutOn && !featureOn ? ShortcutHotkeyActive : 0;
}

void TurnOffShortcuts(const HoldableKey& key, const ShortcutFlagsAccess& access,
                      ClearedShortcutBits& cleared) {
    for (int shortcut = 0; shortcut < AccessibilityShortcutCount; ++shortcut) {
        const auto which = static_cast<AccessibilityShortcut>(shortcut);
        unsigned long flags;
        if (!access.read(which, flags))
            continue;
        const unsigned long bit = ShortcutBitToClear(key, which, flags);
        if (bit == 0)
            continue;
        cleared.bits[shortcut] = bit;
        if (!access.write(which, flags & ~bit))
            cleared.bits[shortcut] = 0; // refused: nothing changed, nothing is owed
    }
}

void PutBackShortcuts(const ShortcutFlagsAccess& access, ClearedShortcutBits& cleared) {
    for (int shortcut = 0; shortcut < AccessibilityShortcutCount; ++shortcut) {
        const auto which = static_cast<AccessibilityShortcut>(shortcut);
        const unsigned long bit = cleared.bits[shortcut];
        cleared.bits[shortcut] = 0;
        unsigned long flags;
        if (bit != 0 && access.read(which, flags) && (flags & bit) == 0)
            access.write(which, flags | bit);
    }
}
