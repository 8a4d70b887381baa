#include "settings/SettingsRules.h"

#include <cwchar>

std::int32_t PercentToStickUnits(std::int32_t percent) {
    const double stickUnits = static_cast<double>(percent) / 100.0 * 32767.0;
    // Checked before converting: an out-of-range double-to-int conversion is undefined in C++.
    if (stickUnits >= 2147483648.0 || stickUnits <= -2147483649.0)
        return INT32_MIN;
    return static_cast<std::int32_t>(stickUnits);
}

void BuildSettingsPath(const wchar_t (&modulePath)[ModulePathCapacity],
                       wchar_t (&settingsPath)[SettingsPathCapacity]) {
    std::size_t length = 0;
    while (length < ModulePathCapacity && modulePath[length] != L'\0')
        ++length;

    std::size_t kept = length;
    const wchar_t* extension = L"";
    for (std::size_t i = length; i > 0; --i) {
        if (modulePath[i - 1] == L'.') {
            kept = i - 1;
            extension = L".ini";
            break;
        }
    }

    std::wmemcpy(settingsPath, modulePath, kept);
    std::wmemcpy(settingsPath + kept, extension, std::wcslen(extension) + 1);
}
