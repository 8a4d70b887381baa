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

HeldShortcuts ShortcutsHeld;
// The session's count, kept open while this copy holds a shortcut; this copy's own where the
// session's cannot be had, as with a copy of an earlier version, which counts nothing.
SessionShortcuts OwnSession;
HANDLE SessionMapping = nullptr;
HANDLE SessionLock = nullptr;
SessionShortcuts* Session = nullptr;

bool HoldsAny() {
    for (bool held : ShortcutsHeld.held)
        if (held)
            return true;
    return false;
}

// Kernel32 alone, as detach runs it under the loader lock.
SessionShortcuts& OpenSession() {
    if (Session != nullptr)
        return *Session;
    SessionLock = CreateMutexW(nullptr, FALSE, L"Local\\StickShift.ShortcutsLock");
    SessionMapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(SessionShortcuts), L"Local\\StickShift.Shortcuts");
    void* view = SessionMapping != nullptr ? MapViewOfFile(SessionMapping, FILE_MAP_ALL_ACCESS, 0,
                                                           0, sizeof(SessionShortcuts))
                                           : nullptr;
    Session = view != nullptr ? static_cast<SessionShortcuts*>(view) : &OwnSession;
    return *Session;
}

void CloseSession() {
    if (Session != nullptr && Session != &OwnSession)
        UnmapViewOfFile(Session);
    if (SessionMapping != nullptr)
        CloseHandle(SessionMapping);
    if (SessionLock != nullptr)
        CloseHandle(SessionLock);
    SessionMapping = SessionLock = nullptr;
    Session = nullptr;
}

// The lock is held for a few calls at most; a copy that cannot have it within a second (one
// stopped while holding it: then it is abandoned, and had at once) goes on without it.
struct SessionLocked {
    bool locked;
    SessionLocked()
        : locked(SessionLock != nullptr && WaitForSingleObject(SessionLock, 1000) != WAIT_TIMEOUT) {
    }
    ~SessionLocked() {
        if (locked)
            ReleaseMutex(SessionLock);
    }
};

} // namespace

const ShortcutFlagsAccess SystemShortcutFlags = {ReadShortcutFlags, WriteShortcutFlags};

void TurnOffShortcutsForHeldKey() {
    SessionShortcuts& session = OpenSession();
    {
        const SessionLocked locked;
        TurnOffShortcuts(HeldKey, SystemShortcutFlags, session, ShortcutsHeld);
        if (InnerRing)
            TurnOffShortcuts(InnerKey, SystemShortcutFlags, session, ShortcutsHeld);
    }
    if (!HoldsAny())
        CloseSession();
}

void PutBackShortcutsTurnedOff() {
    if (!HoldsAny())
        return;
    SessionShortcuts& session = OpenSession();
    {
        const SessionLocked locked;
        PutBackShortcuts(SystemShortcutFlags, session, ShortcutsHeld);
    }
    CloseSession();
}
