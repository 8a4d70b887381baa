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

// A controller whose every field is set, and whose packet number holds still: what the game
// reads must be exactly this.
void ConnectFullController() {
    TestPad& pad = Controller().pads[0];
    pad.buttons = 0x5030;
    pad.triggers = 0x2040;
    InterlockedExchange64(&pad.sticks, PackSticks(32767, 0, -1000, 2000));
    Controller().fixedPacketNumber = 77;
    pad.connected = 1;
}
const char* const FullControllerReading =
    "result 0 packet 77 buttons 5030 triggers 64 32 left 32767 0 right -1000 2000";

} // namespace

TEST_F(NoLoader, PassesTheControllerOnUnchangedAndHoldsTheKeyWhileTheGameRuns) {
    const struct {
        const char* what;
        const char* imported;           // by the game
        std::vector<const char*> named; // the copies beside the game
        const char* alsoLoaded;         // by name, after start
        bool systemXInput1_3 = true;
    } cases[] = {
        {"xinput1_4", "xinput1_4.dll", {"xinput1_4.dll"}, ""},
        {"xinput1_3", "xinput1_3.dll", {"xinput1_3.dll"}, ""},
        {"xinput9_1_0", "xinput9_1_0.dll", {"xinput9_1_0.dll"}, ""},
        {"two names in one game act once",
         "xinput1_3.dll",
         {"xinput1_3.dll", "xinput1_4.dll"},
         "xinput1_4.dll"},
        {"no xinput1_3.dll in the system folder: xinput1_4.dll serves",
         "xinput1_3.dll",
         {"xinput1_3.dll"},
         "",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = FreshCaseFolder(CaseFolder());
        const std::string game = std::string("Game_") + c.imported;
        CopyFileA((ExeFolder() + "\\" + game.substr(0, game.size() - 4) + ".exe").c_str(),
                  (folder + "\\Game.exe").c_str(), FALSE);
        for (const char* name : c.named)
            PlaceNoLoaderModule(folder + "\\" + name);
        WriteTextFile(folder + "\\StickShift.ini", "[Settings]\n");
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
        ConnectFullController();

        std::string output;
        DWORD exitCode = 1;
        EXPECT_TRUE(RunProgram(folder + "\\Game.exe", std::string("50 ") + c.alsoLoaded, folder,
                               output, exitCode));
        EXPECT_EQ(exitCode, 0u) << output;
        EXPECT_NE(output.find(FullControllerReading), std::string::npos) << output;
        // Pressed while the game ran, let go as it exited.
        ExpectNextEventWithin(true, 2);
        ExpectEventsNow(2);
        CheckAndClearKeyEvents();
        SetEnvironmentVariableA("WINEDLLOVERRIDES", overrides);
        InstallTestControllerAsSystemXInput();
    }
}

namespace {

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

} // namespace

TEST_F(NoLoader, HoldsThePadButtonInWhatTheGameReadsAndSendsNoKey) {
    const struct {
        const char* what;
        const char* settings;
        bool backToRest; // else pushed until the game ends
    } cases[] = {
        {"Hold: the button while the stick is out", "[Settings]\nKey=PadLS\n", true},
        {"Tap: the button for a tap, then clear, the stick still out",
         "[Settings]\nKey=padls\nMode=Tap\nOnlyWhenFocused=0\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GameRun game;
        game.folder = FreshCaseFolder(CaseFolder());
        game.arguments = "150";
        CopyFileA((ExeFolder() + "\\Game_xinput1_3.exe").c_str(),
                  (game.folder + "\\Game.exe").c_str(), FALSE);
        PlaceNoLoaderModule(game.folder + "\\xinput1_3.dll");
        WriteTextFile(game.folder + "\\StickShift.ini", c.settings);
        ConnectFullController(); // packet number 77 throughout, buttons 5030
        SetLeftStick(Controller().pads[0], 0, 0);

        const HANDLE running = CreateThread(nullptr, 0, RunGame, &game, 0, nullptr);
        ASSERT_TRUE(WaitForPolls(20, 5000)) << "the game never read the controller";
        MoveLeftStick(32767, 0, 40);
        if (c.backToRest)
            MoveLeftStick(0, 0, 40);
        WaitForSingleObject(running, 10000);
        CloseHandle(running);
        EXPECT_TRUE(game.ended);
        EXPECT_EQ(game.exitCode, 0u) << game.output;
        // Each change of the button comes with a packet number of its own.
        EXPECT_EQ(game.output.substr(0, game.output.find("result")),
                  "read packet 77 buttons 5030\r\n"
                  "read packet 78 buttons 5070\r\n"
                  "read packet 79 buttons 5030\r\n");
        ExpectEventsNow(0);
    }
}
