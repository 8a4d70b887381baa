// The no-loader form as a game loads it: named as the XInput library that the game imports,
// beside the game, with the test controller as Windows' own library in the system folder.

#include "ModuleTest.h"

namespace {

class NoLoader : public ModuleTest {
  protected:
    void SetUp() override {
        if (!InstallTestControllerAsSystemXInput())
            GTEST_SKIP() << "needs a prefix of its own: ctest runs it as NoLoaderAndProbe";
        ModuleTest::SetUp();
    }
};

// A controller whose every field is set, and whose packet number holds still, so that a change
// the game reads is the module's own.
void PlaceFullController(SHORT leftX) {
    TestPad& pad = Controller().pads[0];
    pad.buttons = 0x5030;
    pad.triggers = 0x2040;
    InterlockedExchange64(&pad.sticks, PackSticks(leftX, 0, -1000, 2000));
    Controller().fixedPacketNumber = 77;
    pad.connected = 1;
}

struct GameRun {
    std::string folder, arguments, output;
    DWORD exitCode = 1;
    bool ended = false;
};

DWORD WINAPI RunGame(void* game) {
    GameRun& run = *static_cast<GameRun*>(game);
    run.ended =
        RunProgram(run.folder + "\\Game.exe", run.arguments, run.folder, run.output, run.exitCode);
    return 0;
}

// The game's last reading: the controller exactly as placed, pushed.
const char* const Unchanged =
    "result 0 packet 77 buttons 5030 triggers 64 32 left 32767 0 right -1000 2000";
// Each change of the left stick's click, with a packet number of its own, and no other.
const char* const ClickDownAndUp = "read packet 77 buttons 5030\r\n"
                                   "read packet 78 buttons 5070\r\n"
                                   "read packet 79 buttons 5030\r\n"
                                   "result";

} // namespace

TEST_F(NoLoader, ReadsThroughWindowsOwnLibraryAndActsOnce) {
    const struct {
        const char* what;
        const char* imported;   // by the game, and the name of the copy beside it
        const char* alsoLoaded; // by name after start, a second copy beside it; or ""
        const char* settings;
        bool systemXInput1_3;
        bool backToRest; // else pushed until the game ends
        const char* reads;
        size_t keyEvents; // pressed while pushed, and released as the game exits
    } cases[] = {
        {"xinput1_4", "xinput1_4.dll", "", "", true, false, Unchanged, 2},
        {"xinput1_3", "xinput1_3.dll", "", "", true, false, Unchanged, 2},
        {"xinput9_1_0", "xinput9_1_0.dll", "", "", true, false, Unchanged, 2},
        {"two names in one game act once", "xinput1_3.dll", "xinput1_4.dll", "", true, false,
         Unchanged, 2},
        {"no xinput1_3.dll in the system folder: xinput1_4.dll serves", "xinput1_3.dll", "", "",
         false, false, Unchanged, 2},
        {"PadLS: the button while the stick is out, and no key", "xinput1_3.dll", "", "Key=PadLS",
         true, true, ClickDownAndUp, 0},
        {"PadLS with Tap: the button for a tap, then clear, the stick still out", "xinput9_1_0.dll",
         "", "Key=padls\nMode=Tap\nOnlyWhenFocused=0", true, false, ClickDownAndUp, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GameRun game;
        game.folder = FreshCaseFolder(CaseFolder());
        game.arguments = std::string("150 ") + c.alsoLoaded;
        const std::string imported = c.imported;
        CopyFileA(
            (ExeFolder() + "\\Game_" + imported.substr(0, imported.size() - 4) + ".exe").c_str(),
            (game.folder + "\\Game.exe").c_str(), FALSE);
        for (const std::string& name : {imported, std::string(c.alsoLoaded)})
            if (!name.empty())
                PlaceNoLoaderModule(game.folder + "\\" + name);
        WriteTextFile(game.folder + "\\StickShift.ini", std::string("[Settings]\n") + c.settings);
        // As on a system without the DirectX runtime: the file is not there, and Wine's own
        // library may not stand in for it.
        char overrides[256] = "";
        GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
        if (!c.systemXInput1_3) {
            DeleteFileA((SystemFolder() + "\\xinput1_3.dll").c_str());
            std::string nativeOnly = overrides;
            const std::string all = "xinput1_4,xinput1_3,xinput9_1_0=n,b";
            ASSERT_NE(nativeOnly.find(all), std::string::npos) << nativeOnly;
            nativeOnly.replace(nativeOnly.find(all), all.size(),
                               "xinput1_3=n;xinput1_4,xinput9_1_0=n,b");
            SetEnvironmentVariableA("WINEDLLOVERRIDES", nativeOnly.c_str());
        }
        PlaceFullController(0);

        const HANDLE running = CreateThread(nullptr, 0, RunGame, &game, 0, nullptr);
        ASSERT_TRUE(WaitForPolls(20, 5000)) << "the game never read the controller";
        PlaceFullController(32767);
        ASSERT_TRUE(WaitForPolls(40));
        if (c.backToRest)
            PlaceFullController(0);
        WaitForSingleObject(running, 10000);
        CloseHandle(running);
        SetEnvironmentVariableA("WINEDLLOVERRIDES", overrides);
        InstallTestControllerAsSystemXInput();

        EXPECT_TRUE(game.ended);
        EXPECT_EQ(game.exitCode, 0u) << game.output;
        EXPECT_NE(game.output.find(c.reads), std::string::npos) << game.output;
        if (c.keyEvents > 0)
            ExpectNextEventWithin(true, c.keyEvents);
        ExpectEventsNow(c.keyEvents);
        CheckAndClearKeyEvents();
    }
}
