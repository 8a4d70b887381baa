#include "settings/SettingsRules.h"

// Apart from the key names: the module itself never needs a label, and leaves this file out.
namespace {

constexpr struct {
    std::uint16_t bit;
    const char* label;
} PadButtonLabels[] = {
    {0x0040, "Left stick click"},
    {0x0080, "Right stick click"},
    {0x1000, "Pad A"},
    {0x2000, "Pad B"},
    {0x4000, "Pad X"},
    {0x8000, "Pad Y"},
    {0x0100, "Left bumper"},
    {0x0200, "Right bumper"},
    {0x0020, "Pad Back"},
    {0x0010, "Pad Start"},
    {0x0001, "D-pad up"},
    {0x0002, "D-pad down"},
    {0x0004, "D-pad left"},
    {0x0008, "D-pad right"},
};

} // namespace

const char* KeyLabel(const HoldableKey& key) {
    for (const auto& pad : PadButtonLabels)
        if (key.padButton == pad.bit)
            return pad.label;
    switch (key.virtualKey) {
    case 0xA0:
        return "Left Shift";
    case 0xA1:
        return "Right Shift";
    case 0xA2:
        return "Left Ctrl";
    case 0xA3:
        return "Right Ctrl";
    case 0xA4:
        return "Left Alt";
    case 0xA5:
        return "Right Alt";
    default:
        return key.name;
    }
}
