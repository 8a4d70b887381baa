#pragma once

#include <windows.h>
#include <xinput.h>

// What the two forms of the module do differently, each filled in by its own file at link time:
// the plug-in form (StickShift.dll, src/plugin/) and the no-loader form, the game's own XInput
// library (src/noloader/).

// Reads controller `userIndex` as XInputGetState does, from the XInput library the form uses.
DWORD ReadController(DWORD userIndex, XINPUT_STATE* state);

// The settings file's name beside the module; null for the module's own name with ".ini".
extern const wchar_t* const SettingsFileName;

// Whether the copy that acts stays loaded until the process ends, whatever the game unloads.
extern const bool StaysLoadedOnceActing;
