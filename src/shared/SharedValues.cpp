#include "shared/SharedValues.h"

std::int32_t ThresholdOn = BuiltInThresholdOn;
std::int32_t ThresholdOff = BuiltInThresholdOff;
HoldableKey HeldKey = LeftShift;
unsigned long ControllerIndex = 0;
bool OnlyWhenFocused = false;
KeyMode Mode = HoldMode;
bool ForwardOnly = false;
bool InnerRing = false;
HoldableKey InnerKey = LeftShift;
std::int32_t InnerOn = 0, InnerOff = 0;
PauseTrigger PauseWhileTrigger = PauseNever;
std::atomic<bool> Running{true};
