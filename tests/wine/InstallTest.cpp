// Installing into a game's folder and removing, as a player does it, with the staged package
// that make package zips: the probe's --install and --uninstall, and the window.

#include "ModuleTest.h"

#include <string>

#include "../../tools/window/TuningPanel.h"

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

// What a run set aside and did not delete.
bool LeftAside(const std::string& folder) {
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW(Wide(folder + "\\*.stickshift-old").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return search != INVALID_HANDLE_VALUE;
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
        bool heldOpen; // removing while the game runs on the copy: refused, nothing changed
        std::string playersIni = ""; // the player's own StickShift.ini, kept throughout
    } cases[] = {
        {"a 64-bit program that imports xinput1_3.dll",
         Is64Bit ? ExeFolder() + "\\Game_xinput1_3.exe"
                 : ExeFolder() + "\\..\\..\\windows\\tests\\Game_xinput1_3.exe",
         "", "x64", Is64Bit, 1, false},
        {"a 32-bit one: the 32-bit copy",
         Is64Bit ? ExeFolder() + "\\..\\..\\windows-x86\\tests\\Game_xinput1_3.exe"
                 : ExeFolder() + "\\Game_xinput1_3.exe",
         "", "x86", !Is64Bit, 1, false},
        {"over another mod's xinput1_3.dll, which finds its library by its own name",
         ExeFolder() + "\\Game_xinput1_3.exe", testController, Is64Bit ? "x64" : "x86", true, 1,
         false},
        {"installed twice, then removed, the player's settings kept",
         ExeFolder() + "\\Game_xinput1_3.exe", "", Is64Bit ? "x64" : "x86", false, 2, false,
         "[Settings]\r\nThresholdOnPct=70\r\n"},
        // For the 32-bit tool, a game of another bitness, whose modules it cannot list.
        {"while the 64-bit game runs on its copy",
         ExeFolder() + (Is64Bit ? "" : "\\..\\..\\windows\\tests") + "\\Game_xinput1_3.exe", "",
         "x64", false, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = FreshCaseFolder(CaseFolder());
        const std::string game = folder + "\\Game.exe";
        CopyFileW(Wide(c.game).c_str(), Wide(game).c_str(), FALSE);
        if (!c.foreign.empty())
            WriteTextFile(folder + "\\xinput1_3.dll", c.foreign);
        if (!c.playersIni.empty())
            WriteTextFile(folder + "\\StickShift.ini", c.playersIni);
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
                  c.playersIni.empty() ? ReadFileBytes(package + "StickShift.ini") : c.playersIni);
        EXPECT_EQ(ReadFileBytes(folder + "\\StickShift-original\\xinput1_3.dll"), c.foreign);
        EXPECT_FALSE(LeftAside(folder));

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
            // Every one of the game's 50 reads, and not only the first of each thread.
            EXPECT_EQ(Controller().wrappedReads >= 50, !c.foreign.empty())
                << Controller().wrappedReads;
            PlaceLeftStick(0, 0, false);
        }

        if (c.heldOpen) {
            const HANDLE running = StartChild("300", game);
            ASSERT_NE(running, nullptr);
            Sleep(1000);
            EXPECT_EQ(Probe("--uninstall", game, output), 1u) << output;
            EXPECT_NE(output.find(" first. Nothing was changed."), std::string::npos) << output;
            EXPECT_EQ(ReadFileBytes(folder + "\\xinput1_3.dll"),
                      ReadFileBytes(package + "x64\\no-loader\\xinput1_3.dll"));
            EXPECT_TRUE(Exists(folder + "\\StickShift.ini"));
            EXPECT_FALSE(Exists(folder + "\\xinput1_3.dll.stickshift-old"));
            DWORD exitCode = 1;
            EXPECT_TRUE(AwaitChild(running, 20000, exitCode));
        }
        ASSERT_EQ(Probe("--uninstall", game, output), 0u) << output;
        EXPECT_NE(output.find("Removed:"), std::string::npos) << output;
        EXPECT_EQ(ReadFileBytes(folder + "\\xinput1_3.dll"), c.foreign) << "put back byte for byte";
        EXPECT_EQ(Exists(folder + "\\xinput1_3.dll"), !c.foreign.empty());
        EXPECT_FALSE(Exists(folder + "\\StickShift-original"));
        EXPECT_EQ(ReadFileBytes(folder + "\\StickShift.ini"), c.playersIni);
        EXPECT_EQ(Exists(folder + "\\StickShift.ini"), !c.playersIni.empty());
        EXPECT_FALSE(LeftAside(folder));
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
    // Another mod's library, moved into a StickShift-original made for it, comes back, and the
    // folder goes: undone in the reverse order.
    WriteTextFile(folder + "\\xinput1_3.dll", "another mod's");
    std::string output;
    EXPECT_EQ(Probe("--install", game, output), 1u) << output;
    EXPECT_NE(output.find("Everything was put back as it was."), std::string::npos) << output;
    EXPECT_EQ(ReadFileBytes(folder + "\\xinput1_3.dll"), "another mod's");
    EXPECT_FALSE(Exists(folder + "\\StickShift-original"));
    EXPECT_FALSE(Exists(folder + "\\xinput1_3.dll.stickshift-new"));
}

std::string RegistryText(const wchar_t* key, const wchar_t* name) {
    wchar_t value[64] = L"";
    DWORD size = sizeof value - sizeof(wchar_t);
    RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size);
    return Utf8(value);
}

// Under Wine, installing tells Wine to load the copy beside the game first, as Wine's own
// configuration tool would: the game acts with no override in its environment. Removing takes
// out what installing wrote, and only that.
TEST_F(Install, UnderWineTheCopyActsWithNoOverrideInTheEnvironment) {
    char overrides[256] = "";
    GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
    if (std::string(overrides).find("xinput") != std::string::npos)
        GTEST_SKIP() << "needs Wine's own XInput: ctest runs it as InstallWithWinesOwnXInput";
    const std::string folder = FreshCaseFolder(CaseFolder());
    const std::string game = folder + "\\OverrideGame.exe"; // its own name: its own overrides
    CopyFileW(Wide(ExeFolder() + "\\Game_xinput1_3.exe").c_str(), Wide(game).c_str(), FALSE);
    const wchar_t* const key = L"Software\\Wine\\AppDefaults\\OverrideGame.exe\\DllOverrides";
    const wchar_t players[] = L"builtin";
    RegSetKeyValueW(HKEY_CURRENT_USER, key, L"xinput9_1_0", REG_SZ, players, sizeof players);
    std::string output;
    ASSERT_EQ(Probe("--install", game, output), 0u) << output;
    EXPECT_NE(output.find("WINEDLLOVERRIDES=\"xinput1_3=n,b\" %command%"), std::string::npos)
        << output;
    EXPECT_EQ(RegistryText(key, L"xinput1_3"), "native,builtin");

    PlaceLeftStick(32767, 0);
    DWORD exitCode = 1;
    EXPECT_TRUE(RunProgram(game, "50", folder, output, exitCode));
    EXPECT_EQ(exitCode, 0u) << output;
    ExpectNextEventWithin(true, 2);
    ExpectEventsNow(2);
    CheckAndClearKeyEvents();
    PlaceLeftStick(0, 0, false);

    ASSERT_EQ(Probe("--uninstall", game, output), 0u) << output;
    EXPECT_EQ(RegistryText(key, L"xinput1_3"), "");
    EXPECT_EQ(RegistryText(key, L"xinput9_1_0"), "builtin");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\OverrideGame.exe");
}

// A folder with a plug-in loader: the plug-in form goes into the loader's folder, the loader's
// file stays byte for byte, and removing takes out StickShift's two files and a folder it made.
TEST_F(Install, BesideAPlugInLoaderThePlugInFormGoesIntoItsFolder) {
    const std::string package = ExeFolder() + "\\..\\..\\package\\";
    const struct {
        const char* what;
        const char* sign; // the loader's other sign: a folder, or a file beside the game
        const char* plugin;
    } cases[] = {
        {"an empty plugins folder: scripts is made", "plugins\\", "scripts\\StickShift.asi"},
        {".asi files beside the game", "Other.asi", "StickShift.asi"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = FreshCaseFolder(CaseFolder());
        const std::string game = folder + "\\Game.exe";
        CopyFileW(Wide(ExeFolder() + "\\Game_xinput1_3.exe").c_str(), Wide(game).c_str(), FALSE);
        WriteTextFile(folder + "\\xinput1_3.dll", "a loader");
        const std::string sign = folder + "\\" + c.sign;
        if (sign.back() == '\\')
            CreateDirectoryW(Wide(sign).c_str(), nullptr);
        else
            WriteTextFile(sign, "another plug-in");
        const std::string plugin = folder + "\\" + c.plugin;
        const std::string ini = plugin.substr(0, plugin.size() - 3) + "ini";
        std::string output;
        ASSERT_EQ(Probe("--install", game, output), 0u) << output;
        EXPECT_NE(output.find("xinput1_3.dll is probably a plug-in loader"), std::string::npos)
            << output;
        EXPECT_EQ(ReadFileBytes(plugin),
                  ReadFileBytes(package + (Is64Bit ? "x64" : "x86") + "\\StickShift.dll"));
        EXPECT_EQ(ReadFileBytes(ini), ReadFileBytes(package + "StickShift.ini"));
        EXPECT_EQ(ReadFileBytes(folder + "\\xinput1_3.dll"), "a loader");
        ASSERT_EQ(Probe("--uninstall", game, output), 0u) << output;
        EXPECT_FALSE(Exists(plugin));
        EXPECT_FALSE(Exists(ini));
        EXPECT_FALSE(Exists(folder + "\\scripts"));
        EXPECT_TRUE(Exists(sign));
        EXPECT_EQ(ReadFileBytes(folder + "\\xinput1_3.dll"), "a loader");
        EXPECT_FALSE(LeftAside(folder));
    }
    // StickShift's own folder is no game's.
    std::string output;
    EXPECT_EQ(Probe("--install", PackageProgram("StickShift.exe"), output), 1u) << output;
    EXPECT_NE(output.find("That is StickShift's own folder"), std::string::npos) << output;
    EXPECT_FALSE(Exists(package + (Is64Bit ? "" : "x86\\") + "xinput1_3.dll"));
}

// A folder whose path is longer than the copy reads of its own: installing is refused with
// nothing changed, and a copy put there by hand is found and removed.
TEST_F(Install, AFolderTooLongForTheCopyIsRefusedAndACopyThereIsRemoved) {
    const std::string top = FreshCaseFolder(CaseFolder());
    std::string folder = "\\\\?\\" + top;
    while (folder.size() < 4 + 300) {
        folder += "\\" + std::string(60, 'f');
        CreateDirectoryW(Wide(folder).c_str(), nullptr);
    }
    const std::string game = folder + "\\Game.exe";
    ASSERT_TRUE(
        CopyFileW(Wide(ExeFolder() + "\\Game_xinput1_3.exe").c_str(), Wide(game).c_str(), FALSE));
    std::string output;
    EXPECT_EQ(Probe("--install", game, output), 1u) << output;
    EXPECT_NE(output.find("characters long"), std::string::npos) << output;
    EXPECT_NE(output.find(folder.substr(4) + "\\Game.exe\r\nInstall would:"), std::string::npos)
        << "shown without the long form's prefix: " << output;
    EXPECT_FALSE(Exists(folder + "\\xinput1_3.dll"));
    EXPECT_FALSE(Exists(folder + "\\StickShift.ini"));

    const std::string copy = ExeFolder() + "\\..\\..\\package\\" + (Is64Bit ? "x64" : "x86") +
                             "\\no-loader\\xinput1_3.dll";
    ASSERT_TRUE(CopyFileW(Wide(copy).c_str(), Wide(folder + "\\xinput1_3.dll").c_str(), FALSE));
    EXPECT_EQ(Probe("--uninstall", game, output), 0u) << output;
    EXPECT_NE(output.find("xinput1_3.dll: StickShift"), std::string::npos) << output;
    EXPECT_FALSE(Exists(folder + "\\xinput1_3.dll"));
    // Emptied again, for the next run's fresh folder.
    DeleteFileW(Wide(game).c_str());
    while (folder.size() > 4 + top.size()) {
        RemoveDirectoryW(Wide(folder).c_str());
        folder.resize(folder.rfind('\\'));
    }
}

// The text of control `id` of the player's window.
std::string ControlText(HWND window, int id) {
    wchar_t text[4096] = L"";
    SendMessageW(GetDlgItem(window, id), WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
    return Utf8(text);
}

HWND AwaitPlayersWindow() {
    HWND shown = nullptr;
    for (int wait = 0; wait < 100 && shown == nullptr; ++wait, Sleep(100))
        shown = FindWindowW(L"StickShiftWindow", nullptr);
    return shown;
}

// The player's window, opened with a game's program as its argument, as a drop onto its icon
// opens it: it shows the plan in its read-only box.
TEST_F(Display, TheWindowShowsThePlanForTheProgramItIsGiven) {
    const std::string folder = FreshCaseFolder(CaseFolder());
    CopyFileW(Wide(ExeFolder() + "\\Game_xinput1_3.exe").c_str(),
              Wide(folder + "\\Game.exe").c_str(), FALSE);
    // The player's own list of games installed into: one whose folder is gone, one on a drive
    // that is not there.
    const std::string profile = FreshCaseFolder(CaseFolder() + "-profile");
    const std::string known = profile + "\\StickShift\\KnownGames.txt";
    CreateDirectoryW(Wide(profile + "\\StickShift").c_str(), nullptr);
    WriteTextFile(known, "game\t" + profile + "\\Gone\\Gone.exe\t" + profile +
                             "\\Gone\\StickShift.ini\r\ngame\tQ:\\Away\\Away.exe\tQ:\\Away\\"
                             "StickShift.ini\r\n");
    wchar_t ownProfile[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"LOCALAPPDATA", ownProfile, MAX_PATH);
    SetEnvironmentVariableW(L"LOCALAPPDATA", Wide(profile).c_str());
    HANDLE window = StartChild("\"" + folder + "\\Game.exe\"", PackageProgram("StickShift.exe"));
    ASSERT_NE(window, nullptr);
    HWND shown = AwaitPlayersWindow();
    ASSERT_NE(shown, nullptr);
    const std::string plan = ControlText(shown, 102);
    EXPECT_EQ(plan.find(folder + "\\Game.exe\r\nInstall would:\r\n"), 0u) << plan;
    EXPECT_NE(plan.find("xinput1_3.dll: to be added."), std::string::npos) << plan;
    EXPECT_NE(plan.find("StickShift.ini: the sample, to be added"), std::string::npos) << plan;
    // After Install, in the past tense, only what was done; the same version is then offered
    // as Reinstall.
    PostMessageW(shown, WM_COMMAND, MAKEWPARAM(103, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(shown, 103)));
    std::string after;
    for (int wait = 0; wait < 50 && after.find("Installed:") != 0; ++wait, Sleep(100))
        after = ControlText(shown, 102);
    EXPECT_EQ(after.find("Installed:\r\n  xinput1_3.dll: added.\r\n  StickShift.ini: the sample, "
                         "added, to tune.\r\n"),
              0u)
        << after;
    EXPECT_EQ(ControlText(shown, 103), "Reinstall");
    EXPECT_EQ(ReadFileBytes(known), "game\t" + folder + "\\Game.exe\t" + folder +
                                        "\\StickShift.ini\r\ngame\tQ:\\Away\\Away.exe\tQ:\\Away\\"
                                        "StickShift.ini\r\nfolder\t" +
                                        folder + "\r\n");
    PostMessageW(shown, WM_CLOSE, 0, 0);
    DWORD exitCode = 1;
    EXPECT_TRUE(AwaitChild(window, 10000, exitCode));

    // Opened again with no game: the game installed into is offered for tuning, and picking it
    // offers Remove.
    window = StartChild("", PackageProgram("StickShift.exe"));
    SetEnvironmentVariableW(L"LOCALAPPDATA", ownProfile);
    ASSERT_NE(window, nullptr);
    shown = AwaitPlayersWindow();
    const HWND list = GetDlgItem(shown, TuneChoice);
    const std::wstring entry = L"Game.exe (installed): " + Wide(folder) + L"\\StickShift.ini";
    const LRESULT index =
        SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), (LPARAM)entry.c_str());
    EXPECT_NE(index, CB_ERR) << Utf8(entry);
    if (index != CB_ERR) {
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        PostMessageW(shown, WM_COMMAND, MAKEWPARAM(TuneChoice, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        for (int wait = 0; wait < 50 && !IsWindowEnabled(GetDlgItem(shown, 104)); ++wait)
            Sleep(100);
        EXPECT_EQ(ControlText(shown, 102).find(folder + "\\Game.exe\r\nInstall would:"), 0u);
        PostMessageW(shown, WM_COMMAND, MAKEWPARAM(104, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(shown, 104)));
        for (int wait = 0; wait < 50 && after.find("Removed:") != 0; ++wait, Sleep(100))
            after = ControlText(shown, 102);
        EXPECT_EQ(after.find("Removed:\r\n  xinput1_3.dll: StickShift"), 0u) << after;
        EXPECT_FALSE(Exists(folder + "\\xinput1_3.dll"));
        EXPECT_EQ(ReadFileBytes(known),
                  "game\tQ:\\Away\\Away.exe\tQ:\\Away\\StickShift.ini\r\nfolder\t" + folder +
                      "\r\n");
    }
    PostMessageW(shown, WM_CLOSE, 0, 0);
    EXPECT_TRUE(AwaitChild(window, 10000, exitCode));
    EXPECT_EQ(exitCode, 0u);
}

// Tuning a running game: the window finds this program, in which the module acts, shows the
// settings its file holds, and Save writes the one changed line, which the module applies at
// once: the stick at 40 % goes beyond the new "on" circle.
TEST_F(Display, TheTunerSavesTheChangedCircleAndTheRunningGameAppliesIt) {
    const char* const mine =
        "[Settings]\r\n; sprint\r\nThresholdOnPct = 50\r\nThresholdOffPct=20\r\nMine=1\r\n";
    const HMODULE module = LoadFresh(mine);
    MoveLeftStick(13107, 0, 10);
    ExpectEventsNow(0);
    const HANDLE window = StartChild("", PackageProgram("StickShift.exe"));
    ASSERT_NE(window, nullptr);
    const HWND shown = AwaitPlayersWindow();
    ASSERT_NE(shown, nullptr);
    for (int wait = 0; wait < 50 && ControlText(shown, TuneStatus).find("Settings from") != 0;
         ++wait)
        Sleep(100);
    EXPECT_NE(ControlText(shown, TuneStatus).find(CaseFolder() + "\\StickShift.ini"),
              std::string::npos)
        << ControlText(shown, TuneStatus);
    EXPECT_EQ(ControlText(shown, OnValue), "50 %");
    // Posted, not sent: this thread keeps taking the key events while the window saves.
    PostMessageW(shown, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30),
                 reinterpret_cast<LPARAM>(GetDlgItem(shown, OnBar)));
    PostMessageW(shown, WM_COMMAND, MAKEWPARAM(SaveButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(shown, SaveButton)));
    ExpectNextEventWithin(false, 1, 2000);
    std::string status;
    for (int wait = 0; wait < 30 && status.find("uses the new settings") == std::string::npos;
         ++wait, Sleep(100))
        status = ControlText(shown, TuneStatus);
    EXPECT_NE(status.find("StickShiftWineTests.exe uses the new settings."), std::string::npos)
        << status;
    EXPECT_EQ(ControlText(shown, OnValue), "30 %");
    const std::string file = ExeFolder() + "\\cases\\" + CaseFolder() + "\\StickShift.ini";
    EXPECT_EQ(ReadFileBytes(file),
              "[Settings]\r\n; sprint\r\nThresholdOnPct = 30\r\nThresholdOffPct=20\r\nMine=1\r\n");
    // A second change saves at once: the window read the file again after its own save, so it
    // does not ask whether to save over a change on disk.
    PostMessageW(shown, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 10),
                 reinterpret_cast<LPARAM>(GetDlgItem(shown, OffBar)));
    PostMessageW(shown, WM_COMMAND, MAKEWPARAM(SaveButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(shown, SaveButton)));
    for (int wait = 0; wait < 30 && ReadFileBytes(file).find("OffPct=10") == std::string::npos;
         ++wait)
        Sleep(100);
    EXPECT_EQ(ReadFileBytes(file),
              "[Settings]\r\n; sprint\r\nThresholdOnPct = 30\r\nThresholdOffPct=10\r\nMine=1\r\n");

    // The game in front: the tuner, on top of it and taking no focus, shows what the module
    // reads and decides inside it.
    const HWND game = CreateWindowExW(0, L"STATIC", L"The game", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                      0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(game);
    std::string source;
    for (int wait = 0; wait < 30 && source.find("inside StickShiftWineTests.exe.\r\nThe game "
                                                "uses on 30 %, off 10 %") == std::string::npos;
         ++wait, Sleep(100)) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        source = ControlText(shown, TuneSource);
    }
    EXPECT_NE(source.find("The stick as StickShift reads it inside StickShiftWineTests.exe.\r\n"
                          "The game uses on 30 %, off 10 %, Left Shift, Hold."),
              std::string::npos)
        << source;
    EXPECT_EQ(ControlText(shown, KeyState), "Key down (the dot is green)");
    const LONG_PTR style = GetWindowLongPtrW(shown, GWL_EXSTYLE);
    EXPECT_TRUE((style & WS_EX_NOACTIVATE) != 0 && (style & WS_EX_TOPMOST) != 0) << style;
    DestroyWindow(game);
    // The key let go first: a question that takes the focus makes Wine's X11 driver bring the
    // keyboard's state into line with the X server's, which knows nothing of an injected Shift.
    PlaceLeftStick(0, 0);
    ExpectNextEventWithin(true, 2);
    // A change not saved: the line under Save says so, and closing asks first.
    // Posted, not sent, as above: this thread keeps taking the key events meanwhile.
    PostMessageW(shown, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 40),
                 reinterpret_cast<LPARAM>(GetDlgItem(shown, OnBar)));
    for (int wait = 0; wait < 30 && ControlText(shown, TuneStatus) != "Not saved."; ++wait) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        Sleep(100);
    }
    EXPECT_EQ(ControlText(shown, TuneStatus), "Not saved.");
    PostMessageW(shown, WM_CLOSE, 0, 0);
    HWND question = nullptr;
    for (int wait = 0; wait < 50 && question == nullptr; ++wait, Sleep(100)) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        question = FindWindowW(L"#32770", L"StickShift");
    }
    ASSERT_NE(question, nullptr) << "closing with a change not saved asks first";
    EXPECT_NE(ControlText(question, 0xFFFF).find("are not saved. Save them?"), std::string::npos);
    PostMessageW(question, WM_COMMAND, IDNO, 0);
    DWORD exitCode = 1;
    EXPECT_TRUE(AwaitChild(window, 10000, exitCode));
    EXPECT_NE(ReadFileBytes(file).find("ThresholdOnPct = 30"), std::string::npos) << "not saved";
    Unload(module);
    ExpectEventsNow(2);
}
