#include "settings/LoadSettings.h"

#include "shared/SharedValues.h"

void LoadSettings(HMODULE module) {
    wchar_t settingsPath[SettingsPathCapacity];
    if (SettingsPathOf(module, settingsPath))
        LoadSettingsFromFile(settingsPath);
}

bool SettingsPathOf(HMODULE module, wchar_t (&settingsPath)[SettingsPathCapacity]) {
    wchar_t modulePath[ModulePathCapacity];
    if (GetModuleFileNameW(module, modulePath, ModulePathCapacity) == 0)
        return false;
    BuildSettingsPath(modulePath, settingsPath);
    return true;
}

void LoadSettingsFromFile(const wchar_t* settingsPath) {
    // The profile routine answers unsigned; negative values in the file come back as their
    // two's complement, so the result is taken as signed.
    const auto onPercent = static_cast<std::int32_t>(GetPrivateProfileIntW(
        SettingsSection, ThresholdOnKey, DefaultThresholdOnPct, settingsPath));
    const auto offPercent = static_cast<std::int32_t>(GetPrivateProfileIntW(
        SettingsSection, ThresholdOffKey, DefaultThresholdOffPct, settingsPath));
    ThresholdOn = PercentToStickUnits(onPercent);
    ThresholdOff = PercentToStickUnits(offPercent);
}
