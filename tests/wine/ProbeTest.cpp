// StickShiftProbe.exe, run as a user would, beside a copy of the test controller.

#include "ModuleTest.h"

namespace {

class Probe : public ModuleTest {
  protected:
    // A folder holding the probe and the test controller, as a user's folder holds the probe.
    std::string PrepareFolder() {
        const std::string folder = FreshCaseFolder(CaseFolder());
        CopyFileA((ExeFolder() + "\\..\\StickShiftProbe.exe").c_str(),
                  (folder + "\\StickShiftProbe.exe").c_str(), FALSE);
        CopyFileA((ExeFolder() + "\\xinput1_4.dll").c_str(), (folder + "\\xinput1_4.dll").c_str(),
                  FALSE);
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
    const std::string output = Run(folder, "--count 52");
    EXPECT_TRUE(Contains(output, "No controller 1: waiting for one...  Left Shift up")) << output;
    EXPECT_TRUE(Contains(output, "No controller 1: looking for one about once a second...  Left "
                                 "Shift up"))
        << output;
    EXPECT_EQ(Controller().calls[0], 50);
}

TEST_F(Probe, NamesTheKeyControllerAndFocusModeAndEachValueItCannotUse) {
    const std::string folder = PrepareFolder();
    PlaceLeftStick(32767, 0, true, 1);
    WriteTextFile(folder + "\\StickShift.ini", "[Settings]\nKey=rctrl\nController=2\n"
                                               "Mode=Toggle\nForwardOnly=1\n");
    PlaceLeftStick(0, 32767, true, 1);
    std::string output = Run(folder, "--count 2");
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
