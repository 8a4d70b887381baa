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
// With a library chained, Windows' own, for calls that come back from inside a chained one.
void* SystemResolved[SystemXInputFunctionCount] = {};
bool Chained = false;
// How deep this thread is in calls passed on to the chained library.
DWORD ChainDepth = TLS_OUT_OF_INDEXES;

// Appends `part` to the path of `length` characters; false when it does not fit.
bool Append(wchar_t (&path)[MAX_PATH], UINT& length, const wchar_t* part) {
    for (; *part != L'\0'; ++part) {
        if (length >= MAX_PATH - 1)
            return false;
        path[length++] = *part;
    }
    path[length] = L'\0';
    return true;
}

// The library at `path`, if it is XInput and surely no StickShift copy: passing calls on to a
// copy would add the button twice, or to this very module, call itself until the game crashed.
// Anything else, and a file that cannot be told, is let go.
HMODULE LoadXInputLibrary(const wchar_t* path) {
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES ||
        ReadFileOwnership(path).owner != FileNotStickShift)
        return nullptr;
    const HMODULE library = LoadLibraryW(path);
    if (library != nullptr && GetProcAddress(library, "XInputGetState") == nullptr) {
        FreeLibrary(library);
        return nullptr;
    }
    return library;
}

HMODULE LoadFromSystemFolder(const wchar_t* fileName) {
    wchar_t path[MAX_PATH];
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !Append(path, length, L"\\") ||
        !Append(path, length, fileName))
        return nullptr;
    return LoadXInputLibrary(path);
}

void Resolve(HMODULE library, void* (&functions)[SystemXInputFunctionCount]) {
    for (int function = 0; function < SystemXInputFunctionCount; ++function) {
        const char* name = Functions[function].name;
        functions[function] = reinterpret_cast<void*>(GetProcAddress(
            library, name != nullptr ? name : MAKEINTRESOURCEA(Functions[function].ordinal)));
    }
}

BOOL CALLBACK LoadSystemLibrary(INIT_ONCE*, void*, void**) {
    const wchar_t* fileName = SystemXInputFileName;
    wchar_t ownPath[MAX_PATH] = L"";
    HMODULE chained = nullptr;
    if (fileName == nullptr) {
        GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), ownPath, MAX_PATH);
        ownPath[MAX_PATH - 1] = L'\0';
        UINT folderLength = 0;
        for (UINT i = 0; ownPath[i] != L'\0'; ++i)
            if (ownPath[i] == L'\\')
                folderLength = i + 1;
        fileName = ownPath + folderLength;
        // Another mod's library, or the game's own, that installing set aside under this name:
        // it takes the place of Windows' own.
        wchar_t original[MAX_PATH];
        UINT length = folderLength;
        for (UINT i = 0; i < folderLength; ++i)
            original[i] = ownPath[i];
        if (Append(original, length, L"StickShift-original\\") &&
            Append(original, length, fileName))
            chained = LoadXInputLibrary(original);
    }
    HMODULE library = LoadFromSystemFolder(fileName);
    if (library == nullptr)
        library = LoadFromSystemFolder(L"xinput1_4.dll");
    // Kept loaded for the module's life: letting them go would mean a call into the loader
    // during detach.
    if (library != nullptr)
        Resolve(library, SystemResolved);
    if (chained != nullptr) {
        ChainDepth = TlsAlloc();
        Chained = ChainDepth != TLS_OUT_OF_INDEXES;
    }
    if (Chained)
        Resolve(chained, Resolved);
    else
        for (int function = 0; function < SystemXInputFunctionCount; ++function)
            Resolved[function] = SystemResolved[function];
    return TRUE; // with no library, every call answers as for a missing controller
}

} // namespace

void* SystemXInput(SystemXInputFunction function) {
    InitOnceExecuteOnce(&Loading, LoadSystemLibrary, nullptr, nullptr);
    // A chained library that calls this copy by its bare name gets Windows' own library.
    return Chained && TlsGetValue(ChainDepth) != nullptr ? SystemResolved[function]
                                                         : Resolved[function];
}

PassingCallOn::PassingCallOn() {
    if (Chained)
        TlsSetValue(ChainDepth, static_cast<char*>(TlsGetValue(ChainDepth)) + 1);
}

PassingCallOn::~PassingCallOn() {
    if (Chained)
        TlsSetValue(ChainDepth, static_cast<char*>(TlsGetValue(ChainDepth)) - 1);
}

DWORD ReadSystemController(DWORD userIndex, XINPUT_STATE* state) {
    return CallSystemXInput<DWORD(WINAPI*)(DWORD, XINPUT_STATE*)>(GetStateFunction, userIndex,
                                                                  state);
}
