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
        {"a file that ends in half a line end: it is completed",
         "[Settings]\r\nKey=A\r",
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

namespace {

// UTF-16LE with its byte-order mark, as Notepad saves "Unicode": ASCII text, and `extra` code
// units (a comment beyond ASCII) at the start of the file.
std::string Utf16(const std::string& ascii, std::vector<unsigned> extra = {}) {
    std::string bytes = "\xFF\xFE";
    for (unsigned unit : extra)
        bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    for (char c : ascii)
        bytes += {c, '\0'};
    return bytes;
}

} // namespace

TEST(SettingsEdit, KeepsTheFilesOwnEncodingOrRefusesWithNothingWritten) {
    const std::vector<unsigned> comment = {';', 0xE9, 0xD83C, 0xDFAE, '\r', '\n'}; // ;é🎮
    const struct {
        const char* what;
        std::string before;
        bool edited;
        std::string after; // or a part of the reason refused
    } cases[] = {
        {"ANSI, bytes beyond ASCII kept", "; \xE9\n[Settings]\nThresholdOnPct=50\n", true,
         "; \xE9\n[Settings]\nThresholdOnPct=30\n"},
        {"UTF-8 with BOM: the mark dropped, every other byte kept",
         "\xEF\xBB\xBF; \xC3\xA9\r\n[Settings]\r\nThresholdOnPct=50\r\n", true,
         "; \xC3\xA9\r\n[Settings]\r\nThresholdOnPct=30\r\n"},
        {"UTF-16LE: edited as UTF-16LE, a pair of units kept",
         Utf16("[Settings]\r\nThresholdOnPct=50\r\n", comment), true,
         Utf16("[Settings]\r\nThresholdOnPct=30\r\n", comment)},
        {"UTF-16LE with no Settings section", Utf16("[Other]\r\n"), true,
         Utf16("[Other]\r\n[Settings]\r\nThresholdOnPct=30\r\n")},
        {"UTF-16LE cut in half a unit", Utf16("[Settings]\r\n") + "x", false, "not whole"},
        {"UTF-16LE with half a pair", Utf16("[Settings]\r\n", {0xD83C}), false, "not whole"},
        {"UTF-16 big-endian", "\xFE\xFF\0[", false, "big-endian"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string edited, refused;
        EXPECT_EQ(EditSettingsBytes(c.before, {{"ThresholdOnPct", "30"}}, edited, refused),
                  c.edited);
        if (c.edited)
            EXPECT_EQ(edited, c.after);
        else
            EXPECT_NE(refused.find(c.after), std::string::npos) << refused;
    }
}
