#include "shortcuts/ShortcutRules.h"

#include <gtest/gtest.h>

namespace {

// The system's flags for both shortcuts, as a sign-in session holds them.
struct {
    unsigned long flags[AccessibilityShortcutCount];
    bool refusesWrites;
    int writes;
} System;

bool ReadFlags(AccessibilityShortcut shortcut, unsigned long& flags) {
    flags = System.flags[shortcut];
    return true;
}

bool WriteFlags(AccessibilityShortcut shortcut, unsigned long flags) {
    ++System.writes;
    if (!System.refusesWrites)
        System.flags[shortcut] = flags;
    return !System.refusesWrites;
}

constexpr unsigned long On = ShortcutHotkeyActive, FeatureOn = ShortcutFeatureOn;
constexpr unsigned long Others = 0x1F2; // the rest of Windows' default flags, kept as they are
constexpr HoldableKey RightShift = {0xA1, 0x36, false, "RShift", 0};
constexpr HoldableKey LeftCtrl = {0xA2, 0x1D, false, "LCtrl", 0};

} // namespace

TEST(ShortcutRules, TurnedOffWhileLoadedAndOnlyWhatWasChangedGoesBack) {
    const struct {
        const char* what;
        HoldableKey key;
        unsigned long sticky, filter; // as the module finds them
        bool refused;
        unsigned long playerToggles; // flags the player changes in both while the module is loaded
        unsigned long whileLoaded[2], afterwards[2];
        int writes;
        bool secondGame = false; // a second game's copy holds too, from after ours to after ours
    } cases[] = {
        // clang-format off
        {"Left Shift: the Sticky Keys shortcut alone", LeftShift,
         On | Others, On | Others, false, 0, {Others, On | Others}, {On | Others, On | Others}, 2},
        {"Right Shift: both shortcuts", RightShift,
         On | Others, On, false, 0, {Others, 0}, {On | Others, On}, 4},
        {"already off: nothing to change", RightShift,
         Others, 0, false, 0, {Others, 0}, {Others, 0}, 0},
        {"the feature itself on: the player's choice stands", RightShift,
         On | FeatureOn, On | FeatureOn, false, 0, {On | FeatureOn, On | FeatureOn},
         {On | FeatureOn, On | FeatureOn}, 0},
        {"another key cannot set either off", LeftCtrl,
         On, On, false, 0, {On, On}, {On, On}, 0},
        {"a refused set changed nothing: nothing goes back", LeftShift,
         On, On, true, 0, {On, On}, {On, On}, 1},
        {"a refused set is not put back once the player turns the shortcut off", LeftShift,
         On, On, true, On, {On, On}, {0, 0}, 1},
        {"the player's changes meanwhile are kept, the module's bit put back", LeftShift,
         On | Others, On, false, 0x102, {Others, On}, {(On | Others) ^ 0x102, On ^ 0x102}, 2},
        {"two games: the shortcut stays off until the last lets go", LeftShift,
         On | Others, On, false, 0, {Others, On}, {On | Others, On}, 2, true},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        System = {{c.sticky, c.filter}, c.refused, 0};
        const ShortcutFlagsAccess access = {ReadFlags, WriteFlags};
        SessionShortcuts session = {};
        HeldShortcuts ours, second;
        TurnOffShortcuts(c.key, access, session, ours);
        if (c.secondGame)
            TurnOffShortcuts(c.key, access, session, second);
        EXPECT_EQ(System.flags[StickyKeysShortcut], c.whileLoaded[StickyKeysShortcut]);
        EXPECT_EQ(System.flags[FilterKeysShortcut], c.whileLoaded[FilterKeysShortcut]);
        for (unsigned long& flags : System.flags)
            flags ^= c.playerToggles;
        PutBackShortcuts(access, session, ours);
        if (c.secondGame) {
            EXPECT_EQ(System.flags[StickyKeysShortcut], c.whileLoaded[StickyKeysShortcut]);
            PutBackShortcuts(access, session, second);
        }
        EXPECT_EQ(System.flags[StickyKeysShortcut], c.afterwards[StickyKeysShortcut]);
        EXPECT_EQ(System.flags[FilterKeysShortcut], c.afterwards[FilterKeysShortcut]);
        EXPECT_EQ(System.writes, c.writes);
    }
}
