#include "tuning/TunedSettings.h"

#include <cmath>
#include <cstring>

#include "settings/SettingsRules.h"
#include "watcher/KeyDecision.h"

namespace {

std::string Narrow(const wchar_t* text) {
    return std::string(text, text + std::wcslen(text));
}

} // namespace

std::int32_t PercentFromStickUnits(std::int32_t stickUnits) {
    return static_cast<std::int32_t>(std::lround(stickUnits * 100.0 / 32767.0));
}

std::vector<std::pair<std::string, std::string>> ChangedSettings(const TunedSettings& read,
                                                                 const TunedSettings& now) {
    std::vector<std::pair<std::string, std::string>> changes;
    if (now.onPct != read.onPct)
        changes.push_back({Narrow(ThresholdOnKey), std::to_string(now.onPct)});
    if (now.offPct != read.offPct)
        changes.push_back({Narrow(ThresholdOffKey), std::to_string(now.offPct)});
    if (std::strcmp(now.key.name, read.key.name) != 0)
        changes.push_back({Narrow(KeyNameKey), now.key.name});
    if (now.mode != read.mode)
        changes.push_back({Narrow(ModeKey), KeyModeName(now.mode)});
    if (now.controller != read.controller)
        changes.push_back({Narrow(ControllerKey), std::to_string(now.controller)});
    if (now.onlyWhenFocused != read.onlyWhenFocused ||
        (now.mode != read.mode &&
         static_cast<std::int32_t>(now.onlyWhenFocused) != DefaultOnlyWhenFocusedFor(now.mode)))
        changes.push_back({Narrow(OnlyWhenFocusedKey), now.onlyWhenFocused ? "1" : "0"});
    if (now.forwardOnly != read.forwardOnly)
        changes.push_back({Narrow(ForwardOnlyKey), now.forwardOnly ? "1" : "0"});
    if (now.innerRing != read.innerRing ||
        (now.innerRing && std::strcmp(now.innerKey.name, read.innerKey.name) != 0))
        changes.push_back({Narrow(InnerKeyKey), now.innerRing ? now.innerKey.name : ""});
    if (now.innerOnPct != read.innerOnPct)
        changes.push_back({Narrow(InnerOnKey), std::to_string(now.innerOnPct)});
    if (now.innerOffPct != read.innerOffPct)
        changes.push_back({Narrow(InnerOffKey), std::to_string(now.innerOffPct)});
    if (now.pause != read.pause)
        changes.push_back({Narrow(PauseWhileTriggerKey), PauseTriggerName(now.pause)});
    return changes;
}

std::int32_t PercentOfPush(std::int16_t x, std::int16_t y) {
    const double percent =
        std::sqrt(static_cast<double>(SquaredDeflection(x, y))) * 100.0 / 32767.0;
    return percent >= 100.0 ? 100 : static_cast<std::int32_t>(percent);
}

TunedSettings DefaultTunedSettings() {
    wchar_t name[KeyNameCapacity] = {};
    for (std::size_t i = 0; DefaultKeyName[i] != L'\0' && i + 1 < KeyNameCapacity; ++i)
        name[i] = DefaultKeyName[i];
    HoldableKey key;
    KeyFromName(name, key);
    return {DefaultThresholdOnPct,
            DefaultThresholdOffPct,
            key,
            HoldMode,
            DefaultControllerNumber,
            DefaultOnlyWhenFocusedFor(HoldMode),
            DefaultForwardOnly != 0,
            false,
            LeftShift,
            DefaultInnerOnPct,
            DefaultInnerOffPct,
            PauseNever};
}
