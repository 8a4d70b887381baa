// StickShift.exe --snapshot: the tuning picture drawn into a bitmap file, without a display.

#include "ModuleTest.h"

#include "tuning/TuningPicture.h"

TEST(Snapshot, DrawsTheStickAndEachCircleAtItsRadius) {
    const std::string folder = FreshCaseFolder("Snapshot.DrawsTheStickAndEachCircleAtItsRadius");
    WriteTextFile(folder + "\\StickShift.ini",
                  "[Settings]\nThresholdOnPct=50\nThresholdOffPct=40\n");
    std::string output;
    DWORD exitCode = 1;
    ASSERT_TRUE(RunProgram(ExeFolder() + "\\..\\StickShift.exe",
                           "--snapshot picture.bmp --settings StickShift.ini --stick 0,-20000",
                           folder, output, exitCode));
    ASSERT_EQ(exitCode, 0u) << output;
    const std::string bitmap = ReadFileBytes(folder + "\\picture.bmp");
    ASSERT_GT(bitmap.size(), 54u);
    const auto number = [&bitmap](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bitmap[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bitmap[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bitmap[at + 2])) << 16;
    };
    const int size = static_cast<int>(number(18));
    ASSERT_EQ(static_cast<int>(number(22)), size);
    const std::size_t pixels = number(10), stride = (size * 3 + 3) & ~3;
    // A pixel as 0xRRGGBB, Y down from the top: the file holds rows bottom-up, each pixel as
    // blue, green, red.
    const auto colour = [&](int x, int y) {
        return number(pixels + (size - 1 - y) * stride + x * 3);
    };
    const TuningPicture picture = LayOutTuningPicture(size, 16383, 13106, 0, -20000);
    EXPECT_EQ(colour(picture.dotX, picture.dotY), 0x00A000u) << "the dot, the key held";
    EXPECT_EQ(colour(picture.centre + picture.onRadius, picture.centre), 0xDC3C00u) << "on";
    EXPECT_EQ(colour(picture.centre + picture.offRadius, picture.centre), 0x005AC8u) << "off";
    EXPECT_EQ(colour(picture.centre, picture.centre), 0xFFFFFFu);
}
