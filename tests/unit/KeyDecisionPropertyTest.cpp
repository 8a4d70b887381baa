// The decision over long random stick paths, random threshold pairs, every mode and both
// directions, against a reference model that measures the stick with long doubles (exact for
// these magnitudes) and angles instead of 64-bit squares, and times taps by turn numbers instead
// of counters. STICKSHIFT_PROPERTY_PATHS sets how many paths (make bench runs many more).

#include "settings/SettingsRules.h"
#include "watcher/KeyDecision.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

namespace {

int PathCount() {
    const char* count = std::getenv("STICKSHIFT_PROPERTY_PATHS");
    return count != nullptr ? std::atoi(count) : 300;
}

// The release edge of the forward cone: about 80 degrees, where tan^2 is 32.
const long double TurnedAway =
    std::atan(std::sqrt(32.0L)) * 180.0L / 3.14159265358979323846264338327950288L;

struct ReferenceModel {
    long double onRadius, offRadius;
    KeyMode mode;
    bool forwardOnly;
    bool held = false;
    bool out = false, answeredOut = false;
    long turn = 0, pressedAt = -100, releasedAt = -100;

    // Returns +1 for a press, -1 for a release, 0 for nothing.
    int Poll(std::int16_t x, std::int16_t y) {
        ++turn;
        const long double distanceSquared =
            static_cast<long double>(x) * x + static_cast<long double>(y) * y;
        const long double degreesFromForward =
            std::atan2(std::fabs(static_cast<long double>(x)), static_cast<long double>(y)) *
            180.0L / 3.14159265358979323846264338327950288L;
        const bool beyondOn = distanceSquared > onRadius * onRadius &&
                              (!forwardOnly || (y > 0 && degreesFromForward < 60.0L));
        const bool insideOff = distanceSquared < offRadius * offRadius ||
                               (forwardOnly && (y <= 0 || degreesFromForward > TurnedAway));
        if (mode == HoldMode) {
            const int event = !held && beyondOn ? +1 : held && insideOff ? -1 : 0;
            held = held ? event == 0 : event == +1;
            return event;
        }
        out = out ? !insideOff : beyondOn;
        if (held) {
            if (turn - pressedAt < TapTurns)
                return 0;
            held = false;
            releasedAt = turn;
            return -1;
        }
        if (turn - releasedAt <= TapGapTurns || out == answeredOut)
            return 0;
        answeredOut = out;
        if (mode == TapMode && !out)
            return 0;
        held = true;
        pressedAt = turn;
        return +1;
    }
};

std::int32_t RandomThreshold(std::mt19937_64& random) {
    static const std::int32_t notable[] = {0,         1,      -1,    13106,      16383, -16383,
                                           32767,     -32768, 46340, 46341,      46529, INT32_MAX,
                                           INT32_MIN, 21844,  14000, -2147483647};
    switch (random() % 3) {
    case 0:
        return notable[random() % (sizeof notable / sizeof notable[0])];
    case 1:
        return static_cast<std::int32_t>(random() % 100000) - 50000;
    default:
        return static_cast<std::int32_t>(random());
    }
}

std::int16_t Clamp(long value) {
    return static_cast<std::int16_t>(value < -32768 ? -32768 : value > 32767 ? 32767 : value);
}

} // namespace

TEST(KeyDecisionProperty, MatchesTheReferenceModelOnRandomPaths) {
    std::mt19937_64 random(20261208);
    const int paths = PathCount();
    for (int path = 0; path < paths; ++path) {
        const std::int32_t on = RandomThreshold(random);
        const std::int32_t off = RandomThreshold(random);
        const auto mode = static_cast<KeyMode>(random() % 3);
        const bool forwardOnly = random() % 2 == 0;
        ReferenceModel model{static_cast<long double>(on), static_cast<long double>(off), mode,
                             forwardOnly};
        const DecisionSettings settings = {
            SquareThreshold(on), SquareThreshold(off), mode, forwardOnly, false, 0, 0, PauseNever};
        WatchState state;
        bool held = false;
        std::int16_t x = 0, y = 0;

        for (int poll = 0; poll < 2000; ++poll) {
            // Mostly small moves, sometimes a jump anywhere, to an extreme, or onto a circle.
            switch (random() % 16) {
            case 0:
                x = static_cast<std::int16_t>(random());
                y = static_cast<std::int16_t>(random());
                break;
            case 1:
                x = random() % 2 ? -32768 : 32767;
                y = random() % 2 ? -32768 : 32767;
                break;
            case 2:
                x = Clamp(random() % 2 ? on : off);
                y = 0;
                break;
            default:
                x = Clamp(x + static_cast<long>(random() % 4001) - 2000);
                y = Clamp(y + static_cast<long>(random() % 4001) - 2000);
            }

            const HeldKeyEvent event = DecideOnReading(state, held, x, y, settings, true);
            const int expected = model.Poll(x, y);
            ASSERT_EQ(event == KeyPress     ? +1
                      : event == KeyRelease ? -1
                                            : 0,
                      expected)
                << "on " << on << " off " << off << " mode " << KeyModeName(mode)
                << " forward only " << forwardOnly << " poll " << poll << " at (" << x << ", " << y
                << ") held " << held;
            if (event != NoKeyEvent) {
                held = event == KeyPress;
                KeyEventWentThrough(state, event);
            }
        }
    }
}
