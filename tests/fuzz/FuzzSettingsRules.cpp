// libFuzzer target: the settings rules against plain reference computations, under ASan and
// UBSan. The module path is given in exactly its 260-character buffer, on the heap, with or
// without a terminator, so that any read or write beyond the buffers is caught.

#include "settings/SettingsRules.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The exact product pct * 32767 / 100 has a fraction that is a multiple of 1/100, so integer
// division truncates it exactly as a correctly rounded floating-point product would be.
std::int32_t ReferenceStickUnits(std::int32_t percent) {
    const std::int64_t units = static_cast<std::int64_t>(percent) * 32767 / 100;
    return units > INT32_MAX || units < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(units);
}

std::string ReferenceSettingsPath(const char* modulePath) {
    const std::string path(modulePath, strnlen(modulePath, ModulePathCapacity));
    const std::size_t dot = path.rfind('.');
    return dot == std::string::npos ? path : path.substr(0, dot) + ".ini";
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

    auto* modulePath = new char[ModulePathCapacity];
    std::memset(modulePath, 'x', ModulePathCapacity); // no terminator unless the input has one
    std::memcpy(modulePath, data, size < ModulePathCapacity ? size : ModulePathCapacity);
    auto* settingsPath = new char[SettingsPathCapacity];

    BuildSettingsPath(*reinterpret_cast<const char(*)[ModulePathCapacity]>(modulePath),
                      *reinterpret_cast<char(*)[SettingsPathCapacity]>(settingsPath));

    const std::size_t length = strnlen(settingsPath, SettingsPathCapacity);
    if (length == SettingsPathCapacity ||
        std::string(settingsPath, length) != ReferenceSettingsPath(modulePath))
        std::abort();

    delete[] settingsPath;
    delete[] modulePath;
    return 0;
}
