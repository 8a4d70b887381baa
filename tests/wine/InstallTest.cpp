// Installing into a game's folder and removing, as a player does it, with the staged package
// that make package zips: the probe's --install and --uninstall, and the window.

#include "ModuleTest.h"

#include <string>

namespace {

using Display = ModuleTest;

const bool Is64Bit = sizeof(void*) == 8;

// A program of the staged package, of this build's architecture.
std::string PackageProgram(const char* name) {
    return ExeFolder() + "\\..\\..\\package\\" + (Is64Bit ? "" : "x86\\") + name;
}

bool Exists(const std::string& path) {
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

class Install : public ModuleTest {
  protected:
    void SetUp() override {
        if (!InstallTestControllerAsSystemXInput())
            GTEST_SKIP() << "needs a prefix of its own: ctest runs it as NoLoaderAndProbe";
        ASSERT_TRUE(Exists(PackageProgram("StickShiftProbe.exe")))
            << "no staged package: make test lays it out";
        ModuleTest::SetUp();
    }

    static DWORD Probe(const std::string& command, const std::string& game, std::string& output) {
        DWORD exitCode = 99;
        EXPECT_TRUE(RunProgram(PackageProgram("StickShiftProbe.exe"), command + " \"" + game + "\"",
                               ExeFolder(), output, exitCode));
        return exitCode;
    }
};

} // namespace

TEST_F(Install, PutsTheCopyBesideAnyModThereAndTakesItOutAgain) {
    const std::string package = ExeFolder() + "\\..\\..\\package\\";
    const std::string testController = ReadFileBytes(ExeFolder() + "\\xinput1_4.dll");
    const struct {
        const char* what;
        std::string game;    // the program copied into the folder as Game.exe
        std::string foreign; // the xinput1_3.dll already there, or empty
        const char* copyOf;  // the no-loader form of this architecture, x64 or x86
        bool runs;           // this build can run the game
        int installs;
    } cases[] = {
        {"a 64-bit program that imports xinput1_3.dll",
         Is64Bit ? ExeFolder() + "\\Game_xinput1_3.exe"
                 : ExeFolder() + "\\..\\..\\windows\\tests\\Game_xinput1_3.exe",
         "", "x64", Is64Bit, 1},
        {"a 32-bit one: the 32-bit copy",
         Is64Bit ? ExeFolder() + "\\..\\..\\windows-x86\\tests\\Game_xinput1_3.exe"
                 : ExeFolder() + "\\Game_xinput1_3.exe",
         "", "x86", !Is64Bit, 1},
        {"over another mod's xinput1_3.dll, which finds its library by its own name",
         ExeFolder() + "\\Game_xinput1_3.exe", testController, Is64Bit ? "x64" : "x86", true, 1},
        {"installed twice, then removed", ExeFolder() + "\\Game_xinput1_3.exe", "",
         Is64Bit ? "x64" : "x86", false, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = FreshCaseFolder(CaseFolder());
        const std::string game = folder + "\\Game.exe";
        CopyFileW(Wide(c.game).c_str(), Wide(game).c_str(), FALSE);
        if (!c.foreign.empty())
            WriteTextFile(folder + "\\xinput1_3.dll", c.foreign);
        std::string output;
        for (int install = 0; install < c.installs; ++install) {
            ASSERT_EQ(Probe("--install", game, output), 0u) << output;
        }
        if (c.installs > 1) {
            EXPECT_NE(output.find("replaced by"), std::string::npos) << output;
        }
        EXPECT_EQ(ReadFileBytes(folder + "\\xinput1_3.dll"),
                  ReadFileBytes(package + c.copyOf + "\\no-loader\\xinput1_3.dll"));
        EXPECT_EQ(ReadFileBytes(folder + "\\StickShift.ini"),
                  ReadFileBytes(package + "StickShift.ini"));
        EXPECT_EQ(ReadFileBytes(folder + "\\StickShift-original\\xinput1_3.dll"), c.foreign);

        if (c.runs) {
            // Pushed from the start: the key goes down, and up as the game exits.
            PlaceLeftStick(32767, 0);
            Controller().wrappedReads = 0;
            DWORD exitCode = 1;
            EXPECT_TRUE(RunProgram(game, "50", folder, output, exitCode));
            EXPECT_EQ(exitCode, 0u) << output;
            EXPECT_NE(output.find("left 32767 0"), std::string::npos) << output;
            ExpectNextEventWithin(true, 2);
            ExpectEventsNow(2);
            CheckAndClearKeyEvents();
            EXPECT_EQ(Controller().wrappedReads > 0, !c.foreign.empty());
            PlaceLeftStick(0, 0, false);
        }

        ASSERT_EQ(Probe("--uninstall", game, output), 0u) << output;
        EXPECT_EQ(ReadFileBytes(folder + "\\xinput1_3.dll"), c.foreign) << "put back byte for byte";
        EXPECT_EQ(Exists(folder + "\\xinput1_3.dll"), !c.foreign.empty());
        EXPECT_FALSE(Exists(folder + "\\StickShift-original"));
        EXPECT_FALSE(Exists(folder + "\\StickShift.ini"));
        EXPECT_TRUE(Exists(game));
    }
}

TEST_F(Install, AStepThatFailsPutsBackEveryChangeAlreadyMade) {
    // The sample settings cannot be written where a folder has that name: the copy written
    // before goes again.
    const std::string folder = FreshCaseFolder(CaseFolder());
    const std::string game = folder + "\\Game.exe";
    CopyFileW(Wide(ExeFolder() + "\\Game_xinput1_3.exe").c_str(), Wide(game).c_str(), FALSE);
    CreateDirectoryW(Wide(folder + "\\StickShift.ini").c_str(), nullptr);
    std::string output;
    EXPECT_EQ(Probe("--install", game, output), 1u) << output;
    EXPECT_NE(output.find("Everything was put back as it was."), std::string::npos) << output;
    EXPECT_FALSE(Exists(folder + "\\xinput1_3.dll"));
    EXPECT_FALSE(Exists(folder + "\\xinput1_3.dll.stickshift-new"));
}

// The player's window, opened with a game's program as its argument, as a drop onto its icon
// opens it: it shows the plan in its read-only box.
TEST_F(Display, TheWindowShowsThePlanForTheProgramItIsGiven) {
    const std::string folder = FreshCaseFolder(CaseFolder());
    CopyFileW(Wide(ExeFolder() + "\\Game_xinput1_3.exe").c_str(),
              Wide(folder + "\\Game.exe").c_str(), FALSE);
    const HANDLE window =
        StartChild("\"" + folder + "\\Game.exe\"", PackageProgram("StickShift.exe"));
    ASSERT_NE(window, nullptr);
    HWND shown = nullptr;
    for (int wait = 0; wait < 100 && shown == nullptr; ++wait, Sleep(100))
        shown = FindWindowW(L"StickShiftWindow", nullptr);
    ASSERT_NE(shown, nullptr);
    wchar_t text[4096] = L"";
    SendMessageW(GetDlgItem(shown, 102), WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
    const std::string plan = Utf8(text);
    EXPECT_NE(plan.find("Installing into " + folder + "\\Game.exe:"), std::string::npos) << plan;
    EXPECT_NE(plan.find("xinput1_3.dll: added."), std::string::npos) << plan;
    EXPECT_NE(plan.find("StickShift.ini: the sample"), std::string::npos) << plan;
    PostMessageW(shown, WM_CLOSE, 0, 0);
    DWORD exitCode = 1;
    EXPECT_TRUE(AwaitChild(window, 10000, exitCode));
    EXPECT_EQ(exitCode, 0u);
}
