#pragma once

#include <windows.h>

// The controller that the test xinput1_4.dll plays: a named shared-memory block, so that a
// test, demo or bench process can drive the controller that StickShift.dll reads, in its own
// process or in another one.

constexpr const char* TestControllerMappingName = "Local\\StickShiftTestController";
constexpr int TestControllerPads = 4; // XInput user indexes 0 to 3

struct TestPad {
    volatile LONG connected;
    // Both sticks in one 64-bit word, so that a reader never sees X from one move and Y from
    // the next: left X, left Y, right X, right Y, 16 bits each from the low end.
    volatile LONG64 sticks;
    volatile LONG buttons;
    volatile LONG triggers; // left in the low byte, right in the next
};

struct TestControllerState {
    TestPad pads[TestControllerPads];
    // XInputGetState calls per user index; the last slot counts indexes beyond 3.
    volatile LONG calls[TestControllerPads + 1];
    // When not 0, the first XInputGetState in a process sets the library up as a real one does:
    // it looks for devices for this long, then takes a reference to itself and starts a helper
    // thread, waiting for it to start. Both steps need the loader lock.
    volatile LONG firstCallSetupMs;
    // When not 0, every reading carries this packet number, rather than one made from the
    // sticks: a change of it is then the no-loader form's own.
    volatile LONG fixedPacketNumber;
    // The arguments of the last XInputGetCapabilities call, as the library received them.
    volatile LONG capabilitiesUserIndex;
    volatile LONG capabilitiesFlags;
    // Reads that a library set aside in StickShift-original passed through the library of its
    // own name, and got back.
    volatile LONG wrappedReads;
};

// Creates the block, or opens it when another process already has. Zero-filled when new: no
// controller connected. Returns null when it cannot be mapped.
inline TestControllerState* OpenTestController() {
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(TestControllerState), TestControllerMappingName);
    if (mapping == nullptr)
        return nullptr;
    return static_cast<TestControllerState*>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(TestControllerState)));
}

inline LONG64 PackSticks(SHORT leftX, SHORT leftY, SHORT rightX = 0, SHORT rightY = 0) {
    return static_cast<LONG64>(static_cast<ULONG64>(static_cast<USHORT>(leftX)) |
                               static_cast<ULONG64>(static_cast<USHORT>(leftY)) << 16 |
                               static_cast<ULONG64>(static_cast<USHORT>(rightX)) << 32 |
                               static_cast<ULONG64>(static_cast<USHORT>(rightY)) << 48);
}

inline SHORT StickAxis(LONG64 sticks, int axis) {
    return static_cast<SHORT>(static_cast<USHORT>(static_cast<ULONG64>(sticks) >> (16 * axis)));
}

inline void SetLeftStick(TestPad& pad, SHORT x, SHORT y) {
    InterlockedExchange64(&pad.sticks, PackSticks(x, y));
}
