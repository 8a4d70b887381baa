#include "tuning/TunedSettings.h"

#include <gtest/gtest.h>

#include "settings/SettingsRules.h"

using Lines = std::vector<std::pair<std::string, std::string>>;

TEST(TunedSettings, SaveWritesTheSettingsChangedAndTheFocusAModeChangeWouldAlter) {
    const TunedSettings read = {50, 40, LeftShift, HoldMode, 1, false, false};
    HoldableKey space;
    const wchar_t spaceName[KeyNameCapacity] = L"space";
    ASSERT_TRUE(KeyFromName(spaceName, space));
    const struct {
        const char* what;
        TunedSettings now;
        Lines lines;
    } cases[] = {
        {"nothing changed", read, {}},
        {"the circles",
         {30, 41, LeftShift, HoldMode, 1, false, false},
         {{"ThresholdOnPct", "30"}, {"ThresholdOffPct", "41"}}},
        {"key and controller by their own spelling",
         {50, 40, space, HoldMode, 2, false, false},
         {{"Key", "Space"}, {"Controller", "2"}}},
        {"Tap would act only while focused: the window shows otherwise",
         {50, 40, LeftShift, TapMode, 1, false, true},
         {{"Mode", "Tap"}, {"OnlyWhenFocused", "0"}, {"ForwardOnly", "1"}}},
        {"Toggle with its default focus",
         {50, 40, LeftShift, ToggleMode, 1, true, false},
         {{"Mode", "Toggle"}, {"OnlyWhenFocused", "1"}}},
        {"an inner ring and a trigger",
         {50, 40, LeftShift, HoldMode, 1, false, false, true, space, 25, 15, PauseBoth},
         {{"InnerKey", "Space"}, {"InnerOnPct", "25"}, {"PauseWhileTrigger", "Both"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ChangedSettings(read, c.now), c.lines);
    }
    // The inner ring taken away: an empty InnerKey, whatever key it had.
    TunedSettings withRing = read;
    withRing.innerRing = true;
    EXPECT_EQ(ChangedSettings(withRing, read), (Lines{{"InnerKey", ""}}));
}

TEST(TunedSettings, PercentsBackFromStickUnitsAndOfAPush) {
    for (const std::int32_t percent : {0, 1, 33, 50, 99, 100, 150})
        EXPECT_EQ(PercentFromStickUnits(PercentToStickUnits(percent)), percent);
    EXPECT_EQ(PercentOfPush(0, 0), 0);
    EXPECT_EQ(PercentOfPush(0, -16383), 49) << "a push just short of 50 % gives 49";
    EXPECT_EQ(PercentOfPush(-32768, -32768), 100) << "a diagonal beyond full scale";
}
