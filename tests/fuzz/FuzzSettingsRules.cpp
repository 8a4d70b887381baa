// libFuzzer target: the settings rules against plain reference computations, under ASan and
// UBSan. The module path is given in exactly its 260-character buffer, on the heap, with or
// without a terminator, so that any read or write beyond the buffers is caught.

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

    // The rest of the input is the module path's wide characters, whatever their values.
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
