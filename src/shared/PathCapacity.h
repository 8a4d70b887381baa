#pragma once

#include <cstddef>

// The module path is fetched into MAX_PATH characters, which may come back without a
// terminator when the platform cut the path short. The settings path may swap the extension
// for ".ini", so it needs four more.
constexpr std::size_t ModulePathCapacity = 260;
constexpr std::size_t SettingsPathCapacity = ModulePathCapacity + 4;
