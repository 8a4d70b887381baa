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

// Another mod's library as a game's folder may hold it, when installing has set it aside into
// StickShift-original. Such a library may call the library of its own name as the game would,
// from the game's folder, and get the StickShift copy that passes calls on to it. It answers
// with what that library answered, and gives up, as not connected, on coming back into itself.
bool WrapsByOwnName = false;
wchar_t OwnName[MAX_PATH];
thread_local int WrapDepth = 0;

} // namespace

extern "C" DWORD WINAPI XInputGetState(DWORD userIndex, XINPUT_STATE* state) {
    InitOnceExecuteOnce(&SetUp, SetUpLikeARealLibrary, nullptr, nullptr);
    if (Controller == nullptr)
        return ERROR_DEVICE_NOT_CONNECTED;
    if (WrapsByOwnName) {
        wchar_t path[MAX_PATH] = L"";
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        wchar_t* name = wcsrchr(path, L'\\');
        if (name != nullptr)
            lstrcpynW(name + 1, OwnName, static_cast<int>(MAX_PATH - (name + 1 - path)));
        const auto wrapped = reinterpret_cast<decltype(&XInputGetState)>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(path), "XInputGetState")));
        if (wrapped == nullptr || WrapDepth > 0)
            return ERROR_DEVICE_NOT_CONNECTED;
        ++WrapDepth;
        const DWORD result = wrapped(userIndex, state);
        --WrapDepth;
        InterlockedIncrement(&Controller->wrappedReads);
        return result;
    }
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

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        Controller = OpenTestController();
        wchar_t path[MAX_PATH] = L"";
        GetModuleFileNameW(module, path, MAX_PATH);
        const wchar_t* name = wcsrchr(path, L'\\');
        lstrcpynW(OwnName, name != nullptr ? name + 1 : path, MAX_PATH);
        WrapsByOwnName = wcsstr(path, L"\\StickShift-original\\") != nullptr;
    }
    return TRUE;
}
