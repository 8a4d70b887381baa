#pragma once

#include <cstddef>
#include <cstdint>

// What the settings file holds and how its values become thresholds, free of any platform
// call so that it is shared by the module, its companion tools and the tests.

// Wide text throughout: a folder's name may hold characters that the system's code page cannot.
constexpr const wchar_t* SettingsSection = L"Settings";
constexpr const wchar_t* ThresholdOnKey = L"ThresholdOnPct";
constexpr const wchar_t* ThresholdOffKey = L"ThresholdOffPct";
constexpr std::int32_t DefaultThresholdOnPct = 50;
constexpr std::int32_t DefaultThresholdOffPct = 40;

// The module path is fetched into MAX_PATH characters, which may come back without a
// terminator when the platform cut the path short. The settings path may swap the extension
// for ".ini", so it needs four more.
constexpr std::size_t ModulePathCapacity = 260;
constexpr std::size_t SettingsPathCapacity = ModulePathCapacity + 4;

// Percent of full scale to raw stick units: pct / 100 * 32767, truncated toward zero.
// A result beyond the signed 32-bit range becomes INT32_MIN.
std::int32_t PercentToStickUnits(std::int32_t percent);

// The module path cut at its last "." (directories included) followed by ".ini", or the path
// unchanged when it holds no ".". Reads at most ModulePathCapacity characters of modulePath and
// always writes a terminated string; allocates nothing.
void BuildSettingsPath(const wchar_t (&modulePath)[ModulePathCapacity],
                       wchar_t (&settingsPath)[SettingsPathCapacity]);
