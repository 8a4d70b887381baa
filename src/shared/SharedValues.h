#pragma once

#include <atomic>
#include <cstdint>

// Thresholds in raw stick units (32767 = full scale). The built-in values hold until the
// settings are loaded, and stay when the module cannot find its own path.
constexpr std::int32_t BuiltInThresholdOn = 21844;
constexpr std::int32_t BuiltInThresholdOff = 14000;

extern std::int32_t ThresholdOn;
extern std::int32_t ThresholdOff;

// Cleared once at detach; the watcher reads it from another thread.
extern std::atomic<bool> Running;
