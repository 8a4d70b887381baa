#pragma once

#include <cstddef>
#include <cstdint>

// What a program's headers tell a player about StickShift: which zip suits it, and which XInput
// library it imports, so which file of no-loader/ to copy. Reads untrusted bytes: every offset
// is checked against the file's size.
struct GameProgramFacts {
    unsigned bits; // 32 or 64; 0 for another processor
    std::uint16_t machine;
    bool anyCpuDotNet; // .NET for any CPU: runs as 64-bit on 64-bit Windows
    char xinput[16];   // the XInput library it imports, in lower case; empty for none
    bool xinputDelayLoaded;
};

// False when `bytes` is not a Windows program or library.
bool ReadGameProgram(const unsigned char* bytes, std::size_t size, GameProgramFacts& facts);

// Whether the library exports XInputGetState at ordinal 2, by that name, as Windows' own
// xinput1_4.dll does: a game's or a loader's file of that name that the plug-in form's import
// would reach.
bool ExportsXInputGetStateAtOrdinal2(const unsigned char* bytes, std::size_t size);
