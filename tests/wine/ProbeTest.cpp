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
    EXPECT_TRUE(Contains(output, "No settings file at " + folder + "\\StickShiftProbe.ini"))
        << output;
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

TEST_F(Probe, ReadsItsOwnSettingsFileOrTheOneNamed) {
    const std::string folder = PrepareFolder();
    WriteTextFile(folder + "\\StickShiftProbe.ini", "[Settings]\nThresholdOnPct=80\n");
    WriteTextFile(folder + "\\StickShift.ini",
                  "[Settings]\nThresholdOnPct=20\nThresholdOffPct=10\n");
    PlaceLeftStick(16384, 0);

    std::string output = Run(folder, "--count 2");
    EXPECT_TRUE(Contains(output, "Settings from " + folder + "\\StickShiftProbe.ini")) << output;
    EXPECT_TRUE(Contains(output, "26213 stick units  (ThresholdOnPct from the file)")) << output;
    EXPECT_TRUE(Contains(output, "13106 stick units  (ThresholdOffPct default)")) << output;
    EXPECT_TRUE(Contains(output, "Left Shift up")) << output;

    // A relative name is taken from the current folder, as a user typing it would expect.
    output = Run(folder, "--settings StickShift.ini --count 2");
    EXPECT_TRUE(Contains(output, "Settings from " + folder + "\\StickShift.ini")) << output;
    EXPECT_TRUE(Contains(output, " 6553 stick units")) << output;
    EXPECT_TRUE(Contains(output, "Left Shift down")) << output;

    // In a folder whose name the code page cannot hold.
    CreateDirectoryW(Wide(folder + u8"\\Игры").c_str(), nullptr);
    WriteTextFile(folder + u8"\\Игры\\StickShift.ini", "[Settings]\nThresholdOffPct=30\n");
    output = Run(folder, u8"--settings Игры\\StickShift.ini --count 2");
    EXPECT_TRUE(Contains(output, " 9830 stick units  (ThresholdOffPct from the file)")) << output;
}

TEST_F(Probe, WaitsForAnAbsentController) {
    const std::string folder = PrepareFolder();
    const std::string output = Run(folder, "--count 3");
    EXPECT_TRUE(Contains(output, "No controller at index 0")) << output;
    EXPECT_FALSE(Contains(output, "Left Shift")) << output;
}
