#include "settings/SettingsRules.h"

#include <cstring>
#include <cwchar>

std::int32_t PercentToStickUnits(std::int32_t percent) {
    const double stickUnits = static_cast<double>(percent) / 100.0 * 32767.0;
    // Checked before converting: an out-of-range double-to-int conversion is undefined in C++.
    if (stickUnits >= 2147483648.0 || stickUnits <= -2147483649.0)
        return INT32_MIN;
    return static_cast<std::int32_t>(stickUnits);
}

void BuildSettingsPath(const wchar_t (&modulePath)[ModulePathCapacity],
                       wchar_t (&settingsPath)[SettingsPathCapacity], const wchar_t* fileName) {
    std::size_t length = 0;
    while (length < ModulePathCapacity && modulePath[length] != L'\0')
        ++length;

    if (fileName != nullptr) {
        std::size_t folder = length;
        while (folder > 0 && modulePath[folder - 1] != L'\\')
            --folder;
        std::wmemcpy(settingsPath, modulePath, folder);
        std::size_t i = 0;
        for (; fileName[i] != L'\0' && folder + i < SettingsPathCapacity - 1; ++i)
            settingsPath[folder + i] = fileName[i];
        settingsPath[folder + i] = L'\0';
        return;
    }

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

namespace {

// Kept small: the table is part of the module. A controller button has its bit instead of a
// virtual-key code, and a "Pad" prefix that no keyboard key's name has.
struct KeyName {
    char name[9];
    std::uint8_t virtualKey;
    std::uint16_t padButton;
};

constexpr KeyName KeyNames[] = {
    {"LShift", 0xA0, 0},    {"RShift", 0xA1, 0},     {"LCtrl", 0xA2, 0},   {"RCtrl", 0xA3, 0},
    {"LAlt", 0xA4, 0},      {"RAlt", 0xA5, 0},       {"Space", 0x20, 0},   {"Tab", 0x09, 0},
    {"PadLS", 0, 0x0040},   {"PadRS", 0, 0x0080},    {"PadA", 0, 0x1000},  {"PadB", 0, 0x2000},
    {"PadX", 0, 0x4000},    {"PadY", 0, 0x8000},     {"PadLB", 0, 0x0100}, {"PadRB", 0, 0x0200},
    {"PadBack", 0, 0x0020}, {"PadStart", 0, 0x0010}, {"PadUp", 0, 0x0001}, {"PadDown", 0, 0x0002},
    {"PadLeft", 0, 0x0004}, {"PadRight", 0, 0x0008},
};

constexpr const char* ModeNames[] = {"Hold", "Tap", "Toggle"};           // by KeyMode
constexpr const char* TriggerNames[] = {"Off", "Left", "Right", "Both"}; // by PauseTrigger

// Right Ctrl and right Alt: their scan codes have the E0 prefix.
bool IsExtended(std::uint8_t virtualKey) {
    return virtualKey == 0xA3 || virtualKey == 0xA5;
}

wchar_t Upper(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// Whether text[0..length) spells `name`, letter case aside.
bool Spells(const wchar_t* text, std::size_t length, const char* name) {
    std::size_t i = 0;
    for (; i < length && name[i] != '\0'; ++i) {
        if (Upper(text[i]) != Upper(static_cast<wchar_t>(name[i])))
            return false;
    }
    return i == length && name[i] == '\0';
}

// The name that `text` holds, blanks around it aside; false when it fills the buffer.
bool TrimmedName(const wchar_t (&text)[KeyNameCapacity], const wchar_t*& name,
                 std::size_t& length) {
    std::size_t end = 0;
    while (end < KeyNameCapacity && text[end] != L'\0')
        ++end;
    if (end >= KeyNameCapacity - 1)
        return false;
    std::size_t begin = 0;
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    name = text + begin;
    length = end - begin;
    return true;
}

} // namespace

bool KeyFromName(const wchar_t (&text)[KeyNameCapacity], HoldableKey& key) {
    key = LeftShift;
    const wchar_t* name;
    std::size_t length;
    if (!TrimmedName(text, name, length))
        return false;
    if (length == 1) {
        const wchar_t c = Upper(name[0]);
        if ((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')) {
            // A letter's or digit's virtual-key code is its upper-case character.
            key = {static_cast<std::uint16_t>(c), 0, false, {static_cast<char>(c)}, 0};
            return true;
        }
    }
    for (const KeyName& named : KeyNames) {
        // Shift, Ctrl and Alt alone mean the left one.
        if (!Spells(name, length, named.name) &&
            !(named.name[0] == 'L' && Spells(name, length, named.name + 1)))
            continue;
        if (named.virtualKey != LeftShiftVirtualKey) {
            key = {named.virtualKey, 0, IsExtended(named.virtualKey), {}, named.padButton};
            std::memcpy(key.name, named.name, sizeof key.name);
        }
        return true;
    }
    return false;
}

bool IsBlankName(const wchar_t (&text)[KeyNameCapacity]) {
    const wchar_t* name;
    std::size_t length;
    return TrimmedName(text, name, length) && length == 0;
}

bool HoldableKeyAt(std::size_t index, HoldableKey& key) {
    constexpr std::size_t named = sizeof KeyNames / sizeof KeyNames[0];
    wchar_t name[KeyNameCapacity] = {};
    if (index < named) {
        for (std::size_t i = 0; KeyNames[index].name[i] != '\0'; ++i)
            name[i] = static_cast<wchar_t>(KeyNames[index].name[i]);
    } else if (index < named + 26 + 10) {
        name[0] = static_cast<wchar_t>(index < named + 26 ? L'A' + (index - named)
                                                          : L'0' + (index - named - 26));
    } else {
        return false;
    }
    return KeyFromName(name, key);
}

namespace {

// Which of `count` names `text` spells, letter case and blanks around it aside: its index, or
// -1, also for a text that fills its buffer (perhaps cut short). `blank`: nothing but blanks.
template <std::size_t count>
int NameIndex(const wchar_t (&text)[KeyNameCapacity], const char* const (&names)[count],
              bool& blank) {
    const wchar_t* name;
    std::size_t length;
    blank = false;
    if (!TrimmedName(text, name, length))
        return -1;
    blank = length == 0;
    for (std::size_t named = 0; named < count; ++named)
        if (Spells(name, length, names[named]))
            return static_cast<int>(named);
    return -1;
}

} // namespace

bool KeyModeFromName(const wchar_t (&text)[KeyNameCapacity], KeyMode& mode) {
    bool blank;
    const int named = NameIndex(text, ModeNames, blank);
    mode = named < 0 ? HoldMode : static_cast<KeyMode>(named);
    return named >= 0;
}

bool PauseTriggerFromName(const wchar_t (&text)[KeyNameCapacity], PauseTrigger& trigger) {
    bool blank;
    const int named = NameIndex(text, TriggerNames, blank);
    trigger = named < 0 ? PauseNever : static_cast<PauseTrigger>(named);
    return named >= 0 || blank;
}

const char* PauseTriggerName(PauseTrigger trigger) {
    return TriggerNames[trigger];
}

InnerRingUse InnerRingUseFor(const HoldableKey& innerKey, const HoldableKey& outerKey,
                             std::int32_t innerOn, std::int32_t innerOff, std::int32_t outerOff) {
    const auto square = [](std::int32_t units) { return std::int64_t{units} * units; };
    if (innerKey.virtualKey == outerKey.virtualKey && innerKey.padButton == outerKey.padButton)
        return InnerRingSameKey;
    if (square(innerOn) > square(outerOff))
        return InnerRingBeyondOuter;
    if (square(innerOff) > square(innerOn))
        return InnerRingBackwards;
    return InnerRingUsed;
}

const char* KeyModeName(KeyMode mode) {
    return ModeNames[mode];
}

bool ControllerIndexFromNumber(std::int32_t number, unsigned long& index) {
    const bool usable = number >= 1 && number <= 4;
    index = usable ? static_cast<unsigned long>(number - 1) : 0;
    return usable;
}

bool IsWholeNumber(const wchar_t* text) {
    while (IsBlank(*text))
        ++text;
    if (*text == L'+' || *text == L'-')
        ++text;
    const wchar_t* digits = text;
    while (*text >= L'0' && *text <= L'9')
        ++text;
    const bool anyDigit = text != digits;
    while (IsBlank(*text))
        ++text;
    return anyDigit && *text == L'\0';
}
