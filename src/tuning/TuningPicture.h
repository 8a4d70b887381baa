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
    bool innerRing = false; // the inner ring's circles, drawn and dragged where it is on
    int innerOffRadius = 0, innerOnRadius = 0;
};

TuningPicture LayOutTuningPicture(int size, std::int32_t thresholdOn, std::int32_t thresholdOff,
                                  std::int16_t stickX, std::int16_t stickY);
// The inner ring's circles, laid out as the outer ones.
void AddInnerRing(TuningPicture& picture, int size, std::int32_t innerOn, std::int32_t innerOff);

// Where a reading of the stick falls in `picture`, as its dot does.
void StickPixel(const TuningPicture& picture, std::int16_t stickX, std::int16_t stickY, int& x,
                int& y);

// How far from the centre a push to (x, y) is drawn, in pixels, at most to the picture's edge:
// the circle that marks the largest push so far.
int PushRadius(const TuningPicture& picture, std::int16_t stickX, std::int16_t stickY);

// Which circle a press at pixel (x, y) takes hold of: the one whose line is nearest, within
// `reach` pixels of it; of two at one radius, the outer when pulled out, the inner when in.
enum PictureCircle { NoCircle, OffCircle, OnCircle, InnerOffCircle, InnerOnCircle };
PictureCircle CircleAt(const TuningPicture& picture, int x, int y, int reach);

// The whole percent of full scale at pixel (x, y), from 0 to 100: a circle dragged there.
std::int32_t PercentAtPixel(const TuningPicture& picture, int x, int y);
