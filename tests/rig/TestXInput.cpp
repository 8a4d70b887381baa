// A stand-in xinput1_4.dll that answers XInputGetState, and XInputGetStateEx where its .def
// exports it, from the shared TestControllerState, and records XInputGetCapabilities' arguments.

#include <windows.h>
#include <xinput.h>

#include "TestController.h"

namespace {

TestControllerState* Controller = nullptr;
INIT_ONCE SetUp = INIT_ONCE_STATIC_INIT;

DWORD WINAPI DeviceWatch(void* started) {
    SetEvent(static_cast<HANDLE>(started));
    Sleep(INFINITE);
    return 0;
}

BOOL CALLBACK SetUpLikeARealLibrary(INIT_ONCE*, void*, void**) {
    if (Controller == nullptr || Controller->firstCallSetupMs == 0)
        return TRUE;
    Sleep(static_cast<DWORD>(Controller->firstCallSetupMs));
    HMODULE self;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCWSTR>(&SetUpLikeARealLibrary), &self);
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(CreateThread(nullptr, 0, DeviceWatch, started, 0, nullptr));
    WaitForSingleObject(started, INFINITE);
    CloseHandle(started);
    return TRUE;
}

} // namespace

extern "C" DWORD WINAPI XInputGetState(DWORD userIndex, XINPUT_STATE* state) {
    InitOnceExecuteOnce(&SetUp, SetUpLikeARealLibrary, nullptr, nullptr);
    if (Controller == nullptr)
        return ERROR_DEVICE_NOT_CONNECTED;
    InterlockedIncrement(
        &Controller->calls[userIndex < TestControllerPads ? userIndex : TestControllerPads]);
    if (userIndex >= TestControllerPads || !Controller->pads[userIndex].connected)
        return ERROR_DEVICE_NOT_CONNECTED;

    const TestPad& pad = Controller->pads[userIndex];
    // One atomic 64-bit read, on 32-bit builds too: both axes come from the same move.
    const LONG64 sticks =
        InterlockedCompareExchange64(const_cast<volatile LONG64*>(&pad.sticks), 0, 0);
    ZeroMemory(state, sizeof *state);
    const LONG fixedPacketNumber = Controller->fixedPacketNumber;
    state->dwPacketNumber = fixedPacketNumber != 0 ? static_cast<DWORD>(fixedPacketNumber)
                                                   : static_cast<DWORD>(sticks ^ (sticks >> 32));
    state->Gamepad.wButtons = static_cast<WORD>(pad.buttons);
    state->Gamepad.bLeftTrigger = static_cast<BYTE>(pad.triggers);
    state->Gamepad.bRightTrigger = static_cast<BYTE>(pad.triggers >> 8);
    state->Gamepad.sThumbLX = StickAxis(sticks, 0);
    state->Gamepad.sThumbLY = StickAxis(sticks, 1);
    state->Gamepad.sThumbRX = StickAxis(sticks, 2);
    state->Gamepad.sThumbRY = StickAxis(sticks, 3);
    return ERROR_SUCCESS;
}

extern "C" DWORD WINAPI XInputGetStateEx(DWORD userIndex, XINPUT_STATE* state) {
    return XInputGetState(userIndex, state);
}

extern "C" DWORD WINAPI XInputGetCapabilities(DWORD userIndex, DWORD flags,
                                              XINPUT_CAPABILITIES* capabilities) {
    if (Controller == nullptr)
        return ERROR_DEVICE_NOT_CONNECTED;
    InterlockedExchange(&Controller->capabilitiesUserIndex, static_cast<LONG>(userIndex));
    InterlockedExchange(&Controller->capabilitiesFlags, static_cast<LONG>(flags));
    ZeroMemory(capabilities, sizeof *capabilities);
    return ERROR_SUCCESS;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        Controller = OpenTestController();
    return TRUE;
}
