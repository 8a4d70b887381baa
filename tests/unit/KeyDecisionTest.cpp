#include "watcher/KeyDecision.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using Sample = std::pair<std::int16_t, std::int16_t>;

// Runs the decision over successive polls the way the watcher does, from the released state.
std::vector<HeldKeyEvent> EventsFor(const std::vector<Sample>& samples, std::int32_t thresholdOn,
                                    std::int32_t thresholdOff) {
    const std::int64_t onSquared = SquareThreshold(thresholdOn);
    const std::int64_t offSquared = SquareThreshold(thresholdOff);
    bool held = false;
    std::vector<HeldKeyEvent> events;
    for (const Sample& sample : samples) {
        const HeldKeyEvent event =
            DecideKey(held, SquaredDeflection(sample.first, sample.second), onSquared, offSquared);
        if (event != NoKeyEvent) {
            events.push_back(event);
            held = event == KeyPress;
        }
    }
    return events;
}

const std::int64_t On = SquareThreshold(100);
const std::int64_t Off = SquareThreshold(50);

} // namespace

TEST(KeyDecision, ComparesStrictlyAtBothCircles) {
    EXPECT_EQ(DecideKey(false, On, On, Off), NoKeyEvent);
    EXPECT_EQ(DecideKey(false, On + 1, On, Off), KeyPress);
    EXPECT_EQ(DecideKey(true, Off, On, Off), NoKeyEvent);
    EXPECT_EQ(DecideKey(true, Off - 1, On, Off), KeyRelease);
}

TEST(KeyDecision, BandBetweenCirclesKeepsEitherState) {
    for (std::int64_t d : {Off, Off + 1, (On + Off) / 2, On - 1, On}) {
        EXPECT_EQ(DecideKey(false, d, On, Off), NoKeyEvent) << d;
        EXPECT_EQ(DecideKey(true, d, On, Off), NoKeyEvent) << d;
    }
    // Far out while held and near the centre while released change nothing either.
    EXPECT_EQ(DecideKey(true, On * 4, On, Off), NoKeyEvent);
    EXPECT_EQ(DecideKey(false, 0, On, Off), NoKeyEvent);
}

TEST(KeyDecision, DeflectionIsRadialAndCannotOverflow) {
    EXPECT_EQ(SquaredDeflection(3, -4), 25);
    EXPECT_EQ(SquaredDeflection(-32768, -32768), 2147483648LL);
    EXPECT_EQ(SquaredDeflection(32767, -32768), 2147418113LL);
    // A diagonal push below the "on" radius on each axis still presses.
    EXPECT_EQ(EventsFor({{12000, 12000}}, 16383, 13106), std::vector<HeldKeyEvent>{KeyPress});
}

TEST(KeyDecision, NegativeAndHugeThresholdsActByMagnitude) {
    EXPECT_EQ(SquareThreshold(-16383), SquareThreshold(16383));
    EXPECT_EQ(SquareThreshold(INT32_MIN), 4611686018427387904LL);
    EXPECT_EQ(EventsFor({{20000, 0}, {1000, 0}}, -16383, -13106),
              (std::vector<HeldKeyEvent>{KeyPress, KeyRelease}));
    // 46341 and beyond lie outside every reachable deflection, even a full diagonal.
    EXPECT_TRUE(EventsFor({{-32768, -32768}, {32767, 32767}}, 46341, 0).empty());
    EXPECT_TRUE(EventsFor({{-32768, -32768}}, INT32_MIN, 0).empty());
    EXPECT_EQ(EventsFor({{-32768, -32768}}, 46340, 0), std::vector<HeldKeyEvent>{KeyPress});
}

TEST(KeyDecision, ZeroThresholds) {
    // "On" at zero: anything off centre presses, the exact centre does not.
    EXPECT_TRUE(EventsFor({{0, 0}}, 0, 0).empty());
    EXPECT_EQ(EventsFor({{0, 1}}, 0, 0), std::vector<HeldKeyEvent>{KeyPress});
    // "Off" at zero: once pressed, no stick position releases the key.
    EXPECT_EQ(EventsFor({{30000, 0}, {0, 0}, {0, 0}}, 16383, 0),
              std::vector<HeldKeyEvent>{KeyPress});
}

TEST(KeyDecision, BuiltInThresholdsWithWorkedSamples) {
    EXPECT_EQ(EventsFor({{16000, 16000}, {9000, 9000}}, 21844, 14000),
              (std::vector<HeldKeyEvent>{KeyPress, KeyRelease}));
    // (12000, 12000) lies in the band: no release.
    EXPECT_EQ(EventsFor({{16000, 16000}, {12000, 12000}}, 21844, 14000),
              std::vector<HeldKeyEvent>{KeyPress});
}

TEST(KeyDecision, RepeatedSampleGivesAtMostOneEventUnlessOffExceedsOn) {
    const std::vector<Sample> sameSample(50, Sample{20000, 0});
    EXPECT_EQ(EventsFor(sameSample, 16383, 13106).size(), 1u);
    EXPECT_EQ(EventsFor(sameSample, 16383, 16383).size(), 1u);
    EXPECT_EQ(EventsFor(sameSample, 16383, -16383).size(), 1u);
    // "Off" above "on" is used as it comes: between the two squares the key toggles every poll.
    EXPECT_EQ(EventsFor(sameSample, 16383, 25000).size(), 50u);
    // Beyond the "off" circle as well, the key is pressed once and stays held.
    EXPECT_EQ(EventsFor(std::vector<Sample>(50, Sample{30000, 0}), 16383, 25000).size(), 1u);
}

TEST(KeyDecision, StickThatDoesNotCountPressesNothingAndLetsAHeldKeyGo) {
    // The game in the background: far out presses nothing, and a held key goes up at once, even
    // with "off" at zero, where no stick position would release it.
    EXPECT_EQ(DecideKey(false, On * 4, On, Off, false), NoKeyEvent);
    EXPECT_EQ(DecideKey(true, On * 4, On, Off, false), KeyRelease);
    EXPECT_EQ(DecideKey(true, On * 4, On, 0, false), KeyRelease);
    EXPECT_EQ(DecideKey(false, On * 4, On, Off, true), KeyPress);
}

namespace {

// Where the stick is on a turn, with the default circles (16383 and 13106 units), or the
// controller not answering at all.
struct Stick {
    std::int16_t x, y;
    bool answers = true;
};
const Stick Forward{0, 30000}, Centre{0, 0}, Band{0, 15000}, Gone{0, 0, false};
const Stick Sideways{30000, 0}, Back{0, -30000};
const Stick At50Degrees{22981, 19284}, At70Degrees{28191, 10261}; // from straight forward

// A run of turns alike.
struct Turns {
    unsigned count;
    Stick stick;
    bool stickCounts = true;
    bool refused = false;    // the system inserts none of the run's events
    unsigned msPerTurn = 10; // a turn on Windows lasts 10 to 16 ms
    // Settings saved while the game runs: the circles from this run on; 0 keeps them.
    std::int32_t newOn = 0, newOff = 0;
    // A window of an elevated program in front: it drops the events sent, saying nothing.
    bool elevatedInFront = false;
    std::uint8_t leftTrigger = 0;
};

using Events = std::vector<std::pair<unsigned, HeldKeyEvent>>; // turn (from 1), event

struct Outcome {
    Events events;
    unsigned reads = 0;
    Events innerEvents;
};

// The inner ring at its default circles, 20 % and 15 % (6553 and 4915 units), or none; the
// trigger that pauses the key.
struct Extras {
    bool innerRing = false;
    PauseTrigger pause = PauseNever;
};

DecisionSettings Circles(std::int32_t on, std::int32_t off, KeyMode mode, bool forwardOnly,
                         Extras extras) {
    return {SquareThreshold(on),   SquareThreshold(off), mode,
            forwardOnly,           extras.innerRing,     SquareThreshold(6553),
            SquareThreshold(4915), extras.pause};
}

// Turns as the watcher takes them, from a state with the key held or not.
Outcome RunTurns(bool held, const std::vector<Turns>& runs, KeyMode mode = HoldMode,
                 bool forwardOnly = false, Extras extras = {}) {
    DecisionSettings settings = Circles(16383, 13106, mode, forwardOnly, extras);
    bool innerHeld = false;
    WatchState state;
    Outcome run;
    unsigned turn = 0;
    std::uint64_t nowMs = 12345;
    bool systemHasItDown = held; // as the system's key state has it
    for (const Turns& turns : runs) {
        if (turns.newOn != 0)
            settings = Circles(turns.newOn, turns.newOff, mode, forwardOnly, extras);
        for (unsigned i = 0; i < turns.count; ++i) {
            ++turn;
            nowMs += turns.msPerTurn;
            const bool reads = ReadsControllerThisTurn(state, nowMs);
            run.reads += reads ? 1 : 0;
            const bool read = reads && turns.stick.answers;
            const HeldKeyEvent event =
                read ? DecideOnReading(state, held, turns.stick.x, turns.stick.y, settings,
                                       turns.stickCounts, turns.leftTrigger)
                     : DecideWithoutReading(state, held, settings, turns.stickCounts);
            const HeldKeyEvent innerEvent =
                read ? DecideInnerOnReading(state, innerHeld, turns.stick.x, turns.stick.y,
                                            settings, turns.stickCounts)
                     : DecideInnerWithoutReading(state, innerHeld, turns.stickCounts);
            if (innerEvent != NoKeyEvent) {
                run.innerEvents.push_back({turn, innerEvent});
                innerHeld = innerEvent == KeyPress;
            }
            if (event == NoKeyEvent && !held &&
                OwedReleaseThisTurn(state, turns.elevatedInFront, systemHasItDown) == KeyRelease) {
                run.events.push_back({turn, KeyRelease});
                systemHasItDown = false;
            }
            if (event == NoKeyEvent)
                continue;
            run.events.push_back({turn, event});
            if (!turns.refused) {
                held = event == KeyPress;
                if (!turns.elevatedInFront)
                    systemHasItDown = held;
                KeyEventWentThrough(state, event, turns.elevatedInFront);
            }
        }
    }
    return run;
}

} // namespace

TEST(KeyDecision, ControllerThatStopsAnswering) {
    const struct {
        const char* what;
        bool held;
        std::vector<Turns> turns;
        Events events;
        unsigned reads;
    } cases[] = {
        {"49 failed reads change nothing, the 50th lets a held key go",
         true,
         {{50, Gone}},
         Events{{50, KeyRelease}},
         50},
        {"a refused release is tried again on the next turn",
         true,
         {{50, Gone, true, true}, {1, Gone}},
         Events{{50, KeyRelease}, {51, KeyRelease}},
         50},
        {"a good read counts the controller back: two shorter dropouts let nothing go",
         true,
         {{30, Gone}, {1, Forward}, {30, Gone}},
         Events{},
         61},
        {"once gone, it is read once a second only",
         false,
         {{50, Gone}, {250, Gone}},
         Events{},
         52},
        {"by the clock, not by a count of turns: 16 ms turns read it on every 63rd",
         false,
         {{50, Gone, true, false, 16}, {250, Gone, true, false, 16}},
         Events{},
         53},
        {"back at such a read, it is read on every turn again",
         false,
         {{60, Gone}, {100, Forward}},
         Events{{150, KeyPress}},
         61},
        {"the stick stops counting during a dropout: a held key goes up at once",
         true,
         {{3, Gone, false}},
         Events{{1, KeyRelease}},
         3},
        {"a release an elevated window dropped is sent again once another is in front",
         true,
         {{50, Gone, true, false, 10, 0, 0, true},
          {5, Gone, true, false, 10, 0, 0, true},
          {2, Gone}},
         Events{{50, KeyRelease}, {56, KeyRelease}},
         50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome run = RunTurns(c.held, c.turns);
        EXPECT_EQ(run.events, c.events);
        EXPECT_EQ(run.reads, c.reads);
    }
}

TEST(KeyDecision, ModesAndTheForwardCone) {
    const struct {
        const char* what;
        KeyMode mode;
        bool forwardOnly;
        std::vector<Turns> turns;
        Events events;
    } cases[] = {
        {"Hold: down while out",
         HoldMode,
         false,
         {{3, Forward}, {3, Band}, {3, Centre}},
         Events{{1, KeyPress}, {7, KeyRelease}}},
        {"Tap: a tap going out, none held out, in the band or coming in, one going out again",
         TapMode,
         false,
         {{20, Forward}, {5, Band}, {10, Centre}, {10, Forward}},
         Events{{1, KeyPress}, {6, KeyRelease}, {36, KeyPress}, {41, KeyRelease}}},
        {"Toggle: a tap going out and one coming back in",
         ToggleMode,
         false,
         {{20, Forward}, {20, Centre}},
         Events{{1, KeyPress}, {6, KeyRelease}, {21, KeyPress}, {26, KeyRelease}}},
        {"a change of side during a tap waits out the tap and the gap after it",
         ToggleMode,
         false,
         {{2, Forward}, {20, Centre}},
         Events{{1, KeyPress}, {6, KeyRelease}, {12, KeyPress}, {17, KeyRelease}}},
        {"a side that changed and changed back meanwhile sends nothing",
         ToggleMode,
         false,
         {{2, Forward}, {2, Centre}, {10, Forward}},
         Events{{1, KeyPress}, {6, KeyRelease}}},
        {"a refused tap is tried again, and its turns count from the press that went through",
         TapMode,
         false,
         {{1, Forward, true, true}, {10, Forward}},
         Events{{1, KeyPress}, {2, KeyPress}, {7, KeyRelease}}},
        {"failed reads count for the tap; the controller gone taps Toggle back in",
         ToggleMode,
         false,
         {{1, Forward}, {60, Gone}},
         Events{{1, KeyPress}, {6, KeyRelease}, {52, KeyPress}, {57, KeyRelease}}},
        {"the focus leaving cuts a tap short; back, the stick is compared with the side as it "
         "was",
         ToggleMode,
         false,
         {{1, Forward}, {3, Forward, false}, {3, Centre, false}, {10, Centre}},
         Events{{1, KeyPress}, {2, KeyRelease}, {8, KeyPress}, {13, KeyRelease}}},
        {"a good read between two dropouts of 30 failed reads: the controller never went",
         ToggleMode,
         false,
         {{1, Forward}, {30, Gone}, {1, Forward}, {30, Gone}},
         Events{{1, KeyPress}, {6, KeyRelease}}},
        {"pushed out in the background, then back with the stick in the band: no tap",
         ToggleMode,
         false,
         {{3, Forward, false}, {10, Band}},
         Events{}},
        {"forward only: out within 60 degrees, in beyond 80, and the band between",
         HoldMode,
         true,
         {{3, Sideways},
          {3, At70Degrees},
          {3, Back},
          {3, At50Degrees},
          {3, At70Degrees},
          {3, Sideways}},
         Events{{10, KeyPress}, {16, KeyRelease}}},
        {"new circles while held: down in the new band, up inside the new \"off\" circle",
         HoldMode,
         false,
         {{3, Forward}, {3, Forward, true, false, 10, 31000, 25000}, {3, Band}},
         Events{{1, KeyPress}, {7, KeyRelease}}},
        {"new circles while up: down once beyond the new \"on\" circle",
         HoldMode,
         false,
         {{3, Band}, {3, Band, true, false, 10, 14000, 10000}},
         Events{{4, KeyPress}}},
        {"new circles keep Toggle's side: no extra tap",
         ToggleMode,
         false,
         {{20, Forward}, {10, Forward, true, false, 10, 20000, 10000}},
         Events{{1, KeyPress}, {6, KeyRelease}}},
        {"forward only with Tap",
         TapMode,
         true,
         {{3, Sideways}, {10, Forward}},
         Events{{4, KeyPress}, {9, KeyRelease}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(RunTurns(false, c.turns, c.mode, c.forwardOnly).events, c.events);
    }
}

TEST(KeyDecision, TwoRingsAndATriggerThatPauses) {
    // The inner ring at 6553 and 4915 units, the outer at 16383 and 13106.
    const Stick InnerOnExactly{0, 6553}, BeyondInnerOn{0, 6554}, OnExactly{0, 16383},
        BeyondOn{0, 16384}, OffExactly{0, 13106}, InsideOff{0, 13105}, InnerOffExactly{0, 4915},
        InsideInnerOff{0, 4914}, Walk{0, 9000};
    Turns aiming{2, Forward};
    aiming.leftTrigger = 31;
    Turns triggerAtThreshold{1, Forward};
    triggerAtThreshold.leftTrigger = 30;
    Turns aimingOut{3, Forward}, aimingWalk{3, Walk};
    aimingOut.leftTrigger = aimingWalk.leftTrigger = 255;
    const Extras inner{true, PauseNever}, innerAndTrigger{true, PauseLeft};
    const struct {
        const char* what;
        KeyMode mode;
        Extras extras;
        std::vector<Turns> turns;
        Events events, innerEvents;
    } cases[] = {
        {"rest, inner, outer, back to inner, rest: nothing at a threshold itself",
         HoldMode,
         inner,
         {{1, Centre},
          {1, InnerOnExactly},
          {1, BeyondInnerOn},
          {1, OnExactly},
          {1, BeyondOn},
          {1, OffExactly},
          {1, InsideOff},
          {1, InnerOffExactly},
          {1, InsideInnerOff}},
         Events{{5, KeyPress}, {7, KeyRelease}},
         Events{{3, KeyPress}, {5, KeyRelease}, {7, KeyPress}, {9, KeyRelease}}},
        {"from rest straight past the outer ring: the inner key never goes down",
         HoldMode,
         inner,
         {{1, Centre}, {3, Forward}, {3, Centre}},
         Events{{2, KeyPress}, {5, KeyRelease}},
         Events{}},
        {"the outer key let go with the push inside the inner \"off\" circle: the inner stays up",
         HoldMode,
         inner,
         {{2, Forward}, {2, {0, 3000}}},
         Events{{1, KeyPress}, {3, KeyRelease}},
         Events{}},
        {"Toggle: a push beyond the outer ring holds neither key",
         ToggleMode,
         inner,
         {{20, Forward}},
         Events{{1, KeyPress}, {6, KeyRelease}},
         Events{}},
        {"a trigger pulled while held lets go; let go with the push still out, down again; the "
         "inner key follows the stick meanwhile",
         HoldMode,
         innerAndTrigger,
         {{2, Forward}, aiming, triggerAtThreshold, aimingWalk, aimingOut, {2, Forward}},
         Events{{1, KeyPress}, {3, KeyRelease}, {5, KeyPress}, {6, KeyRelease}, {12, KeyPress}},
         Events{{6, KeyPress}, {9, KeyRelease}}},
        {"Toggle: pushes while the trigger is pulled do nothing, nor does letting it go",
         ToggleMode,
         {false, PauseBoth},
         {aimingOut, {10, Forward}, {10, Centre}, {10, Forward}},
         Events{{24, KeyPress}, {29, KeyRelease}},
         Events{}},
        {"Tap: the trigger cuts a tap short; the next push after it taps",
         TapMode,
         {false, PauseLeft},
         {{2, Forward}, aimingOut, {10, Centre}, {10, Forward}},
         Events{{1, KeyPress}, {3, KeyRelease}, {16, KeyPress}, {21, KeyRelease}},
         Events{}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome run = RunTurns(false, c.turns, c.mode, false, c.extras);
        EXPECT_EQ(run.events, c.events);
        EXPECT_EQ(run.innerEvents, c.innerEvents);
    }
}
