#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "shared/HoldableKey.h"

// The settings as the tuning window shows and changes them, and what Save writes of them. Free
// of any platform call, for the window and the tests.
struct TunedSettings {
    std::int32_t onPct, offPct;
    HoldableKey key; // its name is the file's
    KeyMode mode;
    std::int32_t controller; // 1 to 4
    bool onlyWhenFocused, forwardOnly;
    // The inner ring, where innerRing; its circles are kept while it is off.
    bool innerRing = false;
    HoldableKey innerKey = LeftShift;
    std::int32_t innerOnPct = 20, innerOffPct = 15;
    PauseTrigger pause = PauseNever;
};

// The whole percent that `stickUnits` came from (the settings code turns a percent into stick
// units, cutting the fraction).
std::int32_t PercentFromStickUnits(std::int32_t stickUnits);

// The lines Save writes, as {key, value}: one for each setting that `now` changed from `read`,
// the settings as the file gave them. The focus setting also when a changed mode would give it
// a default other than the one shown, so that the module uses what the window showed.
std::vector<std::pair<std::string, std::string>> ChangedSettings(const TunedSettings& read,
                                                                 const TunedSettings& now);

// The whole percent of full scale that a push to (x, y) reaches, up to 100: "On here".
std::int32_t PercentOfPush(std::int16_t x, std::int16_t y);

// Each setting's default, as the module takes it where the file has none: "Defaults".
TunedSettings DefaultTunedSettings();
