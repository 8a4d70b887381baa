#pragma once

#include <cstdint>

// The decision of one poll, free of any platform call so that it is shared by the module,
// its companion tools and the tests.

// A fixed pause after every poll.
constexpr unsigned long PollPauseMs = 10;

// Failed reads in a row, about half a second of them, after which a held key is let go: the
// controller has gone away (a flat battery, a dropped link). Wireless pads drop single reports,
// so a shorter gap changes nothing.
constexpr unsigned ControllerGoneAfterFailedReads = 50;

enum ShiftEvent { NoShiftEvent, ShiftPress, ShiftRelease };

// Widened before squaring, so a negative threshold acts like its magnitude and nothing overflows.
std::int64_t SquareThreshold(std::int32_t threshold);

// Squared distance of the stick from its centre, in raw stick units (0 to 2 * 32768^2).
std::int64_t SquaredDeflection(std::int16_t x, std::int16_t y);

// Hysteresis: press strictly beyond the "on" circle, release strictly inside the "off" circle,
// otherwise keep the current state. At most one event per poll. While the stick does not count
// (the game is in the background), nothing is pressed and a held key is let go.
ShiftEvent DecideShift(bool shiftHeld, std::int64_t deflectionSquared, std::int64_t onSquared,
                       std::int64_t offSquared, bool stickCounts = true);

// After a failed read: counts it in `failedReadsInARow` (which a successful read sets back to 0)
// and lets a held key go once the controller has been gone long enough.
ShiftEvent DecideOnFailedRead(bool shiftHeld, unsigned& failedReadsInARow);
