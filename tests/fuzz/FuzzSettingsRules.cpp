// libFuzzer target: the settings rules against plain reference computations, under ASan and
// UBSan. The module path and the key and mode names are each given in exactly their buffers, on
// the heap, with or without a terminator, so that any read or write beyond the buffers is caught.

#include "settings/SettingsRules.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

// The exact product pct * 32767 / 100 has a fraction that is a multiple of 1/100, so integer
// division truncates it exactly as a correctly rounded floating-point product would be.
std::int32_t ReferenceStickUnits(std::int32_t percent) {
    const std::int64_t units = static_cast<std::int64_t>(percent) * 32767 / 100;
    return units > INT32_MAX || units < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(units);
}

std::wstring ReferenceSettingsPath(const wchar_t* modulePath) {
    const std::wstring path(modulePath, wcsnlen(modulePath, ModulePathCapacity));
    const std::size_t dot = path.rfind(L'.');
    return dot == std::wstring::npos ? path : path.substr(0, dot) + L".ini";
}

// The input's first wide characters in exactly a name's buffer, on the heap.
wchar_t* NameBuffer(const std::uint8_t* data, std::size_t size) {
    auto* text = new wchar_t[KeyNameCapacity];
    std::wmemset(text, L'x', KeyNameCapacity);
    std::memcpy(text, data, std::min(size / sizeof(wchar_t), KeyNameCapacity) * sizeof(wchar_t));
    return text;
}

// Whatever the mode value holds, the mode is one the module knows: its own name reads back as it.
void CheckModeName(const std::uint8_t* data, std::size_t size) {
    wchar_t* text = NameBuffer(data, size);
    KeyMode mode;
    KeyModeFromName(*reinterpret_cast<const wchar_t(*)[KeyNameCapacity]>(text), mode);
    wchar_t name[KeyNameCapacity] = {};
    for (std::size_t i = 0; KeyModeName(mode)[i] != '\0'; ++i)
        name[i] = static_cast<unsigned char>(KeyModeName(mode)[i]);
    KeyMode again;
    if (!KeyModeFromName(name, again) || again != mode)
        std::abort();
    delete[] text;
}

// Whatever the key value holds, the key is one the module knows: its own name reads back as it.
void CheckKeyName(const std::uint8_t* data, std::size_t size) {
    wchar_t* text = NameBuffer(data, size);
    HoldableKey key;
    KeyFromName(*reinterpret_cast<const wchar_t(*)[KeyNameCapacity]>(text), key);

    wchar_t name[KeyNameCapacity] = {};
    for (std::size_t i = 0; i < sizeof key.name && key.name[i] != '\0'; ++i)
        name[i] = static_cast<unsigned char>(key.name[i]);
    HoldableKey again;
    if (!KeyFromName(name, again) || again.virtualKey != key.virtualKey ||
        again.extended != key.extended || again.padButton != key.padButton)
        std::abort();
    delete[] text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= sizeof(std::int32_t)) {
        std::int32_t percent;
        std::memcpy(&percent, data, sizeof percent);
        if (PercentToStickUnits(percent) != ReferenceStickUnits(percent))
            std::abort();
        data += sizeof percent;
        size -= sizeof percent;
    }

    CheckKeyName(data, size);
    CheckModeName(data, size);

    // The rest of the input is also the module path's wide characters, whatever their values.
    auto* modulePath = new wchar_t[ModulePathCapacity];
    std::wmemset(modulePath, L'x', ModulePathCapacity); // no terminator unless the input has one
    const std::size_t characters = std::min(size / sizeof(wchar_t), ModulePathCapacity);
    std::memcpy(modulePath, data, characters * sizeof(wchar_t));
    auto* settingsPath = new wchar_t[SettingsPathCapacity];

    BuildSettingsPath(*reinterpret_cast<const wchar_t(*)[ModulePathCapacity]>(modulePath),
                      *reinterpret_cast<wchar_t(*)[SettingsPathCapacity]>(settingsPath));

    const std::size_t length = wcsnlen(settingsPath, SettingsPathCapacity);
    if (length == SettingsPathCapacity ||
        std::wstring(settingsPath, length) != ReferenceSettingsPath(modulePath))
        std::abort();

    delete[] settingsPath;
    delete[] modulePath;
    return 0;
}
