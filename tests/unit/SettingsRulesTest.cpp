#include "settings/SettingsRules.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {

// The module path arrives in a fixed buffer; unused characters hold junk, not zeros, so that a
// read past the terminator would show.
std::wstring SettingsPathFor(const std::wstring& modulePath) {
    wchar_t module[ModulePathCapacity];
    std::wmemset(module, L'#', ModulePathCapacity);
    std::wmemcpy(module, modulePath.c_str(), modulePath.size() + 1);
    wchar_t settings[SettingsPathCapacity];
    BuildSettingsPath(module, settings);
    return settings;
}

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

    module[ModulePathCapacity - 1] = L'a';
    module[3] = L'.';
    BuildSettingsPath(module, settings);
    EXPECT_EQ(std::wstring(settings), L"aaa.ini");
}
