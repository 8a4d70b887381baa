#pragma once

#include <cstdint>

// Where the tuning picture puts things: the stick's full reach, the "off" and "on" circles at
// their radii, and the stick's dot, in a square of `size` pixels, Y up as on the stick. Free of
// any platform call, so that the window, its snapshot and the tests agree.
struct TuningPicture {
    int centre;              // of the square, in both directions
    int reachRadius;         // full deflection, 32767 stick units
    int offRadius, onRadius; // at most a little beyond the reach, so that both stay drawn
    int dotX, dotY;
};

TuningPicture LayOutTuningPicture(int size, std::int32_t thresholdOn, std::int32_t thresholdOff,
                                  std::int16_t stickX, std::int16_t stickY);
