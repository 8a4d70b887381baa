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
