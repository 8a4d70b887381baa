#include "settings/SettingsRules.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <set>
#include <string>

namespace {

// The module path arrives in a fixed buffer; unused characters hold junk, not zeros, so that a
// read past the terminator would show.
std::wstring SettingsPathFor(const std::wstring& modulePath, const wchar_t* fileName = nullptr) {
    wchar_t module[ModulePathCapacity];
    std::wmemset(module, L'#', ModulePathCapacity);
    std::wmemcpy(module, modulePath.c_str(), modulePath.size() + 1);
    wchar_t settings[SettingsPathCapacity];
    BuildSettingsPath(module, settings, fileName);
    return settings;
}

// A name as the profile routine leaves it in the buffer the settings code reads, junk after it.
struct NameBuffer {
    wchar_t text[KeyNameCapacity];
    explicit NameBuffer(const wchar_t* name) {
        std::wmemset(text, L'#', KeyNameCapacity);
        std::wmemcpy(text, name, std::wcslen(name) + 1);
    }
};

} // namespace

TEST(PercentToStickUnits, WorkedConversionsTruncateTowardZero) {
    EXPECT_EQ(PercentToStickUnits(DefaultThresholdOnPct), 16383);
    EXPECT_EQ(PercentToStickUnits(DefaultThresholdOffPct), 13106);
    EXPECT_EQ(PercentToStickUnits(0), 0);
    EXPECT_EQ(PercentToStickUnits(1), 327);
    EXPECT_EQ(PercentToStickUnits(100), 32767);
    EXPECT_EQ(PercentToStickUnits(142), 46529);
    EXPECT_EQ(PercentToStickUnits(-50), -16383);
    EXPECT_EQ(PercentToStickUnits(-1), -327);
}

TEST(PercentToStickUnits, BeyondThe32BitRangeGivesInt32Min) {
    EXPECT_EQ(PercentToStickUnits(6553800), 2147483646);
    EXPECT_EQ(PercentToStickUnits(-6553800), -2147483646);
    EXPECT_EQ(PercentToStickUnits(6553801), INT32_MIN);
    EXPECT_EQ(PercentToStickUnits(-6553801), INT32_MIN);
    EXPECT_EQ(PercentToStickUnits(INT32_MAX), INT32_MIN);
    EXPECT_EQ(PercentToStickUnits(INT32_MIN), INT32_MIN);
}

TEST(BuildSettingsPath, WorkedPaths) {
    EXPECT_EQ(SettingsPathFor(L"C:\\Tools\\stick.dll"), L"C:\\Tools\\stick.ini");
    EXPECT_EQ(SettingsPathFor(L"C:\\Tools\\StickShift.dll"), L"C:\\Tools\\StickShift.ini");
    EXPECT_EQ(SettingsPathFor(L"C:\\Tools\\stick.alt.dll"), L"C:\\Tools\\stick.alt.ini");
    // The last "." of the whole path counts, even inside a directory name.
    EXPECT_EQ(SettingsPathFor(L"C:\\Tools.old\\stick"), L"C:\\Tools.ini");
    // Any character a folder's name may hold passes through.
    EXPECT_EQ(SettingsPathFor(L"C:\\Игры\\ゲーム\\StickShift.dll"),
              L"C:\\Игры\\ゲーム\\StickShift.ini");
    // A file named for all the module's names: the no-loader form's StickShift.ini.
    EXPECT_EQ(SettingsPathFor(L"C:\\Game.v2\\xinput1_3.dll", L"StickShift.ini"),
              L"C:\\Game.v2\\StickShift.ini");
}

TEST(BuildSettingsPath, PathsWithoutAnExtensionDot) {
    EXPECT_EQ(SettingsPathFor(L"C:\\Tools\\stick"), L"C:\\Tools\\stick");
    EXPECT_EQ(SettingsPathFor(L""), L"");
    EXPECT_EQ(SettingsPathFor(L"C:\\Tools\\stick."), L"C:\\Tools\\stick.ini");
    EXPECT_EQ(SettingsPathFor(L"."), L".ini");
}

TEST(BuildSettingsPath, PathCutShortWithoutTerminatorIsReadWithinItsBuffer) {
    wchar_t module[ModulePathCapacity];
    wchar_t settings[SettingsPathCapacity];

    std::wmemset(module, L'a', ModulePathCapacity);
    BuildSettingsPath(module, settings);
    EXPECT_EQ(std::wstring(settings), std::wstring(ModulePathCapacity, L'a'));

    // The longest result: a dot in the very last character, replaced by ".ini".
    module[ModulePathCapacity - 1] = L'.';
    BuildSettingsPath(module, settings);
    EXPECT_EQ(std::wstring(settings), std::wstring(ModulePathCapacity - 1, L'a') + L".ini");

    // A file in a folder whose name fills the buffer: cut short to fit.
    module[ModulePathCapacity - 3] = L'\\';
    BuildSettingsPath(module, settings, L"StickShift.ini");
    EXPECT_EQ(std::wstring(settings), std::wstring(ModulePathCapacity - 3, L'a') + L"\\Stick");

    module[ModulePathCapacity - 3] = L'a';
    module[ModulePathCapacity - 1] = L'a';
    module[3] = L'.';
    BuildSettingsPath(module, settings);
    EXPECT_EQ(std::wstring(settings), L"aaa.ini");
}

TEST(KeyFromName, EveryNameLetterCaseBlanksAndWhatNamesNoKey) {
    struct {
        const wchar_t* text;
        bool known;
        std::uint16_t virtualKey;
        bool extended;
        const char* name;
        std::uint16_t padButton = 0;
    } const cases[] = {
        {L"LShift", true, 0xA0, false, "LShift"},
        {L"RShift", true, 0xA1, false, "RShift"},
        {L"LCtrl", true, 0xA2, false, "LCtrl"},
        {L"RCtrl", true, 0xA3, true, "RCtrl"},
        {L"LAlt", true, 0xA4, false, "LAlt"},
        {L"RAlt", true, 0xA5, true, "RAlt"},
        {L"Space", true, 0x20, false, "Space"},
        {L"Tab", true, 0x09, false, "Tab"},
        {L"Shift", true, 0xA0, false, "LShift"},
        {L"ctrl", true, 0xA2, false, "LCtrl"},
        {L"ALT", true, 0xA4, false, "LAlt"},
        {L"a", true, 'A', false, "A"},
        {L"Z", true, 'Z', false, "Z"},
        {L"0", true, '0', false, "0"},
        {L"9", true, '9', false, "9"},
        {L" \trShIfT\t ", true, 0xA1, false, "RShift"},
        // The controller's buttons: a bit, and no virtual-key code, Back's bit being VK_SPACE.
        {L"PadLS", true, 0, false, "PadLS", 0x0040},
        {L"padrs", true, 0, false, "PadRS", 0x0080},
        {L"PADA", true, 0, false, "PadA", 0x1000},
        {L"PadB", true, 0, false, "PadB", 0x2000},
        {L"PadX", true, 0, false, "PadX", 0x4000},
        {L"PadY", true, 0, false, "PadY", 0x8000},
        {L"PadLB", true, 0, false, "PadLB", 0x0100},
        {L"PadRB", true, 0, false, "PadRB", 0x0200},
        {L" PadBack ", true, 0, false, "PadBack", 0x0020},
        {L"PadStart", true, 0, false, "PadStart", 0x0010},
        {L"PadUp", true, 0, false, "PadUp", 0x0001},
        {L"PadDown", true, 0, false, "PadDown", 0x0002},
        {L"PadLeft", true, 0, false, "PadLeft", 0x0004},
        {L"\tpadright", true, 0, false, "PadRight", 0x0008},
        {L"Pad", false, 0xA0, false, "LShift"},
        {L"PadLT", false, 0xA0, false, "LShift"},
        {L"", false, 0xA0, false, "LShift"},
        {L"   ", false, 0xA0, false, "LShift"},
        {L"Shfit", false, 0xA0, false, "LShift"},
        {L"L Shift", false, 0xA0, false, "LShift"},
        {L"LShiftX", false, 0xA0, false, "LShift"},
        {L"!", false, 0xA0, false, "LShift"},
        {L"\u00e4", false, 0xA0, false, "LShift"},
        {L"AB", false, 0xA0, false, "LShift"},
        // Filling the buffer: the value may have been cut short.
        {L"LShift         ", false, 0xA0, false, "LShift"},
    };
    for (const auto& c : cases) {
        NameBuffer text(c.text);
        HoldableKey key;
        EXPECT_EQ(KeyFromName(text.text, key), c.known) << c.name;
        EXPECT_EQ(key.virtualKey, c.virtualKey) << c.name;
        EXPECT_EQ(key.extended, c.extended) << c.name;
        EXPECT_STREQ(key.name, c.name);
        EXPECT_EQ(key.padButton, c.padButton) << c.name;
        // Only Left Shift's scan code is fixed; the others are the keyboard layout's.
        EXPECT_EQ(key.scanCode, c.virtualKey == 0xA0 ? 0x2A : 0);
    }
    // No terminator within the buffer at all.
    wchar_t unterminated[KeyNameCapacity];
    std::wmemset(unterminated, L'A', KeyNameCapacity);
    HoldableKey key;
    EXPECT_FALSE(KeyFromName(unterminated, key));
    EXPECT_STREQ(key.name, "LShift");
    // The list a window offers: every key once, each by the name it reads back as.
    std::set<std::string> listed;
    for (std::size_t index = 0; HoldableKeyAt(index, key); ++index)
        EXPECT_TRUE(listed.insert(key.name).second) << key.name;
    EXPECT_EQ(listed.size(), 22u + 26u + 10u);
    EXPECT_TRUE(listed.count("PadRight") == 1 && listed.count("Z") == 1 && listed.count("9") == 1);
}

TEST(KeyModeFromName, HoldTapToggleInAnyCaseOrHold) {
    const struct {
        const wchar_t* text;
        bool known;
        KeyMode mode;
    } cases[] = {
        {L"Hold", true, HoldMode},
        {L"tap", true, TapMode},
        {L" TOGGLE\t", true, ToggleMode},
        {L"", false, HoldMode},
        {L"Taps", false, HoldMode},
        {L"Tog gle", false, HoldMode},
        {L"Toggle         ", false, HoldMode}, // fills the buffer: perhaps cut short
    };
    for (const auto& c : cases) {
        NameBuffer text(c.text);
        KeyMode mode = ToggleMode;
        EXPECT_EQ(KeyModeFromName(text.text, mode), c.known) << KeyModeName(c.mode);
        EXPECT_EQ(mode, c.mode);
    }
}

TEST(ControllerIndexFromNumber, OneToFourOrTheFirst) {
    for (std::int32_t number : {1, 2, 3, 4}) {
        unsigned long index = 99;
        EXPECT_TRUE(ControllerIndexFromNumber(number, index));
        EXPECT_EQ(index, static_cast<unsigned long>(number - 1));
    }
    for (std::int32_t number : {0, 5, -1, -3, INT32_MIN, INT32_MAX}) {
        unsigned long index = 99;
        EXPECT_FALSE(ControllerIndexFromNumber(number, index)) << number;
        EXPECT_EQ(index, 0u) << number;
    }
}

TEST(PauseTriggerFromName, LeftRightBothOrNone) {
    const struct {
        const wchar_t* text;
        bool usable;
        PauseTrigger trigger;
    } cases[] = {
        {L"Left", true, PauseLeft}, {L" right ", true, PauseRight},
        {L"BOTH", true, PauseBoth}, {L"off", true, PauseNever},
        {L"", true, PauseNever},    {L"LT", false, PauseNever},
        {L"1", false, PauseNever},  {L"Left           ", false, PauseNever}, // perhaps cut short
    };
    for (const auto& c : cases) {
        NameBuffer text(c.text);
        PauseTrigger trigger = PauseBoth;
        EXPECT_EQ(PauseTriggerFromName(text.text, trigger), c.usable)
            << PauseTriggerName(c.trigger);
        EXPECT_EQ(trigger, c.trigger);
    }
}

TEST(InnerRingUseFor, OffWhereItCannotLieInsideTheOuterRing) {
    const HoldableKey ctrl = {0xA2, 0, false, "LCtrl", 0}, padA = {0, 0, false, "PadA", 0x1000};
    const struct {
        const char* what;
        HoldableKey inner;
        std::int32_t innerOn, innerOff, outerOff;
        InnerRingUse use;
    } cases[] = {
        {"the defaults", ctrl, 6553, 4915, 13106, InnerRingUsed},
        {"\"on\" at the outer \"off\" circle itself, \"off\" at its own \"on\"", ctrl, 13106, 13106,
         13106, InnerRingUsed},
        {"\"on\" beyond the outer \"off\" circle", ctrl, 13107, 4915, 13106, InnerRingBeyondOuter},
        {"\"off\" beyond its own \"on\"", ctrl, 4915, 6553, 13106, InnerRingBackwards},
        {"by magnitude, as the outer ring", ctrl, -6553, 4915, -13106, InnerRingUsed},
        {"the outer key itself", LeftShift, 6553, 4915, 13106, InnerRingSameKey},
        {"a controller button", padA, 6553, 4915, 13106, InnerRingUsed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(InnerRingUseFor(c.inner, LeftShift, c.innerOn, c.innerOff, c.outerOff), c.use);
    }
}
