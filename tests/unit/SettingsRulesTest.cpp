#include "settings/SettingsRules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The module path arrives in a fixed buffer; unused characters hold junk, not zeros, so that a
// read past the terminator would show.
std::string SettingsPathFor(const std::string& modulePath) {
    char module[ModulePathCapacity];
    std::memset(module, '#', sizeof module);
    std::memcpy(module, modulePath.c_str(), modulePath.size() + 1);
    char settings[SettingsPathCapacity];
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
    EXPECT_EQ(SettingsPathFor("C:\\Tools\\stick.dll"), "C:\\Tools\\stick.ini");
    EXPECT_EQ(SettingsPathFor("C:\\Tools\\StickShift.dll"), "C:\\Tools\\StickShift.ini");
    EXPECT_EQ(SettingsPathFor("C:\\Tools\\stick.alt.dll"), "C:\\Tools\\stick.alt.ini");
    // The last "." of the whole path counts, even inside a directory name.
    EXPECT_EQ(SettingsPathFor("C:\\Tools.old\\stick"), "C:\\Tools.ini");
}

TEST(BuildSettingsPath, PathsWithoutAnExtensionDot) {
    EXPECT_EQ(SettingsPathFor("C:\\Tools\\stick"), "C:\\Tools\\stick");
    EXPECT_EQ(SettingsPathFor(""), "");
    EXPECT_EQ(SettingsPathFor("C:\\Tools\\stick."), "C:\\Tools\\stick.ini");
    EXPECT_EQ(SettingsPathFor("."), ".ini");
}

TEST(BuildSettingsPath, PathCutShortWithoutTerminatorIsReadWithinItsBuffer) {
    char module[ModulePathCapacity];
    char settings[SettingsPathCapacity];

    std::memset(module, 'a', sizeof module);
    BuildSettingsPath(module, settings);
    EXPECT_EQ(std::string(settings), std::string(ModulePathCapacity, 'a'));

    // The longest result: a dot in the very last character, replaced by ".ini".
    module[ModulePathCapacity - 1] = '.';
    BuildSettingsPath(module, settings);
    EXPECT_EQ(std::string(settings), std::string(ModulePathCapacity - 1, 'a') + ".ini");

    module[ModulePathCapacity - 1] = 'a';
    module[3] = '.';
    BuildSettingsPath(module, settings);
    EXPECT_EQ(std::string(settings), "aaa.ini");
}
