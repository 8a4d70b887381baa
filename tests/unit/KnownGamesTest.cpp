#include "install/KnownGames.h"

#include <gtest/gtest.h>

TEST(KnownGames, ADamagedFileCostsOnlyItsDamagedLines) {
    const struct {
        const char* what;
        const char* text;
        const char* kept; // as written back
    } cases[] = {
        {"games and the last folder, in Windows' line ends or not",
         "game\tC:\\A\\A.exe\tC:\\A\\StickShift.ini\r\nfolder\tD:\\Games\n"
         "game\t\\\\nas\\games\\B\\B.exe\t\\\\nas\\games\\B\\scripts\\StickShift.ini",
         "game\tC:\\A\\A.exe\tC:\\A\\StickShift.ini\r\n"
         "game\t\\\\nas\\games\\B\\B.exe\t\\\\nas\\games\\B\\scripts\\StickShift.ini\r\n"
         "folder\tD:\\Games\r\n"},
        {"a relative path, a device path, a share without its name, a missing field, an unknown "
         "word, a second entry for the same program in another case",
         "game\tA.exe\tStickShift.ini\ngame\t\\\\.\\pipe\\x\tC:\\x.ini\n"
         "game\t\\\\nas\\\\A.exe\tC:\\x.ini\ngame\tC:\\A\\A.exe\nsprint\tC:\\A\n"
         "game\tC:\\A\\A.exe\tC:\\A\\StickShift.ini\ngame\tc:\\a\\A.EXE\tC:\\B.ini\n\n\x01\t",
         "game\tC:\\A\\A.exe\tC:\\A\\StickShift.ini\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(KnownGamesText(ReadKnownGames(c.text)), c.kept);
    }
}

TEST(KnownGames, TheLastInstalledFirstAndAGameDroppedOnlyWhereItsFolderIsSeenGone) {
    KnownGames known;
    for (std::size_t i = 0; i <= MostKnownGames; ++i)
        RememberGame(known, {"C:\\G" + std::to_string(i) + "\\G.exe", "C:\\G\\StickShift.ini"});
    RememberGame(known, {"C:\\g5\\g.EXE", "C:\\G5\\scripts\\StickShift.ini"});
    ASSERT_EQ(known.games.size(), MostKnownGames);
    EXPECT_EQ(known.games.front().settingsPath, "C:\\G5\\scripts\\StickShift.ini");
    EXPECT_EQ(FindKnownGame(known, "C:\\G0\\G.exe"), nullptr) << "the oldest dropped off";
    // Chosen again: the settings file follows the copy; a folder seen to hold no StickShift
    // forgets it; only an install adds one.
    EXPECT_TRUE(NoteGame(known, {"C:\\G5\\G.exe", "C:\\G5\\StickShift.ini"}, false, false));
    EXPECT_EQ(known.games.front().settingsPath, "C:\\G5\\StickShift.ini");
    EXPECT_FALSE(NoteGame(known, {"C:\\G5\\G.exe", "C:\\G5\\StickShift.ini"}, false, false));
    EXPECT_TRUE(NoteGame(known, {"C:\\G5\\G.exe", "C:\\G5\\StickShift.ini"}, false, true));
    EXPECT_EQ(FindKnownGame(known, "C:\\G5\\G.exe"), nullptr);
    EXPECT_FALSE(NoteGame(known, {"C:\\New\\G.exe", "C:\\New\\StickShift.ini"}, false, false));
    EXPECT_TRUE(NoteGame(known, {"C:\\New\\G.exe", "C:\\New\\StickShift.ini"}, true, false));
    EXPECT_EQ(known.games.front().program, "C:\\New\\G.exe");

    EXPECT_FALSE(KeepKnownGame(true, true));
    EXPECT_TRUE(KeepKnownGame(false, true)) << "an unplugged drive keeps it";
    EXPECT_TRUE(KeepKnownGame(true, false));
}
