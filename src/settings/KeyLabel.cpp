#include "settings/SettingsRules.h"

// Apart from the key names: the module itself never needs a label, and leaves this file out.
const char* KeyLabel(const HoldableKey& key) {
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
