#include "settings/LoadSettings.h"

#include "shared/SharedValues.h"

wchar_t LoadedSettingsPath[SettingsPathCapacity] = L"";

void LoadSettings(HMODULE module, const wchar_t* fileName) {
    wchar_t modulePath[ModulePathCapacity];
    if (GetModuleFileNameW(module, modulePath, ModulePathCapacity) == 0)
        return;
    BuildSettingsPath(modulePath, LoadedSettingsPath, fileName);
    LoadSettingsFromFile(LoadedSettingsPath);
}

namespace {

// The profile routine answers unsigned; negative values in the file come back as their two's
// complement, so the result is taken as signed.
std::int32_t ReadNumber(const wchar_t* settingsPath, const wchar_t* key, std::int32_t fallback) {
    return static_cast<std::int32_t>(
        GetPrivateProfileIntW(SettingsSection, key, fallback, settingsPath));
}

} // namespace

UnusableSettings LoadSettingsFromFile(const wchar_t* settingsPath) {
    ThresholdOn =
        PercentToStickUnits(ReadNumber(settingsPath, ThresholdOnKey, DefaultThresholdOnPct));
    ThresholdOff =
        PercentToStickUnits(ReadNumber(settingsPath, ThresholdOffKey, DefaultThresholdOffPct));

    wchar_t keyName[KeyNameCapacity];
    GetPrivateProfileStringW(SettingsSection, KeyNameKey, DefaultKeyName, keyName, KeyNameCapacity,
                             settingsPath);
    HoldableKey key;
    const bool keyUsable = KeyFromName(keyName, key);
    HeldKey = key;

    const bool controllerUsable = ControllerIndexFromNumber(
        ReadNumber(settingsPath, ControllerKey, DefaultControllerNumber), ControllerIndex);

    wchar_t modeName[KeyNameCapacity];
    GetPrivateProfileStringW(SettingsSection, ModeKey, DefaultModeName, modeName, KeyNameCapacity,
                             settingsPath);
    const bool modeUsable = KeyModeFromName(modeName, Mode);
    OnlyWhenFocused =
        ReadNumber(settingsPath, OnlyWhenFocusedKey, DefaultOnlyWhenFocusedFor(Mode)) != 0;
    ForwardOnly = ReadNumber(settingsPath, ForwardOnlyKey, DefaultForwardOnly) != 0;

    wchar_t innerName[KeyNameCapacity];
    GetPrivateProfileStringW(SettingsSection, InnerKeyKey, L"", innerName, KeyNameCapacity,
                             settingsPath);
    const bool innerGiven = !IsBlankName(innerName);
    const bool innerKeyUsable = KeyFromName(innerName, InnerKey) || !innerGiven;
    InnerOn = PercentToStickUnits(ReadNumber(settingsPath, InnerOnKey, DefaultInnerOnPct));
    InnerOff = PercentToStickUnits(ReadNumber(settingsPath, InnerOffKey, DefaultInnerOffPct));
    const InnerRingUse innerUse =
        InnerRingUseFor(InnerKey, HeldKey, InnerOn, InnerOff, ThresholdOff);
    InnerRing = innerGiven && innerKeyUsable && innerUse == InnerRingUsed;

    wchar_t triggerName[KeyNameCapacity];
    GetPrivateProfileStringW(SettingsSection, PauseWhileTriggerKey, L"", triggerName,
                             KeyNameCapacity, settingsPath);
    const bool triggerUsable = PauseTriggerFromName(triggerName, PauseWhileTrigger);
    return {!keyUsable,
            !controllerUsable,
            !modeUsable,
            !innerKeyUsable,
            innerGiven && innerKeyUsable ? innerUse : InnerRingUsed,
            !triggerUsable};
}

void LookUpHeldKeyScanCode() {
    // Left Shift keeps its fixed scan code; the other keyboard keys take the layout's.
    HoldableKey* const keys[] = {&HeldKey, &InnerKey};
    for (HoldableKey* key : keys)
        if (key->scanCode == 0 && key->padButton == 0)
            key->scanCode = static_cast<std::uint16_t>(
                MapVirtualKeyW(key->virtualKey, MAPVK_VK_TO_VSC_EX) & 0xFF);
}
