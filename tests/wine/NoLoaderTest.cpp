// The no-loader form as a game loads it: named as the XInput library that the game imports,
// beside the game, with the test controller as Windows' own library in the system folder.

#include "ModuleTest.h"

#include <xinput.h>

#include <cstdio>
#include <sstream>

namespace {

class NoLoader : public ModuleTest {
  protected:
    void SetUp() override {
        if (!InstallTestControllerAsSystemXInput())
            GTEST_SKIP() << "needs a prefix of its own: ctest runs it as NoLoaderAndProbe";
        ModuleTest::SetUp();
    }
};

// Controllers 1 and 2 with every field set, and a packet number that holds still, so that a
// change the game reads is the module's own.
void PlaceFullController(SHORT leftX) {
    for (int index : {0, 1}) {
        TestPad& pad = Controller().pads[index];
        pad.buttons = 0x5030;
        pad.triggers = 0x2040;
        InterlockedExchange64(&pad.sticks, PackSticks(leftX, 0, -1000, 2000));
        pad.connected = 1;
    }
    Controller().fixedPacketNumber = 77;
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

// What every game run must show, whatever the row: each packet number the game reads stands
// for one reading's contents and never goes back, no button of the module's while the game has
// XInput disabled, and XInputGetCapabilities' arguments reach Windows' library as the game gave
// them.
void ExpectReadingsInOrder(const std::string& output) {
    std::istringstream lines(output);
    std::string line;
    unsigned long lastPacket = 0, packet, buttons, lastButtons = 0;
    bool disabled = false;
    while (std::getline(lines, line)) {
        disabled = line.rfind("disabled", 0) == 0 || (disabled && line.rfind("enabled", 0) != 0);
        if (std::sscanf(line.c_str(), "read packet %lu buttons %lx", &packet, &buttons) != 2)
            continue;
        EXPECT_TRUE(packet > lastPacket || (packet == lastPacket && buttons == lastButtons))
            << line << " after packet " << lastPacket << " buttons " << std::hex << lastButtons;
        EXPECT_FALSE(disabled && (buttons & XINPUT_GAMEPAD_LEFT_THUMB) != 0) << line;
        lastPacket = packet;
        lastButtons = buttons;
    }
    EXPECT_EQ(Controller().capabilitiesUserIndex, 0);
    EXPECT_EQ(Controller().capabilitiesFlags, XINPUT_FLAG_GAMEPAD);
}

// The game's last reading: the controller exactly as placed, pushed.
const char* const Unchanged =
    "result 0 packet 77 buttons 5030 triggers 64 32 left 32767 0 right -1000 2000";
// Each change of the left stick's click, with a packet number of its own, and no other.
const char* const ClickDownAndUp = "read packet 77 buttons 5030\r\n"
                                   "read packet 78 buttons 5070\r\n"
                                   "read packet 79 buttons 5030\r\n"
                                   "result";
// The same, with XInput disabled by the game once the click is down, and enabled again while
// the stick is still out: the click goes, is let go meanwhile (one number for the disabling,
// one for the release), and comes back with a press of its own.
const char* const ClickAcrossDisabling = "read packet 77 buttons 5030\r\n"
                                         "read packet 78 buttons 5070\r\n"
                                         "disabled|"
                                         "read packet 80 buttons 5030\r\n"
                                         "enabled|"
                                         "read packet 82 buttons 5070|"
                                         "read packet 83 buttons 5030\r\n"
                                         "result";

enum SystemLibrary { WindowsOwn, NoXInput1_3, NoGetStateEx, CopyInSystemFolder };

} // namespace

TEST_F(NoLoader, ReadsThroughWindowsOwnLibraryAndActsOnce) {
    const struct {
        const char* what;
        const char* game;    // Game_<game>.exe: the XInput name it imports, or "loads"
        const char* copies;  // beside it, by name, space-separated
        const char* options; // the game's
        const char* settings;
        SystemLibrary system;
        int pushedPolls;   // then back to rest; 0: pushed until the game ends
        const char* reads; // in this order, '|' between parts apart
        size_t keyEvents;  // pressed while pushed, and released as the game exits
    } cases[] = {
        // clang-format off
        {"xinput1_4", "xinput1_4", "xinput1_4.dll", "", "", WindowsOwn, 0, Unchanged, 2},
        {"xinput1_3", "xinput1_3", "xinput1_3.dll", "", "", WindowsOwn, 0, Unchanged, 2},
        {"xinput9_1_0", "xinput9_1_0", "xinput9_1_0.dll", "", "", WindowsOwn, 0, Unchanged, 2},
        {"two names in one game act once", "xinput1_3", "xinput1_3.dll xinput1_4.dll",
         "load:xinput1_4.dll", "", WindowsOwn, 0, Unchanged, 2},
        {"no xinput1_3.dll in the system folder: xinput1_4.dll serves", "xinput1_3",
         "xinput1_3.dll", "", "", NoXInput1_3, 0, Unchanged, 2},
        {"PadLS: the button while the stick is out, none while XInput is disabled, and no key",
         "xinput1_3", "xinput1_3.dll", "enable-toggle", "Key=PadLS", WindowsOwn, 120,
         ClickAcrossDisabling, 0},
        {"PadLS with Tap: the button for a tap, then clear, the stick still out", "xinput9_1_0",
         "xinput9_1_0.dll", "", "Key=padls\nMode=Tap\nOnlyWhenFocused=0", WindowsOwn, 0,
         ClickDownAndUp, 0},
        {"PadLS read through XInputGetStateEx", "xinput1_4", "xinput1_4.dll", "ex", "Key=PadLS",
         WindowsOwn, 120, ClickDownAndUp, 0},
        {"PadLS decided in the game's own read: the first reading beyond \"on\" carries it",
         "xinput1_3", "xinput1_3.dll", "tight", "Key=PadLS", WindowsOwn, 120,
         "crossing to button: 0 readings", 0},
        {"XInputGetStateEx where Windows' library lacks it: answered as XInputGetState",
         "xinput1_4", "xinput1_4.dll", "ex", "", NoGetStateEx, 0, Unchanged, 2},
        {"a copy in the system folder too: Windows' own library still serves", "xinput1_3",
         "xinput1_3.dll", "", "", CopyInSystemFolder, 0, Unchanged, 2},
        {"PadLS for controller 2: controller 1's readings carry no button", "xinput1_4",
         "xinput1_4.dll", "", "Key=PadLS\nController=2", WindowsOwn, 0,
         "read packet 77 buttons 5030\r\nresult 0 packet 77 buttons 5030", 0},
        {"an older StickShift's record says that it acts: this copy only passes calls on",
         "loads", "xinput1_4.dll", "old-record", "", WindowsOwn, 0, Unchanged, 0},
        {"freed by the game while the stick is out: the copy stays, and so does the key",
         "loads", "xinput1_4.dll", "free", "", WindowsOwn, 0, "still loaded\r\nLeft Shift down",
         2},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GameRun game;
        game.folder = FreshCaseFolder(CaseFolder());
        game.arguments = std::string("150 ") + c.options;
        CopyFileA((ExeFolder() + "\\Game_" + c.game + ".exe").c_str(),
                  (game.folder + "\\Game.exe").c_str(), FALSE);
        std::istringstream copies(c.copies);
        for (std::string name; copies >> name;)
            PlaceNoLoaderModule(game.folder + "\\" + name);
        WriteTextFile(game.folder + "\\StickShift.ini", std::string("[Settings]\n") + c.settings);
        char overrides[256] = "";
        GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
        if (c.system == NoXInput1_3) {
            // As on a system without the DirectX runtime: the file is not there, and Wine's own
            // library may not stand in for it.
            DeleteFileA((SystemFolder() + "\\xinput1_3.dll").c_str());
            std::string nativeOnly = overrides;
            const std::string all = "xinput1_4,xinput1_3,xinput9_1_0=n,b";
            ASSERT_NE(nativeOnly.find(all), std::string::npos) << nativeOnly;
            nativeOnly.replace(nativeOnly.find(all), all.size(),
                               "xinput1_3=n;xinput1_4,xinput9_1_0=n,b");
            SetEnvironmentVariableA("WINEDLLOVERRIDES", nativeOnly.c_str());
        }
        if (c.system == NoGetStateEx)
            InstallTestControllerAsSystemXInput(false);
        if (c.system == CopyInSystemFolder)
            PlaceNoLoaderModule(SystemFolder() + "\\xinput1_3.dll");
        PlaceFullController(0);

        const HANDLE running = CreateThread(nullptr, 0, RunGame, &game, 0, nullptr);
        ASSERT_TRUE(WaitForPolls(20, 5000)) << "the game never read the controller";
        PlaceFullController(32767);
        ASSERT_TRUE(WaitForPolls(c.pushedPolls > 0 ? c.pushedPolls : 40, 5000));
        if (c.pushedPolls > 0)
            PlaceFullController(0);
        WaitForSingleObject(running, 10000);
        CloseHandle(running);
        SetEnvironmentVariableA("WINEDLLOVERRIDES", overrides);
        InstallTestControllerAsSystemXInput();

        EXPECT_TRUE(game.ended);
        EXPECT_EQ(game.exitCode, 0u) << game.output;
        std::size_t at = 0;
        std::istringstream parts(c.reads);
        for (std::string part; std::getline(parts, part, '|');) {
            at = game.output.find(part, at);
            EXPECT_NE(at, std::string::npos) << part << " in\n" << game.output;
        }
        ExpectReadingsInOrder(game.output);
        if (c.keyEvents > 0)
            ExpectNextEventWithin(true, c.keyEvents);
        ExpectEventsNow(c.keyEvents);
        CheckAndClearKeyEvents();
    }
}
