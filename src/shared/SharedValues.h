#pragma once

#include <atomic>
#include <cstdint>

#include "shared/HoldableKey.h"

// Thresholds in raw stick units (32767 = full scale). The built-in values hold until the
// settings are loaded, and stay when the module cannot find its own path.
constexpr std::int32_t BuiltInThresholdOn = 21844;
constexpr std::int32_t BuiltInThresholdOff = 14000;

extern std::int32_t ThresholdOn;
extern std::int32_t ThresholdOff;

// The key held while the stick is pushed, the controller read (its XInput user index), and
// whether the stick counts only while the game has the foreground. Written with the thresholds,
// before the watcher starts; Left Shift, the first controller and always, until then.
extern HoldableKey HeldKey;
extern unsigned long ControllerIndex;
extern bool OnlyWhenFocused;

// How the stick works the key, and whether only a push that points forward counts. Written
// with the thresholds; Hold and any direction until then.
extern KeyMode Mode;
extern bool ForwardOnly;

// The inner ring: whether it is used, its key and its thresholds in raw stick units; and the
// trigger that pauses the key. Written with the thresholds; no ring and no trigger until then.
extern bool InnerRing;
extern HoldableKey InnerKey;
extern std::int32_t InnerOn, InnerOff;
extern PauseTrigger PauseWhileTrigger;

// Cleared once at detach; the watcher reads it from another thread.
extern std::atomic<bool> Running;
