#include "watcher/ShiftDecision.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Sample = std::pair<std::int16_t, std::int16_t>;

// Runs the decision over successive polls the way the watcher does, from the released state.
std::vector<ShiftEvent> EventsFor(const std::vector<Sample>& samples, std::int32_t thresholdOn,
                                  std::int32_t thresholdOff) {
    const std::int64_t onSquared = SquareThreshold(thresholdOn);
    const std::int64_t offSquared = SquareThreshold(thresholdOff);
    bool held = false;
    std::vector<ShiftEvent> events;
    for (const Sample& sample : samples) {
        const ShiftEvent event = DecideShift(held, SquaredDeflection(sample.first, sample.second),
                                             onSquared, offSquared);
        if (event != NoShiftEvent) {
            events.push_back(event);
            held = event == ShiftPress;
        }
    }
    return events;
}

const std::int64_t On = SquareThreshold(100);
const std::int64_t Off = SquareThreshold(50);

} // namespace

TEST(ShiftDecision, ComparesStrictlyAtBothCircles) {
    EXPECT_EQ(DecideShift(false, On, On, Off), NoShiftEvent);
    EXPECT_EQ(DecideShift(false, On + 1, On, Off), ShiftPress);
    EXPECT_EQ(DecideShift(true, Off, On, Off), NoShiftEvent);
    EXPECT_EQ(DecideShift(true, Off - 1, On, Off), ShiftRelease);
}

TEST(ShiftDecision, BandBetweenCirclesKeepsEitherState) {
    for (std::int64_t d : {Off, Off + 1, (On + Off) / 2, On - 1, On}) {
        EXPECT_EQ(DecideShift(false, d, On, Off), NoShiftEvent) << d;
        EXPECT_EQ(DecideShift(true, d, On, Off), NoShiftEvent) << d;
    }
    // Far out while held and near the centre while released change nothing either.
    EXPECT_EQ(DecideShift(true, On * 4, On, Off), NoShiftEvent);
    EXPECT_EQ(DecideShift(false, 0, On, Off), NoShiftEvent);
}

TEST(ShiftDecision, DeflectionIsRadialAndCannotOverflow) {
    EXPECT_EQ(SquaredDeflection(3, -4), 25);
    EXPECT_EQ(SquaredDeflection(-32768, -32768), 2147483648LL);
    EXPECT_EQ(SquaredDeflection(32767, -32768), 2147418113LL);
    // A diagonal push below the "on" radius on each axis still presses.
    EXPECT_EQ(EventsFor({{12000, 12000}}, 16383, 13106), std::vector<ShiftEvent>{ShiftPress});
}

TEST(ShiftDecision, NegativeAndHugeThresholdsActByMagnitude) {
    EXPECT_EQ(SquareThreshold(-16383), SquareThreshold(16383));
    EXPECT_EQ(SquareThreshold(INT32_MIN), 4611686018427387904LL);
    EXPECT_EQ(EventsFor({{20000, 0}, {1000, 0}}, -16383, -13106),
              (std::vector<ShiftEvent>{ShiftPress, ShiftRelease}));
    // 46341 and beyond lie outside every reachable deflection, even a full diagonal.
    EXPECT_TRUE(EventsFor({{-32768, -32768}, {32767, 32767}}, 46341, 0).empty());
    EXPECT_TRUE(EventsFor({{-32768, -32768}}, INT32_MIN, 0).empty());
    EXPECT_EQ(EventsFor({{-32768, -32768}}, 46340, 0), std::vector<ShiftEvent>{ShiftPress});
}

TEST(ShiftDecision, ZeroThresholds) {
    // "On" at zero: anything off centre presses, the exact centre does not.
    EXPECT_TRUE(EventsFor({{0, 0}}, 0, 0).empty());
    EXPECT_EQ(EventsFor({{0, 1}}, 0, 0), std::vector<ShiftEvent>{ShiftPress});
    // "Off" at zero: once pressed, no stick position releases the key.
    EXPECT_EQ(EventsFor({{30000, 0}, {0, 0}, {0, 0}}, 16383, 0),
              std::vector<ShiftEvent>{ShiftPress});
}

TEST(ShiftDecision, BuiltInThresholdsWithWorkedSamples) {
    EXPECT_EQ(EventsFor({{16000, 16000}, {9000, 9000}}, 21844, 14000),
              (std::vector<ShiftEvent>{ShiftPress, ShiftRelease}));
    // (12000, 12000) lies in the band: no release.
    EXPECT_EQ(EventsFor({{16000, 16000}, {12000, 12000}}, 21844, 14000),
              std::vector<ShiftEvent>{ShiftPress});
}

TEST(ShiftDecision, RepeatedSampleGivesAtMostOneEventUnlessOffExceedsOn) {
    const std::vector<Sample> sameSample(50, Sample{20000, 0});
    EXPECT_EQ(EventsFor(sameSample, 16383, 13106).size(), 1u);
    EXPECT_EQ(EventsFor(sameSample, 16383, 16383).size(), 1u);
    EXPECT_EQ(EventsFor(sameSample, 16383, -16383).size(), 1u);
    // "Off" above "on" is used as it comes: between the two squares the key toggles every poll.
    EXPECT_EQ(EventsFor(sameSample, 16383, 25000).size(), 50u);
    // Beyond the "off" circle as well, the key is pressed once and stays held.
    EXPECT_EQ(EventsFor(std::vector<Sample>(50, Sample{30000, 0}), 16383, 25000).size(), 1u);
}

TEST(ShiftDecision, StickThatDoesNotCountPressesNothingAndLetsAHeldKeyGo) {
    // The game in the background: far out presses nothing, and a held key goes up at once, even
    // with "off" at zero, where no stick position would release it.
    EXPECT_EQ(DecideShift(false, On * 4, On, Off, false), NoShiftEvent);
    EXPECT_EQ(DecideShift(true, On * 4, On, Off, false), ShiftRelease);
    EXPECT_EQ(DecideShift(true, On * 4, On, 0, false), ShiftRelease);
    EXPECT_EQ(DecideShift(false, On * 4, On, Off, true), ShiftPress);
}

TEST(ShiftDecision, HeldKeyGoesUpOnlyAfterFiftyFailedReadsInARow) {
    unsigned failedReads = 0;
    for (unsigned read = 1; read < ControllerGoneAfterFailedReads; ++read)
        EXPECT_EQ(DecideOnFailedRead(true, failedReads), NoShiftEvent) << read;
    EXPECT_EQ(DecideOnFailedRead(true, failedReads), ShiftRelease);
    // A refused release is tried again on the next failed read; once up, nothing more.
    EXPECT_EQ(DecideOnFailedRead(true, failedReads), ShiftRelease);
    EXPECT_EQ(DecideOnFailedRead(false, failedReads), NoShiftEvent);
    EXPECT_EQ(failedReads, ControllerGoneAfterFailedReads);
    // A successful read sets the count back to 0: a shorter dropout changes nothing.
    failedReads = 0;
    EXPECT_EQ(DecideOnFailedRead(true, failedReads), NoShiftEvent);
}
