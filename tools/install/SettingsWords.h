#pragma once

#include <string>
#include <vector>

#include "settings/LoadSettings.h"

// What the tools say of a settings file, the console and the window alike.

// Reads the file with the module's own settings code, as LoadSettingsFromFile does; a
// Controller that is empty or not a whole number counts as unusable too, since it gives the
// first controller, or the number it starts with.
UnusableSettings LoadSettingsForTools(const wchar_t* settingsPath);

// The value's text as the file holds it; empty when the key is absent.
std::wstring ValueText(const wchar_t* settingsPath, const wchar_t* key);

// Whether the file names the key at all, with a value or an empty one.
bool InFile(const wchar_t* settingsPath, const wchar_t* key);

// Where the stick counts, and which pushes, by the settings loaded.
const char* FocusLabel();
const char* DirectionLabel();
// "the left trigger", "the right trigger", "either trigger"; "no trigger".
const char* TriggerLabel(PauseTrigger trigger);

// A line, in UTF-8, for each value of the file loaded that the module cannot use, or that does
// not do what the player most likely meant, with what the module does instead.
std::vector<std::string> SettingsSurprises(const wchar_t* settingsPath, UnusableSettings unusable);
