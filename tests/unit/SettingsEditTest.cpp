#include "settings/SettingsEdit.h"

#include <gtest/gtest.h>

TEST(SettingsEdit, ChangesOnlyTheLinesOfTheKeysAndLeavesEveryOtherByte) {
    const struct {
        const char* what;
        std::string before;
        std::vector<std::pair<std::string, std::string>> changes;
        std::string after;
    } cases[] = {
        {"a value, its spacing, comment, unknown key and line ends kept",
         "; mine\r\n[Settings]\r\n  thresholdonpct =  50\r\nMine=1\r\n\r\n",
         {{"ThresholdOnPct", "30"}},
         "; mine\r\n[Settings]\r\n  thresholdonpct =  30\r\nMine=1\r\n\r\n"},
        {"a commented-out key is not the key: a line is added after the section's last",
         "[Settings]\n;Key=LCtrl\nMode=Tap\n\n[Other]\nKey=A\n",
         {{"Key", "LCtrl"}},
         "[Settings]\n;Key=LCtrl\nMode=Tap\nKey=LCtrl\n\n[Other]\nKey=A\n"},
        {"the first of two lines, as the module reads it",
         "[settings]\nKey=A\nKey=B\n",
         {{"Key", "LCtrl"}},
         "[settings]\nKey=LCtrl\nKey=B\n"},
        {"no line end at the end of the file",
         "[Settings]\r\nKey=A",
         {{"Mode", "Toggle"}},
         "[Settings]\r\nKey=A\r\nMode=Toggle"},
        {"no Settings section, nor any file",
         "",
         {{"ThresholdOnPct", "30"}, {"Key", "LCtrl"}},
         "[Settings]\nThresholdOnPct=30\nKey=LCtrl\n"},
        {"another section only",
         "[Other]\r\nKey=A",
         {{"Key", "B"}},
         "[Other]\r\nKey=A\r\n[Settings]\r\nKey=B\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(WithSettings(c.before, c.changes), c.after);
    }
}
