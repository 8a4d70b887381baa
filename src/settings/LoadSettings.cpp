#include "settings/LoadSettings.h"

#include "settings/SettingsRules.h"
#include "shared/SharedValues.h"

void LoadSettings(HMODULE module) {
    char modulePath[ModulePathCapacity];
    if (GetModuleFileNameA(module, modulePath, ModulePathCapacity) == 0)
        return;
    char settingsPath[SettingsPathCapacity];
    BuildSettingsPath(modulePath, settingsPath);
    LoadSettingsFromFile(settingsPath);
}

void LoadSettingsFromFile(const char* settingsPath) {
    // The profile routine answers unsigned; negative values in the file come back as their
    // two's complement, so the result is taken as signed.
    const auto onPercent = static_cast<std::int32_t>(GetPrivateProfileIntA(
        SettingsSection, ThresholdOnKey, DefaultThresholdOnPct, settingsPath));
    const auto offPercent = static_cast<std::int32_t>(GetPrivateProfileIntA(
        SettingsSection, ThresholdOffKey, DefaultThresholdOffPct, settingsPath));
    ThresholdOn = PercentToStickUnits(onPercent);
    ThresholdOff = PercentToStickUnits(offPercent);
}
