// The real module reads StickShift.ini beside itself; the thresholds it ends up with are found
// by probing the stick circles.

#include "ModuleTest.h"

#include <cctype>
#include <cstring>
#include <cwchar>

#include "shared/ProcessRecord.h"

using SettingsFile = ModuleTest;

namespace {
const char* Decoy = "[Settings]\r\nThresholdOnPct=10\r\nThresholdOffPct=5\r\n";
}

TEST_F(SettingsFile, AbsentFileGivesDefaultsEvenWithSettingsBesideTheHost) {
    // Files the module must not read: the host program's own name, and the module's name in
    // the host's folder.
    const std::string hostIni = ExeFolder() + "\\StickShiftWineTests.ini";
    const std::string hostFolderIni = ExeFolder() + "\\StickShift.ini";
    WriteTextFile(hostIni, Decoy);
    WriteTextFile(hostFolderIni, Decoy);
    LoadFresh();
    ExpectThresholds(16383, 13106);
    DeleteFileA(hostIni.c_str());
    DeleteFileA(hostFolderIni.c_str());
}

TEST_F(SettingsFile, BothKeys) {
    LoadFresh("[Settings]\r\nThresholdOnPct=80\r\nThresholdOffPct=20\r\n");
    ExpectThresholds(26213, 6553);
}

TEST_F(SettingsFile, MissingKeyTakesItsDefaultAndOtherSectionsAreIgnored) {
    LoadFresh("[General]\nThresholdOnPct=10\nThresholdOffPct=5\n[Settings]\nThresholdOffPct=30\n");
    ExpectThresholds(16383, 9830);
}

TEST_F(SettingsFile, EmptyFileGivesDefaults) {
    LoadFresh("");
    ExpectThresholds(16383, 13106);
}

TEST_F(SettingsFile, NegativePercentagesActByMagnitude) {
    LoadFresh("[Settings]\nThresholdOnPct=-60\nThresholdOffPct=-30\n");
    ExpectThresholds(19660, 9830);
}

TEST_F(SettingsFile, TextThatIsNotANumberIsTakenAsTheProfileRoutineReadsIt) {
    // "12abc" reads as 12 (3932 units); "abc" as 0, so no stick position releases the key.
    LoadFresh("[Settings]\nThresholdOnPct=12abc\nThresholdOffPct=abc\n");
    MoveLeftStick(3932, 0);
    ExpectEventsNow(0);
    MoveLeftStick(3932, 1, 1);
    ExpectNextEventWithin(false, 1);
    MoveLeftStick(0, 0, 5);
    ExpectEventsNow(1);
}

TEST_F(SettingsFile, AboveHundredOnlyADiagonalCanExceed) {
    LoadFresh("[Settings]\nThresholdOnPct=110\n"); // 36043 units, beyond one axis
    MoveLeftStick(32767, 0);
    MoveLeftStick(-32768, 0);
    ExpectEventsNow(0);
    MoveLeftStick(26000, 26000, 1);
    ExpectNextEventWithin(false, 1);
    MoveLeftStick(0, 0, 1);
    ExpectNextEventWithin(true, 2);
}

TEST_F(SettingsFile, OnCircleBeyondEveryDeflectionNeverPresses) {
    // 142 % is 46529 units; beyond the 32-bit range the threshold is INT32_MIN.
    for (const char* on : {"142", "6553801", "-2147483648"}) {
        SCOPED_TRACE(on);
        const std::string settings = std::string("[Settings]\nThresholdOnPct=") + on + "\n";
        const HMODULE module = LoadFresh(settings.c_str());
        MoveLeftStick(-32768, -32768);
        MoveLeftStick(32767, 32767);
        ExpectEventsNow(0);
        Unload(module);
    }
}

TEST_F(SettingsFile, OffCircleBeyondThe32BitRangeReleasesOnTheNextPoll) {
    LoadFresh("[Settings]\nThresholdOffPct=7000000\n");
    MoveLeftStick(20000, 0, 1);
    ASSERT_TRUE(WaitForKeyEvents(6)) << "the key should toggle on every poll";
}

TEST_F(SettingsFile, OnlyTheLastDotOfTheModuleNameCounts) {
    const std::string folder = FreshCaseFolder(CaseFolder());
    PlaceModule(folder + "\\StickShift.alt.dll");
    WriteTextFile(folder + "\\StickShift.alt.ini",
                  "[Settings]\nThresholdOnPct=80\nThresholdOffPct=20\n");
    WriteTextFile(folder + "\\StickShift.ini", Decoy);
    Load(folder + "\\StickShift.alt.dll");
    ExpectThresholds(26213, 6553);
}

TEST_F(SettingsFile, ModuleRenamedToAsiReadsTheIniOfItsName) {
    // Some plug-in loaders pick up only files ending in ".asi".
    const std::string folder = FreshCaseFolder(CaseFolder());
    PlaceModule(folder + "\\StickShift.asi");
    WriteTextFile(folder + "\\StickShift.ini",
                  "[Settings]\nThresholdOnPct=80\nThresholdOffPct=20\n");
    Load(folder + "\\StickShift.asi");
    ExpectThresholds(26213, 6553);
}

TEST_F(SettingsFile, ModuleWithoutExtensionInDottedFolderReadsThePathCutAtThatDot) {
    const std::string folder = FreshCaseFolder(CaseFolder());
    CreateDirectoryA((folder + "\\Tools.old").c_str(), nullptr);
    PlaceModule(folder + "\\Tools.old\\stick");
    WriteTextFile(folder + "\\Tools.ini", "[Settings]\nThresholdOnPct=80\nThresholdOffPct=20\n");
    WriteTextFile(folder + "\\Tools.old\\stick.ini", Decoy);
    // A trailing dot keeps the loader from appending ".dll".
    Load(folder + "\\Tools.old\\stick.");
    ExpectThresholds(26213, 6553);
}

TEST_F(SettingsFile, FoundInFoldersWhoseNamesTheCodePageCannotHold) {
    const std::string cases = FreshCaseFolder(CaseFolder());
    for (const char* name : {u8"Игры", u8"ゲーム"}) {
        SCOPED_TRACE(name);
        const std::string folder = cases + "\\" + name;
        CreateDirectoryW(Wide(folder).c_str(), nullptr);
        PlaceModule(folder + "\\StickShift.dll");
        WriteTextFile(folder + "\\StickShift.ini",
                      "[Settings]\nThresholdOnPct=80\nThresholdOffPct=20\n");
        const HMODULE module = Load(folder + "\\StickShift.dll");
        ExpectThresholds(26213, 6553);
        Unload(module);
    }
}

TEST_F(SettingsFile, KeyChoosesTheKeyHeldWithItsScanCodeAndAnUnknownNameGivesLeftShift) {
    struct {
        const char* name;
        DWORD virtualKey, scanCode;
        bool extended;
    } const keys[] = {{"LCtrl", VK_LCONTROL, 0x1D, false},
                      {" rctrl ", VK_RCONTROL, 0x1D, true},
                      {"Shfit", VK_LSHIFT, 0x2A, false}};
    for (const auto& key : keys) {
        SCOPED_TRACE(key.name);
        ExpectKey(key.virtualKey, key.scanCode, key.extended);
        const HMODULE module =
            LoadFresh(("[Settings]\nKey=" + std::string(key.name) + "\n").c_str());
        MoveLeftStick(32767, 0, 1);
        ExpectNextEventWithin(false, 1);
        EXPECT_TRUE(KeySettles(true, 1000, key.virtualKey));
        MoveLeftStick(0, 0, 1);
        ExpectNextEventWithin(true, 2);
        Unload(module);
        CheckAndClearKeyEvents();
    }
}

// Settings saved through the probe apply in the running game within a second, each line changed
// alone; a changed key lets go of the old one first.
TEST_F(SettingsFile, SavedThroughTheProbeApplyWhileTheGameRuns) {
    const char* const mine =
        "; my settings\r\n[Settings]\r\nThresholdOnPct = 50\r\nThresholdOffPct=20\r\nMine=1\r\n";
    const HMODULE module = LoadFresh(mine);
    MoveLeftStick(13107, 0, 10); // 40 %: inside the "on" circle
    ExpectEventsNow(0);
    const auto set = [](const std::string& settings, DWORD expectedExit = 0,
                        const char* saying = "StickShiftWineTests.exe uses the new settings") {
        std::string output;
        DWORD exitCode = 1;
        EXPECT_TRUE(RunProgram(ExeFolder() + "\\..\\StickShiftProbe.exe", "--set " + settings,
                               ExeFolder(), output, exitCode));
        EXPECT_EQ(exitCode, expectedExit) << output;
        EXPECT_NE(output.find(saying), std::string::npos) << output;
    };
    set("ThresholdOnPct=30");
    ExpectNextEventWithin(false, 1, 1000);
    set("key=lctrl");
    EXPECT_TRUE(WaitForKeyEvents(3, 1000));
    set("Mode=Sideways ForwardOnly=1", 1, "Mode \"Sideways\" is not a mode StickShift knows");
    // The file named in another letter case is the same file: the game is asked to apply it.
    std::string upper = ExeFolder() + "\\cases\\" + CaseFolder() + "\\STICKSHIFT.INI";
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    set("Mode=Hold --settings \"" + upper + "\"");
    // Any program may write a record: a path in it that no copy's own is never written.
    wchar_t name[64];
    swprintf(name, 64, L"Local\\StickShift.%lu", GetCurrentProcessId());
    const HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, name);
    ASSERT_NE(mapping, nullptr);
    auto* record = static_cast<ProcessRecord*>(
        MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(ProcessRecord)));
    ASSERT_NE(record, nullptr);
    wchar_t published[SettingsPathCapacity];
    std::memcpy(published, record->settingsPath, sizeof published);
    // Another folder's file of that very name: another game's settings, say.
    const std::string other = ExeFolder() + "\\cases\\" + CaseFolder() + "\\Other";
    CreateDirectoryW(Wide(other).c_str(), nullptr);
    const std::string victim = other + "\\StickShift.ini";
    WriteTextFile(victim, "mine\r\n");
    swprintf(record->settingsPath, SettingsPathCapacity, L"%ls", Wide(victim).c_str());
    set("ThresholdOnPct=20", 2, "nothing was written");
    EXPECT_EQ(ReadFileBytes(victim), "mine\r\n");
    std::memcpy(record->settingsPath, published, sizeof published);
    // A busy file (an editor writing it) is tried again, never read as every default at once,
    // which would hold Left Shift for LCtrl.
    const std::string settingsFile = ExeFolder() + "\\cases\\" + CaseFolder() + "\\StickShift.ini";
    const HANDLE busy = CreateFileW(Wide(settingsFile).c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    const LONG save = InterlockedIncrement(&record->savesAsked);
    Sleep(300);
    ExpectEventsNow(3);
    CloseHandle(busy);
    for (int wait = 0; wait < 100 && record->savesApplied - save < 0; ++wait)
        Sleep(10);
    EXPECT_GE(record->savesApplied - save, 0);
    UnmapViewOfFile(record);
    CloseHandle(mapping);
    ExpectEventsNow(3);
    // A save that changes the controller lets go of the key held for the old one first.
    PlaceLeftStick(13107, 0, true, 1);
    set("Controller=2");
    EXPECT_TRUE(WaitForKeyEvents(5, 1000));
    PlaceLeftStick(0, 0, false, 1);
    Unload(module);
    const std::vector<KeyEvent> events = KeyEvents();
    ASSERT_EQ(events.size(), 6u);
    const DWORD keys[] = {VK_LSHIFT, VK_LSHIFT, VK_LCONTROL, VK_LCONTROL, VK_LCONTROL, VK_LCONTROL};
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].vkCode, keys[i]) << i;
        EXPECT_EQ(events[i].up, i % 2 == 1) << i;
    }
    ClearKeyEvents();
    EXPECT_EQ(ReadFileBytes(ExeFolder() + "\\cases\\" + CaseFolder() + "\\StickShift.ini"),
              "; my settings\r\n[Settings]\r\nThresholdOnPct = 30\r\nThresholdOffPct=20\r\n"
              "Mine=1\r\nKey=LCtrl\r\nMode=Hold\r\nController=2\r\n");
}

// A save asked after the module read its file, but before its first turn (the controller library
// still setting itself up), is applied at that turn, never taken as read already.
TEST_F(SettingsFile, SavedBeforeTheFirstTurnApplyAtIt) {
    Controller().firstCallSetupMs = 1500;
    PlaceLeftStick(13107, 0); // 40 %: inside the "on" circle
    const HMODULE module = LoadFresh("[Settings]\r\nThresholdOnPct=50\r\n");
    std::string output;
    DWORD exitCode = 1;
    EXPECT_TRUE(RunProgram(ExeFolder() + "\\..\\StickShiftProbe.exe", "--set ThresholdOnPct=30",
                           ExeFolder(), output, exitCode));
    EXPECT_EQ(exitCode, 0u) << output;
    ExpectNextEventWithin(false, 1, 3000);
    Unload(module);
    ExpectEventsNow(2);
}
