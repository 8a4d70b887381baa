#pragma once

#include <windows.h>

#include "settings/SettingsRules.h"

// Reads the settings file beside `module` into the shared values: the one named `fileName`, or
// when that is null the one that bears the module's name, and keeps its path in
// LoadedSettingsPath. Keeps the built-in values, and an empty path, when the module's own path
// cannot be had.
void LoadSettings(HMODULE module, const wchar_t* fileName);
extern wchar_t LoadedSettingsPath[SettingsPathCapacity];

// Values that the file held but the module cannot use; each gave its default instead.
struct UnusableSettings {
    bool key;
    bool controller;
    bool mode;
    bool innerKey;          // names no key: no inner ring
    InnerRingUse innerRing; // why a known InnerKey has no ring
    bool pauseTrigger;
};

// Reads every setting from `settingsPath`, defaulting each missing or unusable one, and stores
// them. Calls nothing but the kernel, so that attach may use it under the loader lock.
UnusableSettings LoadSettingsFromFile(const wchar_t* settingsPath);

// Gives the held key its scan code on the keyboard layout in force now. A call into user32,
// which may load further DLLs: never made during attach.
void LookUpHeldKeyScanCode();
