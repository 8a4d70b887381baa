#include "SettingsWords.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "GameFolder.h"
#include "settings/SettingsEdit.h"
#include "shared/SharedValues.h"
#include "watcher/KeyDecision.h"

namespace {

std::string Line(const char* format, ...) {
    char line[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    return line;
}

double Percent(std::int32_t stickUnits) {
    return stickUnits / 32767.0 * 100.0;
}

std::string FirstBytes(const wchar_t* path) {
    char bytes[3] = {};
    DWORD read = 0;
    const HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ReadFile(file, bytes, sizeof bytes, &read, nullptr);
        CloseHandle(file);
    }
    return std::string(bytes, read);
}

} // namespace

UnusableSettings LoadSettingsForTools(const wchar_t* settingsPath) {
    UnusableSettings unusable = LoadSettingsFromFile(settingsPath);
    unusable.controller =
        unusable.controller || (InFile(settingsPath, ControllerKey) &&
                                !IsWholeNumber(ValueText(settingsPath, ControllerKey).c_str()));
    return unusable;
}

std::wstring ValueText(const wchar_t* settingsPath, const wchar_t* key) {
    wchar_t value[64];
    GetPrivateProfileStringW(SettingsSection, key, L"", value, 64, settingsPath);
    return value;
}

bool InFile(const wchar_t* settingsPath, const wchar_t* key) {
    wchar_t value[2];
    return GetPrivateProfileStringW(SettingsSection, key, L"\x1", value, 2, settingsPath) != 1 ||
           value[0] != L'\x1';
}

const char* FocusLabel() {
    return OnlyWhenFocused ? "only while a window of the game has the foreground"
                           : "whichever window has the focus";
}

const char* DirectionLabel() {
    return ForwardOnly ? "only a push within 60 degrees of forward (let go beyond 80)"
                       : "a push in any direction";
}

const char* TriggerLabel(PauseTrigger trigger) {
    const char* const labels[] = {"no trigger", "the left trigger", "the right trigger",
                                  "either trigger"};
    return labels[trigger];
}

std::vector<std::string> SettingsSurprises(const wchar_t* settingsPath, UnusableSettings unusable) {
    std::vector<std::string> lines;
    // Wine reads such a file, so nothing run here shows what Windows does with it.
    if (HasUtf8Mark(FirstBytes(settingsPath)))
        lines.push_back("The file is saved as UTF-8 with BOM: Windows may read none of its "
                        "settings (save it as ANSI or UTF-8 without BOM; a save here drops the "
                        "mark)");
    const auto text = [settingsPath](const wchar_t* key) {
        return Utf8(ValueText(settingsPath, key));
    };
    // A percentage that is not a number, with what it reads as.
    const auto sayIfNotANumber = [&](const wchar_t* key, std::int32_t stickUnits) {
        if (InFile(settingsPath, key) && !IsWholeNumber(ValueText(settingsPath, key).c_str()))
            lines.push_back(Line("%ls \"%s\" is not a number: it reads as %.1f %%", key,
                                 text(key).c_str(), Percent(stickUnits)));
    };
    sayIfNotANumber(ThresholdOnKey, ThresholdOn);
    sayIfNotANumber(ThresholdOffKey, ThresholdOff);
    if (SquareThreshold(ThresholdOff) > SquareThreshold(ThresholdOn))
        lines.push_back(Line("%ls lies beyond %ls: the key goes down and up on every poll while "
                             "the stick is between the two circles",
                             ThresholdOffKey, ThresholdOnKey));
    if (unusable.key)
        lines.push_back(Line("%ls \"%s\" is not a key StickShift knows: it holds %s", KeyNameKey,
                             text(KeyNameKey).c_str(), HeldKey.name));
    if (unusable.controller)
        lines.push_back(Line("%ls \"%s\" is not a controller from 1 to 4: it reads controller %lu",
                             ControllerKey, text(ControllerKey).c_str(), ControllerIndex + 1));
    if (unusable.mode)
        lines.push_back(Line("%ls \"%s\" is not a mode StickShift knows: it works the key as %s",
                             ModeKey, text(ModeKey).c_str(), KeyModeName(Mode)));
    const auto notZeroOrOne = [settingsPath](const wchar_t* key) {
        const std::wstring value = ValueText(settingsPath, key);
        return InFile(settingsPath, key) && value != L"0" && value != L"1";
    };
    if (notZeroOrOne(OnlyWhenFocusedKey))
        lines.push_back(Line("%ls \"%s\" is not 0 or 1: it acts %s", OnlyWhenFocusedKey,
                             text(OnlyWhenFocusedKey).c_str(), FocusLabel()));
    if (notZeroOrOne(ForwardOnlyKey))
        lines.push_back(Line("%ls \"%s\" is not 0 or 1: it counts %s", ForwardOnlyKey,
                             text(ForwardOnlyKey).c_str(), DirectionLabel()));
    if (unusable.innerKey)
        lines.push_back(Line("%ls \"%s\" is not a key StickShift knows: there is no inner ring",
                             InnerKeyKey, text(InnerKeyKey).c_str()));
    if (InnerRing || unusable.innerRing != InnerRingUsed) {
        sayIfNotANumber(InnerOnKey, InnerOn);
        sayIfNotANumber(InnerOffKey, InnerOff);
    }
    if (unusable.innerRing == InnerRingSameKey)
        lines.push_back(Line("%ls is the Key itself: there is no inner ring", InnerKeyKey));
    else if (unusable.innerRing == InnerRingBeyondOuter)
        lines.push_back(Line("%ls (%.1f %%) lies beyond %ls (%.1f %%): there is no inner ring",
                             InnerOnKey, Percent(InnerOn), ThresholdOffKey, Percent(ThresholdOff)));
    else if (unusable.innerRing == InnerRingBackwards)
        lines.push_back(Line("%ls (%.1f %%) lies beyond %ls (%.1f %%): there is no inner ring",
                             InnerOffKey, Percent(InnerOff), InnerOnKey, Percent(InnerOn)));
    if (unusable.pauseTrigger)
        lines.push_back(Line("%ls \"%s\" is not Left, Right or Both: no trigger lets go of the key",
                             PauseWhileTriggerKey, text(PauseWhileTriggerKey).c_str()));
    return lines;
}
