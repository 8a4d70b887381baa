// The plug-in form, StickShift.dll: a game's plug-in loader maps it in, it reads the controller
// through xinput1_4.dll, bound by ordinal, and reads the .ini of its own name.

#include "shared/ModuleForm.h"

DWORD ReadController(DWORD userIndex, XINPUT_STATE* state) {
    return XInputGetState(userIndex, state);
}

const wchar_t* const SettingsFileName = nullptr;

// A plug-in loader may unload it while the game runs: it lets go and goes.
const bool StaysLoadedOnceActing = false;
