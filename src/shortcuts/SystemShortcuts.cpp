#include "shortcuts/SystemShortcuts.h"

#include <windows.h>

#include "shared/SharedValues.h"

namespace {

// STICKYKEYS and FILTERKEYS both start with cbSize and dwFlags; the rest is written back as read.
template <typename Settings>
bool AccessFlags(UINT getAction, UINT setAction, unsigned long& flags, bool write) {
    Settings settings = {};
    settings.cbSize = sizeof settings;
    if (!SystemParametersInfoW(getAction, sizeof settings, &settings, 0))
        return false;
    if (!write) {
        flags = settings.dwFlags;
        return true;
    }
    settings.dwFlags = flags;
    // No SPIF_UPDATEINIFILE: the change lasts until the player signs out at the latest.
    return SystemParametersInfoW(setAction, sizeof settings, &settings, 0) != FALSE;
}

bool AccessShortcutFlags(AccessibilityShortcut shortcut, unsigned long& flags, bool write) {
    return shortcut == StickyKeysShortcut
               ? AccessFlags<STICKYKEYS>(SPI_GETSTICKYKEYS, SPI_SETSTICKYKEYS, flags, write)
               : AccessFlags<FILTERKEYS>(SPI_GETFILTERKEYS, SPI_SETFILTERKEYS, flags, write);
}

bool ReadShortcutFlags(AccessibilityShortcut shortcut, unsigned long& flags) {
    return AccessShortcutFlags(shortcut, flags, false);
}

bool WriteShortcutFlags(AccessibilityShortcut shortcut, unsigned long flags) {
    return AccessShortcutFlags(shortcut, flags, true);
}

ClearedShortcutBits ShortcutsTurnedOff;

} // namespace

const ShortcutFlagsAccess SystemShortcutFlags = {ReadShortcutFlags, WriteShortcutFlags};

void TurnOffShortcutsForHeldKey() {
    TurnOffShortcuts(HeldKey, SystemShortcutFlags, ShortcutsTurnedOff);
}

void PutBackShortcutsTurnedOff() {
    PutBackShortcuts(SystemShortcutFlags, ShortcutsTurnedOff);
}
