// A small game that reads controller 1 through the XInput library it imports by name (the build
// makes one for each name the no-loader form bears, and one that imports none and loads
// xinput1_4.dll itself): XInputGame READS [OPTION...]. It asks for the controller's capabilities
// once, reads READS times about every 10 ms, prints each reading whose packet number or buttons
// differ from the one before, then the last reading in full, and exits with its libraries
// loaded. The options:
//   load:NAME     load the library NAME by name too, after start
//   ex            read through XInputGetStateEx (ordinal 100) instead
//   enable-toggle on the first reading whose buttons differ from the first one, XInputEnable(FALSE)
//                 and say "disabled"; 20 readings later XInputEnable(TRUE) and say "enabled"
//   old-record    before loading XInput, make the record of an older StickShift that acts here
//   free          halfway, free the library, say whether it is still loaded and, 20 readings
//                 later, whether Left Shift is down; read no more
//   tight         once the StickShift copy acts (its record shows a turn), read without a
//                 pause until the stick has been pushed beyond 50 % and come back to rest (at
//                 most 10 s), and say how many readings came between the first one beyond 50 %
//                 and the first with the left stick's click

#include <windows.h>
#include <xinput.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shared/ProcessRecord.h"

int main(int argc, char** argv) {
    bool ex = false, enableToggle = false, oldRecord = false, freeHalfway = false, tight = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strncmp(argv[i], "load:", 5) == 0 && LoadLibraryA(argv[i] + 5) == nullptr)
            return 2;
        ex = ex || std::strcmp(argv[i], "ex") == 0;
        enableToggle = enableToggle || std::strcmp(argv[i], "enable-toggle") == 0;
        oldRecord = oldRecord || std::strcmp(argv[i], "old-record") == 0;
        freeHalfway = freeHalfway || std::strcmp(argv[i], "free") == 0;
        tight = tight || std::strcmp(argv[i], "tight") == 0;
    }
    if (argc < 2)
        return 2;
    if (oldRecord) {
        // 1.3's record: two flags, the first saying that a copy acts.
        char name[64];
        std::snprintf(name, sizeof name, "Local\\StickShift.%lu", GetCurrentProcessId());
        const HANDLE mapping =
            CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8, name);
        auto* acting = static_cast<volatile LONG*>(
            mapping != nullptr ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 8) : nullptr);
        if (acting == nullptr)
            return 2;
        *acting = 1;
    }
#ifdef GAME_LOADS_XINPUT
    HMODULE library = LoadLibraryA(GAME_XINPUT);
#else
    HMODULE library = GetModuleHandleA(GAME_XINPUT);
#endif
    if (library == nullptr)
        return 2;
    const auto function = [library](const char* name) {
        return reinterpret_cast<void*>(GetProcAddress(library, name));
    };
#ifdef GAME_LOADS_XINPUT
    const auto getState = reinterpret_cast<decltype(&XInputGetState)>(
        function(ex ? MAKEINTRESOURCEA(100) : "XInputGetState"));
#else
    const auto getState =
        ex ? reinterpret_cast<decltype(&XInputGetState)>(function(MAKEINTRESOURCEA(100)))
           : XInputGetState; // imported, as most games do
#endif
    const auto enable = reinterpret_cast<void(WINAPI*)(BOOL)>(function("XInputEnable"));
    const auto getCapabilities =
        reinterpret_cast<decltype(&XInputGetCapabilities)>(function("XInputGetCapabilities"));
    if (getState == nullptr || getCapabilities == nullptr)
        return 2;
    XINPUT_CAPABILITIES capabilities;
    std::printf("capabilities %lu\n", getCapabilities(0, XINPUT_FLAG_GAMEPAD, &capabilities));

    if (tight) {
        // The copy decides only once its watcher has started: the record shows its first turn.
        char name[64];
        std::snprintf(name, sizeof name, "Local\\StickShift.%lu", GetCurrentProcessId());
        const HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
        const auto* record = static_cast<const ProcessRecord*>(
            mapping != nullptr ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(ProcessRecord))
                               : nullptr);
        for (int wait = 0; record != nullptr && record->lastTurn == 0 && wait < 1000; ++wait)
            Sleep(10);
        if (record == nullptr || record->lastTurn == 0)
            return 3;
    }
    XINPUT_STATE state = {};
    DWORD result = ERROR_DEVICE_NOT_CONNECTED;
    DWORD lastPacket = 0;
    WORD lastButtons = 0;
    int firstButtons = -1, disabledAt = -1;
    const int reads = std::atoi(argv[1]);
    const ULONGLONG until = GetTickCount64() + 10000;
    long beyond = -1, toClick = -1;
    bool backAtRest = false;
    for (int read = 0; tight ? !backAtRest && GetTickCount64() < until : read < reads; ++read) {
        if (freeHalfway && read == reads / 2) {
            char path[MAX_PATH];
            GetModuleFileNameA(library, path, MAX_PATH);
            FreeLibrary(library);
            std::printf("%s\n", GetModuleHandleA(path) != nullptr ? "still loaded" : "unloaded");
            Sleep(200);
            std::printf("Left Shift %s\n", GetAsyncKeyState(VK_LSHIFT) & 0x8000 ? "down" : "up");
            return 0;
        }
        result = getState(0, &state);
        if (result == ERROR_SUCCESS &&
            (state.dwPacketNumber != lastPacket || state.Gamepad.wButtons != lastButtons)) {
            lastPacket = state.dwPacketNumber;
            lastButtons = state.Gamepad.wButtons;
            std::printf("read packet %lu buttons %04x\n", lastPacket, lastButtons);
        }
        if (result == ERROR_SUCCESS && firstButtons < 0)
            firstButtons = state.Gamepad.wButtons;
        const long long x = state.Gamepad.sThumbLX, y = state.Gamepad.sThumbLY;
        if (tight && result == ERROR_SUCCESS && beyond < 0 && x * x + y * y > 16383LL * 16383)
            beyond = read;
        if (tight && beyond >= 0 && toClick < 0 &&
            (state.Gamepad.wButtons & XINPUT_GAMEPAD_LEFT_THUMB) != 0)
            toClick = read - beyond;
        backAtRest = beyond >= 0 && result == ERROR_SUCCESS && x == 0 && y == 0;
        if (tight)
            continue;
        if (enableToggle && enable != nullptr && disabledAt < 0 && firstButtons >= 0 &&
            state.Gamepad.wButtons != firstButtons) {
            enable(FALSE);
            std::printf("disabled\n");
            disabledAt = read;
        }
        if (enableToggle && enable != nullptr && disabledAt >= 0 && read == disabledAt + 20) {
            enable(TRUE);
            std::printf("enabled\n");
        }
        Sleep(10);
    }
    if (tight)
        std::printf("crossing to button: %ld readings\n", toClick);
    const XINPUT_GAMEPAD& pad = state.Gamepad;
    std::printf("result %lu packet %lu buttons %04x triggers %u %u left %d %d right %d %d\n",
                result, state.dwPacketNumber, pad.wButtons, pad.bLeftTrigger, pad.bRightTrigger,
                pad.sThumbLX, pad.sThumbLY, pad.sThumbRX, pad.sThumbRY);
    return 0;
}
