#pragma once

#include <cstdint>

// A key the module can hold down: a keyboard key, or a button of the controller itself. The scan
// code is the keyboard layout's, found once the module has loaded; `extended` marks keys whose
// scan code carries the E0 prefix. A controller button has no virtual-key code: its bit
// (XINPUT_GAMEPAD_*) may equal one (0x20 is both Back and VK_SPACE), so it has a field of its own.
struct HoldableKey {
    std::uint16_t virtualKey; // 0 for a controller button
    std::uint16_t scanCode;
    bool extended;
    char name[9];            // as the settings file names it: "LShift", "A", "PadRight"
    std::uint16_t padButton; // 0 for a keyboard key
};

constexpr std::uint16_t LeftShiftVirtualKey = 0xA0; // VK_LSHIFT
// Left Shift's scan code on every layout. Games that read scan codes (DirectInput, raw input,
// SDL) ignore a key that comes with its virtual-key code alone.
constexpr std::uint16_t LeftShiftScanCode = 0x2A;
constexpr HoldableKey LeftShift = {LeftShiftVirtualKey, LeftShiftScanCode, false, "LShift", 0};

// How the stick works the key. Hold: down while the stick is out. Tap: one tap each time it goes
// out, for games that sprint on a tap and stop by themselves. Toggle: a tap each time it goes
// out and each time it comes back in, for games that sprint until the key is tapped again.
enum KeyMode { HoldMode, TapMode, ToggleMode };

// The trigger whose pull lets go of the key, if any: Both means either of them.
enum PauseTrigger { PauseNever, PauseLeft, PauseRight, PauseBoth };
