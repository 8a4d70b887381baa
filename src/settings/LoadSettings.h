#pragma once

#include <windows.h>

#include "settings/SettingsRules.h"

// Reads the two percentages from the settings file beside `module` that bears its name, and
// stores them as ThresholdOn and ThresholdOff. Keeps the built-in thresholds when the module's
// own path cannot be had.
void LoadSettings(HMODULE module);

// The settings file of `module` (null: the program's own file); false when the module's path
// cannot be had.
bool SettingsPathOf(HMODULE module, wchar_t (&settingsPath)[SettingsPathCapacity]);

// Reads the two percentages from `settingsPath`, defaulting each missing one, and stores them.
void LoadSettingsFromFile(const wchar_t* settingsPath);
