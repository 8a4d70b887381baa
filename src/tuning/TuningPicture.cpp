#include "tuning/TuningPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "watcher/KeyDecision.h"

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
    StickPixel(picture, stickX, stickY, picture.dotX, picture.dotY);
    return picture;
}

void StickPixel(const TuningPicture& picture, std::int16_t stickX, std::int16_t stickY, int& x,
                int& y) {
    x = picture.centre + ToPixels(stickX, picture.reachRadius);
    y = picture.centre - ToPixels(stickY, picture.reachRadius);
}

int PushRadius(const TuningPicture& picture, std::int16_t stickX, std::int16_t stickY) {
    const double reach = std::sqrt(static_cast<double>(SquaredDeflection(stickX, stickY)));
    return std::min(static_cast<int>(reach * picture.reachRadius / 32767.0), picture.centre - 2);
}

namespace {

double FromCentre(const TuningPicture& picture, int x, int y) {
    return std::hypot(x - picture.centre, y - picture.centre);
}

} // namespace

PictureCircle CircleAt(const TuningPicture& picture, int x, int y, int reach) {
    const double distance = FromCentre(picture, x, y);
    const double toOn = std::fabs(distance - picture.onRadius);
    const double toOff = std::fabs(distance - picture.offRadius);
    if (std::min(toOn, toOff) > reach)
        return NoCircle;
    // Circles on top of each other: "on" lies beyond when pulled out, "off" within.
    if (toOn == toOff)
        return distance >= picture.onRadius ? OnCircle : OffCircle;
    return toOn < toOff ? OnCircle : OffCircle;
}

std::int32_t PercentAtPixel(const TuningPicture& picture, int x, int y) {
    const long percent = std::lround(FromCentre(picture, x, y) * 100.0 / picture.reachRadius);
    return static_cast<std::int32_t>(std::min(percent, 100L));
}
