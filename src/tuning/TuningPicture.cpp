#include "tuning/TuningPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "watcher/KeyDecision.h"

namespace {

int ToPixels(std::int64_t stickUnits, int reach) {
    return static_cast<int>(stickUnits * reach / 32767);
}

// A threshold's circle, at most a little inside the picture's edge.
int CircleRadius(std::int32_t threshold, int reach, int size) {
    return static_cast<int>(
        std::min<std::int64_t>(ToPixels(std::llabs(threshold), reach), size / 2 - 2));
}

} // namespace

TuningPicture LayOutTuningPicture(int size, std::int32_t thresholdOn, std::int32_t thresholdOff,
                                  std::int16_t stickX, std::int16_t stickY) {
    TuningPicture picture;
    picture.centre = size / 2;
    // A margin for the circles' lines and for a diagonal push, which reaches beyond full scale.
    picture.reachRadius = size * 5 / 16;
    picture.onRadius = CircleRadius(thresholdOn, picture.reachRadius, size);
    picture.offRadius = CircleRadius(thresholdOff, picture.reachRadius, size);
    StickPixel(picture, stickX, stickY, picture.dotX, picture.dotY);
    return picture;
}

void AddInnerRing(TuningPicture& picture, int size, std::int32_t innerOn, std::int32_t innerOff) {
    picture.innerRing = true;
    picture.innerOnRadius = CircleRadius(innerOn, picture.reachRadius, size);
    picture.innerOffRadius = CircleRadius(innerOff, picture.reachRadius, size);
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
    // From the outermost in, so that of circles on top of each other the outer one is found
    // first: it is taken when pulled out, the innermost when pushed in.
    const struct {
        PictureCircle circle;
        int radius;
        bool shown;
    } circles[] = {{OnCircle, picture.onRadius, true},
                   {OffCircle, picture.offRadius, true},
                   {InnerOnCircle, picture.innerOnRadius, picture.innerRing},
                   {InnerOffCircle, picture.innerOffRadius, picture.innerRing}};
    PictureCircle nearest = NoCircle;
    double best = reach;
    int nearestRadius = 0;
    for (const auto& candidate : circles) {
        const double to = std::fabs(distance - candidate.radius);
        // As near as the one found: the inner one, unless pulled out beyond the one found.
        const bool takes =
            to < best || (to == best && (nearest == NoCircle || distance < nearestRadius));
        if (candidate.shown && takes) {
            nearest = candidate.circle;
            best = to;
            nearestRadius = candidate.radius;
        }
    }
    return nearest;
}

std::int32_t PercentAtPixel(const TuningPicture& picture, int x, int y) {
    const long percent = std::lround(FromCentre(picture, x, y) * 100.0 / picture.reachRadius);
    return static_cast<std::int32_t>(std::min(percent, 100L));
}
