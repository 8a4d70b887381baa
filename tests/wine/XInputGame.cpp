// A small game that reads controller 1 through the XInput library it imports by name (the build
// makes one for each name the no-loader form bears): XInputGame READS [ALSO_LOAD]. It loads the
// library ALSO_LOAD by name too when given, reads READS times about every 10 ms, prints each
// reading whose packet number or buttons differ from the one before, then the last reading in
// full, and exits with its libraries loaded.

#include <windows.h>
#include <xinput.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2 || (argc > 2 && LoadLibraryA(argv[2]) == nullptr))
        return 2;
    XINPUT_STATE state = {};
    DWORD result = ERROR_DEVICE_NOT_CONNECTED;
    DWORD lastPacket = 0;
    WORD lastButtons = 0;
    for (int read = 0, reads = std::atoi(argv[1]); read < reads; ++read) {
        result = XInputGetState(0, &state);
        if (result == ERROR_SUCCESS &&
            (state.dwPacketNumber != lastPacket || state.Gamepad.wButtons != lastButtons)) {
            lastPacket = state.dwPacketNumber;
            lastButtons = state.Gamepad.wButtons;
            std::printf("read packet %lu buttons %04x\n", lastPacket, lastButtons);
        }
        Sleep(10);
    }
    const XINPUT_GAMEPAD& pad = state.Gamepad;
    std::printf("result %lu packet %lu buttons %04x triggers %u %u left %d %d right %d %d\n",
                result, state.dwPacketNumber, pad.wButtons, pad.bLeftTrigger, pad.bRightTrigger,
                pad.sThumbLX, pad.sThumbLY, pad.sThumbRX, pad.sThumbRY);
    return 0;
}
