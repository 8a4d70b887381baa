// The no-loader form, named as the game's own XInput library: the game loads it, it passes
// every XInput call on to Windows' own library, reads the controller from that same library,
// and reads StickShift.ini beside itself whichever name it bears.

#include "noloader/SystemXInput.h"
#include "settings/SettingsRules.h"
#include "shared/ModuleForm.h"

DWORD ReadController(DWORD userIndex, XINPUT_STATE* state) {
    return ReadSystemController(userIndex, state);
}

const wchar_t* const SettingsFileName = SharedSettingsFileName;

const bool StaysLoadedOnceActing = true;
