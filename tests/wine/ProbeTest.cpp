// StickShiftProbe.exe, run as a user would, with the test controller as Windows' own XInput
// library.

#include "ModuleTest.h"

namespace {

class Probe : public ModuleTest {
  protected:
    void SetUp() override {
        if (!InstallTestControllerAsSystemXInput())
            GTEST_SKIP() << "needs a prefix of its own: ctest runs it as NoLoaderAndProbe";
        ModuleTest::SetUp();
    }

    // A folder holding the probe, as a user's folder holds it.
    std::string PrepareFolder() {
        const std::string folder = FreshCaseFolder(CaseFolder());
        CopyFileA((ExeFolder() + "\\..\\StickShiftProbe.exe").c_str(),
                  (folder + "\\StickShiftProbe.exe").c_str(), FALSE);
        return folder;
    }

    static std::string Run(const std::string& folder, const std::string& arguments) {
        std::string output;
        DWORD exitCode = 1;
        EXPECT_TRUE(
            RunProgram(folder + "\\StickShiftProbe.exe", arguments, folder, output, exitCode));
        EXPECT_EQ(exitCode, 0u) << output;
        return output;
    }
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST_F(Probe, ReadsTheStickWithTheDefaultSettings) {
    const std::string folder = PrepareFolder();
    PlaceLeftStick(16384, 0);
    std::string output = Run(folder, "--count 3");
    EXPECT_TRUE(Contains(output, "No settings file at " + folder + "\\StickShift.ini")) << output;
    EXPECT_TRUE(Contains(output, "16383 stick units")) << output;
    EXPECT_TRUE(Contains(output, "13106 stick units")) << output;
    EXPECT_TRUE(Contains(output, "deflection  50.0 %")) << output;
    EXPECT_TRUE(Contains(output, "Left Shift down")) << output;
    EXPECT_TRUE(Contains(output, "StickShift is not active in any running program")) << output;

    PlaceLeftStick(14000, 0);
    output = Run(folder, "--count 3");
    EXPECT_TRUE(Contains(output, "deflection  42.7 %")) << output;
    EXPECT_TRUE(Contains(output, "Left Shift up")) << output;
    EXPECT_FALSE(Contains(output, "Left Shift down")) << output;
    ExpectEventsNow(0); // the probe injects nothing
}

TEST_F(Probe, ReadsTheModulesSettingsFileBesideItOrTheOneNamed) {
    const std::string folder = PrepareFolder();
    // The module's file, which ships beside the probe.
    WriteTextFile(folder + "\\StickShift.ini", "[Settings]\nThresholdOnPct=80\n");
    WriteTextFile(folder + "\\Other.ini", "[Settings]\nThresholdOnPct=20\nThresholdOffPct=10\n");
    PlaceLeftStick(16384, 0);

    std::string output = Run(folder, "--count 2");
    EXPECT_TRUE(Contains(output, "Settings from " + folder + "\\StickShift.ini")) << output;
    EXPECT_TRUE(Contains(output, "26213 stick units  (ThresholdOnPct from the file)")) << output;
    EXPECT_TRUE(Contains(output, "13106 stick units  (ThresholdOffPct default)")) << output;
    EXPECT_TRUE(Contains(output, "Left Shift up")) << output;

    // A relative name is taken from the current folder, as a user typing it would expect.
    output = Run(folder, "--settings Other.ini --count 2");
    EXPECT_TRUE(Contains(output, "Settings from " + folder + "\\Other.ini")) << output;
    EXPECT_TRUE(Contains(output, " 6553 stick units")) << output;
    EXPECT_TRUE(Contains(output, "Left Shift down")) << output;

    // In a folder whose name the code page cannot hold.
    CreateDirectoryW(Wide(folder + u8"\\Игры").c_str(), nullptr);
    WriteTextFile(folder + u8"\\Игры\\StickShift.ini", "[Settings]\nThresholdOffPct=30\n");
    output = Run(folder, u8"--settings Игры\\StickShift.ini --count 2");
    EXPECT_TRUE(Contains(output, " 9830 stick units  (ThresholdOffPct from the file)")) << output;
}

TEST_F(Probe, WaitsForAnAbsentControllerAndThenLooksForItAboutOnceASecond) {
    const std::string folder = PrepareFolder();
    const LONG readsBefore = Controller().calls[0];
    const std::string output = Run(folder, "--count 52");
    EXPECT_TRUE(Contains(output, "No controller 1: waiting for one...  Left Shift up")) << output;
    EXPECT_TRUE(Contains(output, "No controller 1: looking for one about once a second...  Left "
                                 "Shift up"))
        << output;
    EXPECT_EQ(Controller().calls[0] - readsBefore, 50);
}

TEST_F(Probe, NamesTheKeyControllerAndFocusModeAndEachValueItCannotUse) {
    LoadFresh(); // acting in this program, on an absent controller 1
    const std::string folder = PrepareFolder();
    PlaceLeftStick(32767, 0, true, 1);
    WriteTextFile(folder + "\\StickShift.ini", "[Settings]\nKey=rctrl\nController=2\n"
                                               "Mode=Toggle\nForwardOnly=1\n");
    PlaceLeftStick(0, 32767, true, 1);
    std::string output = Run(folder, "--count 2");
    EXPECT_TRUE(Contains(output, "StickShift acts in StickShiftWineTests.exe (process " +
                                     std::to_string(GetCurrentProcessId()) +
                                     "): on 50 %, off 40 %, Left Shift, Hold"))
        << output << "the settings it uses, not the file's";
    EXPECT_TRUE(Contains(output, "key:        Right Ctrl (RCtrl)  (Key from the file)")) << output;
    EXPECT_TRUE(Contains(output, "controller: 2  (Controller from the file)")) << output;
    EXPECT_TRUE(Contains(output, "only while a window of the game has the foreground  "
                                 "(OnlyWhenFocused default for Toggle)"))
        << output;
    EXPECT_TRUE(Contains(output, "mode:       Toggle: a tap each time the stick goes out and each "
                                 "time it comes back in  (Mode from the file)"))
        << output;
    // Wine has no accessibility shortcuts: Windows' own are checked by the unit tests.
    EXPECT_TRUE(Contains(output, "Sticky Keys shortcut (Shift pressed five times): off: "
                                 "StickShift changes nothing"))
        << output;
    EXPECT_TRUE(Contains(output, "direction:  only a push within 60 degrees of forward (let go "
                                 "beyond 80)  (ForwardOnly from the file)"))
        << output;
    EXPECT_TRUE(Contains(output, "out  Right Ctrl tap  (taps: 1)")) << output;
    EXPECT_FALSE(Contains(output, "is not a")) << output;

    WriteTextFile(folder + "\\StickShift.ini",
                  "[Settings]\nKey=Shfit\nController=7\nMode=Hodl\nForwardOnly=yes\n");
    output = Run(folder, "--count 2");
    EXPECT_TRUE(Contains(output, "Key \"Shfit\" is not a key StickShift knows: it holds LShift"))
        << output;
    EXPECT_TRUE(Contains(output, "Controller \"7\" is not a controller from 1 to 4: it reads "
                                 "controller 1"))
        << output;
    EXPECT_TRUE(Contains(output, "Mode \"Hodl\" is not a mode StickShift knows: it works the key "
                                 "as Hold"))
        << output;
    EXPECT_TRUE(Contains(output, "ForwardOnly \"yes\" is not 0 or 1: it counts a push in any "
                                 "direction"))
        << output;
    EXPECT_TRUE(Contains(output, "key:        Left Shift (LShift)  (Key default)")) << output;
    EXPECT_TRUE(Contains(output, "whichever window has the focus  (OnlyWhenFocused default)"))
        << output;
    EXPECT_TRUE(Contains(output, "No controller 1")) << output;

    // Values that the module reads, but not as a player most likely meant.
    WriteTextFile(folder + "\\StickShift.ini",
                  "[Settings]\nThresholdOnPct=abc\nThresholdOffPct=12x\n"
                  "Controller=\nOnlyWhenFocused=yes\n");
    output = Run(folder, "--count 1");
    EXPECT_TRUE(Contains(output, "ThresholdOnPct \"abc\" is not a number: it reads as 0.0 %"))
        << output;
    EXPECT_TRUE(Contains(output, "ThresholdOffPct \"12x\" is not a number: it reads as 12.0 %"))
        << output;
    EXPECT_TRUE(Contains(output, "ThresholdOffPct lies beyond ThresholdOnPct: the key goes down "
                                 "and up on every poll"))
        << output;
    EXPECT_TRUE(Contains(output, "Controller \"\" is not a controller from 1 to 4: it reads "
                                 "controller 1"))
        << output;
    EXPECT_TRUE(Contains(output, "OnlyWhenFocused \"yes\" is not 0 or 1: it acts whichever window "
                                 "has the focus"))
        << output;
}

TEST_F(Probe, TellsWhichZipAndNoLoaderFileSuitAGameAndNamesTheCopiesBesideIt) {
    const std::string folder = PrepareFolder();
    const auto describe = [&folder](const std::string& path, DWORD expectedExit) {
        std::string output;
        DWORD exitCode = 1;
        EXPECT_TRUE(RunProgram(folder + "\\StickShiftProbe.exe", "--game \"" + path + "\"", folder,
                               output, exitCode));
        EXPECT_EQ(exitCode, expectedExit) << output;
        return output;
    };
    const unsigned bits = sizeof(void*) * 8;
    const std::string other =
        ExeFolder() + (bits == 64 ? "\\..\\..\\windows-x86" : "\\..\\..\\windows");
    std::string output = describe(ExeFolder() + "\\Game_xinput1_3.exe", 0);
    const std::string arch = bits == 64 ? "x64" : "x86";
    EXPECT_TRUE(Contains(output, "a " + std::to_string(bits) + "-bit program: StickShift's " +
                                     arch + " files suit it"))
        << output;
    EXPECT_TRUE(
        Contains(output, "it imports xinput1_3.dll: copy " + arch + "\\no-loader\\xinput1_3.dll"))
        << output;
    EXPECT_TRUE(Contains(output, "xinput1_3.dll: to be added."))
        << output; // and what installing does
    // Any letters, read back from a pipe as UTF-8.
    const std::string named = folder + "\\Spiel \xC3\xBC \xE6\x97\xA5\xE6\x9C\xAC.exe";
    CopyFileW(Wide(ExeFolder() + "\\Game_xinput1_3.exe").c_str(), Wide(named).c_str(), FALSE);
    EXPECT_TRUE(Contains(describe(named, 0), named)) << "the path as UTF-8";
    output = describe(ExeFolder() + "\\Game_delayed.exe", 0);
    EXPECT_TRUE(Contains(output, "it imports xinput1_4.dll (when it first needs it)")) << output;
    output = describe(other + "\\tests\\Game_xinput9_1_0.exe", 0);
    EXPECT_TRUE(Contains(output, "a " + std::to_string(96 - bits) + "-bit program")) << output;
    EXPECT_TRUE(Contains(output, "it imports xinput9_1_0.dll")) << output;
    output = describe(folder + "\\StickShiftProbe.exe", 0);
    EXPECT_TRUE(Contains(output, "it imports no XInput library")) << output;
    EXPECT_TRUE(Contains(output, "it may be a launcher")) << output;
    WriteTextFile(folder + "\\StickShift.ini", "[Settings]\n");
    output = describe(folder + "\\StickShift.ini", 2);
    EXPECT_TRUE(Contains(output, "is not a Windows program")) << output;

    // Beside the probe in a game's folder: a no-loader copy, never loaded, and the game's own.
    PlaceNoLoaderModule(folder + "\\xinput1_3.dll");
    CopyFileA((ExeFolder() + "\\xinput1_4.dll").c_str(), (folder + "\\xinput1_4.dll").c_str(),
              FALSE);
    output = Run(folder, "--count 1");
    EXPECT_TRUE(Contains(output, "Beside the probe: xinput1_3.dll, StickShift's no-loader form"))
        << output;
    EXPECT_TRUE(Contains(output, "Beside the probe: xinput1_4.dll, not StickShift")) << output;
    EXPECT_TRUE(Contains(output, "StickShift is not active in any running program")) << output;
}

TEST_F(Probe, NamesAnInnerRingOrTriggerItCannotUseAndShowsBothKeys) {
    const std::string folder = PrepareFolder();
    WriteTextFile(folder + "\\StickShift.ini",
                  "[Settings]\nInnerKey=LCtrl\nInnerOnPct=45\nPauseWhileTrigger=LT\n");
    std::string output = Run(folder, "--count 1");
    EXPECT_TRUE(Contains(output, "InnerOnPct (45.0 %) lies beyond ThresholdOffPct (40.0 %): "
                                 "there is no inner ring"))
        << output;
    EXPECT_TRUE(Contains(output, "PauseWhileTrigger \"LT\" is not Left, Right or Both")) << output;
    WriteTextFile(folder + "\\StickShift.ini", "[Settings]\nInnerKey=LCtrl\n");
    PlaceLeftStick(9000, 0);
    output = Run(folder, "--count 3");
    EXPECT_TRUE(Contains(output, "Left Shift up  Left Ctrl down")) << output;
}
