#pragma once

#include <windows.h>
#include <xinput.h>

// Windows' own XInput library, which the no-loader form passes every call on to and the probe
// reads the controller from. Loaded once, on first use and never during attach, by full path
// from the system folder: no search could find the game's folder, nor a StickShift copy there.

// Every function of xinput1_3 and xinput1_4 that the no-loader form passes on.
enum SystemXInputFunction {
    GetStateFunction,
    SetStateFunction,
    GetCapabilitiesFunction,
    EnableFunction,
    GetDSoundAudioDeviceGuidsFunction,
    GetBatteryInformationFunction,
    GetKeystrokeFunction,
    GetAudioDeviceIdsFunction,
    GetStateExFunction,
    WaitForGuideButtonFunction,
    CancelGuideButtonWaitFunction,
    PowerOffControllerFunction,
    GetBaseBusInformationFunction,
    GetCapabilitiesExFunction,
    SystemXInputFunctionCount
};

// The file loaded from the system folder: null for this module's own file name. Where that file
// is missing, is a StickShift copy (this very module, say), or is not XInput, xinput1_4.dll is
// loaded instead; should that fail too, nothing is.
extern const wchar_t* SystemXInputFileName;

// The system library's function, or null when the library lacks it or none could be loaded.
// Safe to call from any thread. For the no-loader form, "the system library" is the file of its
// own name in StickShift-original beside it, where installing set another mod's library, or
// the game's, aside: it then passes calls on to that one, which may pass them on in turn.
void* SystemXInput(SystemXInputFunction function);

// Held around a call of a function that SystemXInput gave: a call that comes back into this
// module from inside it, on the same thread, goes to Windows' own library, so that nothing
// recurses or waits on itself.
struct PassingCallOn {
    PassingCallOn();
    ~PassingCallOn();
};

// Calls the system library's function, of type `Function`, or answers as XInput does for a
// missing controller when the library lacks it (Wine's lacks some ordinals) or none could be
// loaded. Static: each file keeps its own copies, which the compiler inlines, rather than shared
// ones, which cost the module half a kilobyte.
template <typename Function, typename... Arguments>
static DWORD CallSystemXInput(SystemXInputFunction which, Arguments... arguments) {
    const auto function = reinterpret_cast<Function>(SystemXInput(which));
    const PassingCallOn passing;
    return function != nullptr ? function(arguments...) : ERROR_DEVICE_NOT_CONNECTED;
}

// XInputGetState of the system library, or ERROR_DEVICE_NOT_CONNECTED without one.
DWORD ReadSystemController(DWORD userIndex, XINPUT_STATE* state);
