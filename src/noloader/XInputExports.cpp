// The no-loader form's face: every function of xinput1_3 and xinput1_4, at Windows' ordinals
// (XInputExports.def.in), each taking exactly the system function's arguments and passing the
// call on to Windows' own library. The game sees what that library returned, byte for byte, but
// for the button that a pad key holds down.

#include "noloader/SystemXInput.h"
#include "shared/ProcessRecord.h"
#include "watcher/StickWatcher.h"

extern "C" {

// What the game reads: the controller as Windows' library gave it, with the button that a pad
// key holds down, if any, from whichever copy acts.
DWORD WINAPI PassXInputGetState(DWORD userIndex, XINPUT_STATE* state) {
    return AddHeldPadButton(userIndex, state,
                            DecideOnGamesRead(userIndex, state,
                                              CallSystemXInput<decltype(&PassXInputGetState)>(
                                                  GetStateFunction, userIndex, state)));
}

DWORD WINAPI PassXInputSetState(DWORD userIndex, XINPUT_VIBRATION* vibration) {
    return CallSystemXInput<decltype(&PassXInputSetState)>(SetStateFunction, userIndex, vibration);
}

DWORD WINAPI PassXInputGetCapabilities(DWORD userIndex, DWORD flags,
                                       XINPUT_CAPABILITIES* capabilities) {
    return CallSystemXInput<decltype(&PassXInputGetCapabilities)>(GetCapabilitiesFunction,
                                                                  userIndex, flags, capabilities);
}

// Games disable XInput when they lose the focus, and XInput then gives the whole process a
// centred stick: meanwhile the stick does not count, as when the game is in the background.
void WINAPI PassXInputEnable(BOOL enable) {
    const auto function =
        reinterpret_cast<decltype(&PassXInputEnable)>(SystemXInput(EnableFunction));
    const PassingCallOn passing;
    if (function != nullptr)
        function(enable);
    RecordXInputEnable(enable);
}

DWORD WINAPI PassXInputGetDSoundAudioDeviceGuids(DWORD userIndex, GUID* render, GUID* capture) {
    return CallSystemXInput<decltype(&PassXInputGetDSoundAudioDeviceGuids)>(
        GetDSoundAudioDeviceGuidsFunction, userIndex, render, capture);
}

DWORD WINAPI PassXInputGetBatteryInformation(DWORD userIndex, BYTE deviceType,
                                             XINPUT_BATTERY_INFORMATION* battery) {
    return CallSystemXInput<decltype(&PassXInputGetBatteryInformation)>(
        GetBatteryInformationFunction, userIndex, deviceType, battery);
}

DWORD WINAPI PassXInputGetKeystroke(DWORD userIndex, DWORD reserved, XINPUT_KEYSTROKE* keystroke) {
    return CallSystemXInput<decltype(&PassXInputGetKeystroke)>(GetKeystrokeFunction, userIndex,
                                                               reserved, keystroke);
}

DWORD WINAPI PassXInputGetAudioDeviceIds(DWORD userIndex, LPWSTR render, UINT* renderCount,
                                         LPWSTR capture, UINT* captureCount) {
    return CallSystemXInput<decltype(&PassXInputGetAudioDeviceIds)>(
        GetAudioDeviceIdsFunction, userIndex, render, renderCount, capture, captureCount);
}

// The ordinal-only ones. Where Windows' library lacks the extended read, the plain one serves.
DWORD WINAPI PassXInputGetStateEx(DWORD userIndex, XINPUT_STATE* state) {
    if (SystemXInput(GetStateExFunction) == nullptr)
        return PassXInputGetState(userIndex, state);
    return AddHeldPadButton(userIndex, state,
                            DecideOnGamesRead(userIndex, state,
                                              CallSystemXInput<decltype(&PassXInputGetStateEx)>(
                                                  GetStateExFunction, userIndex, state)));
}

DWORD WINAPI PassXInputWaitForGuideButton(DWORD userIndex, DWORD flags, void* overlapped) {
    return CallSystemXInput<decltype(&PassXInputWaitForGuideButton)>(WaitForGuideButtonFunction,
                                                                     userIndex, flags, overlapped);
}

DWORD WINAPI PassXInputCancelGuideButtonWait(DWORD userIndex) {
    return CallSystemXInput<decltype(&PassXInputCancelGuideButtonWait)>(
        CancelGuideButtonWaitFunction, userIndex);
}

DWORD WINAPI PassXInputPowerOffController(DWORD userIndex) {
    return CallSystemXInput<decltype(&PassXInputPowerOffController)>(PowerOffControllerFunction,
                                                                     userIndex);
}

DWORD WINAPI PassXInputGetBaseBusInformation(DWORD userIndex, void* information) {
    return CallSystemXInput<decltype(&PassXInputGetBaseBusInformation)>(
        GetBaseBusInformationFunction, userIndex, information);
}

DWORD WINAPI PassXInputGetCapabilitiesEx(DWORD reserved, DWORD userIndex, DWORD flags,
                                         void* capabilities) {
    return CallSystemXInput<decltype(&PassXInputGetCapabilitiesEx)>(
        GetCapabilitiesExFunction, reserved, userIndex, flags, capabilities);
}

} // extern "C"
