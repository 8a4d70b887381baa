#pragma once

#include <cstdint>

// The decision of one poll, free of any platform call so that it is shared by the module,
// its companion tools and the tests.

// Only the first controller is read, with a fixed pause after every poll.
constexpr unsigned long ControllerIndex = 0;
constexpr unsigned long PollPauseMs = 10;

enum ShiftEvent { NoShiftEvent, ShiftPress, ShiftRelease };

// Widened before squaring, so a negative threshold acts like its magnitude and nothing overflows.
std::int64_t SquareThreshold(std::int32_t threshold);

// Squared distance of the stick from its centre, in raw stick units (0 to 2 * 32768^2).
std::int64_t SquaredDeflection(std::int16_t x, std::int16_t y);

// Hysteresis: press strictly beyond the "on" circle, release strictly inside the "off" circle,
// otherwise keep the current state. At most one event per poll.
ShiftEvent DecideShift(bool shiftHeld, std::int64_t deflectionSquared, std::int64_t onSquared,
                       std::int64_t offSquared);
