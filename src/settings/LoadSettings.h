#pragma once

#include <windows.h>

#include "settings/SettingsRules.h"

// Reads the settings file beside `module` that bears its name into the shared values. Keeps the
// built-in values when the module's own path cannot be had.
void LoadSettings(HMODULE module);

// Values that the file held but the module cannot use; each gave its default instead.
struct UnusableSettings {
    bool key;
    bool controller;
};

// Reads every setting from `settingsPath`, defaulting each missing or unusable one, and stores
// them; the key's scan code comes from the keyboard layout in force now.
UnusableSettings LoadSettingsFromFile(const wchar_t* settingsPath);
