#include "tuning/TuningPicture.h"

#include <algorithm>
#include <cstdlib>

namespace {

int ToPixels(std::int64_t stickUnits, int reach) {
    return static_cast<int>(stickUnits * reach / 32767);
}

} // namespace

TuningPicture LayOutTuningPicture(int size, std::int32_t thresholdOn, std::int32_t thresholdOff,
                                  std::int16_t stickX, std::int16_t stickY) {
    TuningPicture picture;
    picture.centre = size / 2;
    // A margin for the circles' lines and for a diagonal push, which reaches beyond full scale.
    picture.reachRadius = size * 5 / 16;
    const int largest = size / 2 - 2;
    const auto radius = [&](std::int32_t threshold) {
        return std::min<std::int64_t>(ToPixels(std::llabs(threshold), picture.reachRadius),
                                      largest);
    };
    picture.onRadius = static_cast<int>(radius(thresholdOn));
    picture.offRadius = static_cast<int>(radius(thresholdOff));
    picture.dotX = picture.centre + ToPixels(stickX, picture.reachRadius);
    picture.dotY = picture.centre - ToPixels(stickY, picture.reachRadius);
    return picture;
}
