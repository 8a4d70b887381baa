#include "noloader/SystemXInput.h"

#include "shared/StickShiftFile.h"

extern "C" IMAGE_DOS_HEADER __ImageBase; // this module, whichever name it bears

const wchar_t* SystemXInputFileName = nullptr;

namespace {

// By name, as games import them, or for the ordinal-only ones by their ordinal.
constexpr struct {
    const char* name;
    WORD ordinal;
} Functions[SystemXInputFunctionCount] = {
    {"XInputGetState", 2},
    {"XInputSetState", 3},
    {"XInputGetCapabilities", 4},
    {"XInputEnable", 5},
    {"XInputGetDSoundAudioDeviceGuids", 6},
    {"XInputGetBatteryInformation", 7},
    {"XInputGetKeystroke", 8},
    {"XInputGetAudioDeviceIds", 10},
    {nullptr, 100}, // XInputGetStateEx
    {nullptr, 101}, // XInputWaitForGuideButton
    {nullptr, 102}, // XInputCancelGuideButtonWait
    {nullptr, 103}, // XInputPowerOffController
    {nullptr, 104}, // XInputGetBaseBusInformation
    {nullptr, 108}, // XInputGetCapabilitiesEx
};

INIT_ONCE Loading = INIT_ONCE_STATIC_INIT;
void* Resolved[SystemXInputFunctionCount] = {};

// The library of that name in the system folder, if it is XInput and no StickShift copy: a
// player may have copied one there, and passing calls on to a copy would add the button twice,
// or to this very module, call itself until the game crashed. Anything else is let go.
HMODULE LoadFromSystemFolder(const wchar_t* fileName) {
    wchar_t path[MAX_PATH];
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH - 1)
        return nullptr;
    path[length++] = L'\\';
    for (UINT i = 0; fileName[i] != L'\0'; ++i) {
        if (length >= MAX_PATH - 1)
            return nullptr;
        path[length++] = fileName[i];
    }
    path[length] = L'\0';
    if (IsStickShiftFile(path))
        return nullptr;
    const HMODULE library = LoadLibraryW(path);
    if (library != nullptr && GetProcAddress(library, "XInputGetState") == nullptr) {
        FreeLibrary(library);
        return nullptr;
    }
    return library;
}

BOOL CALLBACK LoadSystemLibrary(INIT_ONCE*, void*, void**) {
    const wchar_t* fileName = SystemXInputFileName;
    wchar_t ownPath[MAX_PATH] = L"";
    if (fileName == nullptr) {
        GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), ownPath, MAX_PATH);
        ownPath[MAX_PATH - 1] = L'\0';
        fileName = ownPath;
        for (const wchar_t* c = ownPath; *c != L'\0'; ++c)
            if (*c == L'\\')
                fileName = c + 1;
    }
    HMODULE library = LoadFromSystemFolder(fileName);
    if (library == nullptr)
        library = LoadFromSystemFolder(L"xinput1_4.dll");
    if (library == nullptr)
        return TRUE; // every call answers as for a missing controller
    // Kept loaded for the module's life: letting it go would mean a call into the loader
    // during detach.
    for (int function = 0; function < SystemXInputFunctionCount; ++function) {
        const char* name = Functions[function].name;
        Resolved[function] = reinterpret_cast<void*>(GetProcAddress(
            library, name != nullptr ? name : MAKEINTRESOURCEA(Functions[function].ordinal)));
    }
    return TRUE;
}

} // namespace

void* SystemXInput(SystemXInputFunction function) {
    InitOnceExecuteOnce(&Loading, LoadSystemLibrary, nullptr, nullptr);
    return Resolved[function];
}

DWORD ReadSystemController(DWORD userIndex, XINPUT_STATE* state) {
    return CallSystemXInput<DWORD(WINAPI*)(DWORD, XINPUT_STATE*)>(GetStateFunction, userIndex,
                                                                  state);
}
