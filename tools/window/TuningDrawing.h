#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tuning/TuningPicture.h"

// Draws the tuning picture with GDI, for the window and for its snapshot.

constexpr COLORREF PictureBackground = RGB(255, 255, 255);
constexpr COLORREF ReachColour = RGB(170, 170, 170);
constexpr COLORREF OffCircleColour = RGB(0, 90, 200);
constexpr COLORREF OnCircleColour = RGB(220, 60, 0);
constexpr COLORREF StickColour = RGB(0, 0, 0);
constexpr COLORREF StickHeldColour = RGB(0, 160, 0); // the dot while the key is held
constexpr COLORREF TrailColour = RGB(150, 150, 150);
constexpr COLORREF InnerRingColour =
    RGB(150, 0, 170); // its circles, and the dot while its key is held

// `trail`: the stick's latest earlier places, oldest first, as dots fading behind it;
// `largestPush`: the radius of the largest push so far, a dotted circle (0 for none);
// `paused`: a trigger lets go of the key, and the "on" circle is drawn dotted.
void DrawTuningPicture(HDC dc, int size, const TuningPicture& picture, bool forwardOnly,
                       bool keyHeld, const std::vector<POINT>& trail = {}, int largestPush = 0,
                       bool innerHeld = false, bool paused = false);

// Draws the picture into a 24-bit bitmap file at `path`; false when it cannot be written.
bool WriteTuningSnapshot(const std::wstring& path, int size, const TuningPicture& picture,
                         bool forwardOnly, bool keyHeld, bool innerHeld = false);
