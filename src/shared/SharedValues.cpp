#include "shared/SharedValues.h"

std::int32_t ThresholdOn = BuiltInThresholdOn;
std::int32_t ThresholdOff = BuiltInThresholdOff;
std::atomic<bool> Running{true};
