#pragma once

#include <cstdint>

// A key the module can hold down. The scan code is the keyboard layout's, found once the module
// has loaded; `extended` marks keys whose scan code carries the E0 prefix.
struct HoldableKey {
    std::uint16_t virtualKey;
    std::uint16_t scanCode;
    bool extended;
    char name[7]; // as the settings file names it: "LShift", "A"
};

constexpr std::uint16_t LeftShiftVirtualKey = 0xA0; // VK_LSHIFT
// Left Shift's scan code on every layout. Games that read scan codes (DirectInput, raw input,
// SDL) ignore a key that comes with its virtual-key code alone.
constexpr std::uint16_t LeftShiftScanCode = 0x2A;
constexpr HoldableKey LeftShift = {LeftShiftVirtualKey, LeftShiftScanCode, false, "LShift"};

// How the stick works the key. Hold: down while the stick is out. Tap: one tap each time it goes
// out, for games that sprint on a tap and stop by themselves. Toggle: a tap each time it goes
// out and each time it comes back in, for games that sprint until the key is tapped again.
enum KeyMode { HoldMode, TapMode, ToggleMode };
