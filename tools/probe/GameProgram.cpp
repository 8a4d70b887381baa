#include "GameProgram.h"

#include <cstring>

namespace {

struct Image {
    const unsigned char* bytes;
    std::size_t size;
};

bool Read(const Image& image, std::size_t offset, std::size_t width, std::uint64_t& value) {
    if (offset > image.size || width > image.size - offset)
        return false;
    value = 0;
    for (std::size_t i = width; i > 0; --i)
        value = value << 8 | image.bytes[offset + i - 1];
    return true;
}

std::uint64_t At(const Image& image, std::size_t offset, std::size_t width) {
    std::uint64_t value = 0;
    return Read(image, offset, width, value) ? value : 0;
}

// Where the section holding `rva` keeps it in the file; 0 when no section does.
std::size_t FileOffset(const Image& image, std::size_t sections, unsigned count,
                       std::uint64_t rva) {
    for (unsigned i = 0; i < count; ++i) {
        const std::size_t header = sections + 40 * i;
        const std::uint64_t start = At(image, header + 12, 4);
        const std::uint64_t length = At(image, header + 16, 4); // as much as the file holds
        if (rva >= start && rva < start + length)
            return static_cast<std::size_t>(rva - start + At(image, header + 20, 4));
    }
    return 0;
}

const char* const XInputLibraries[] = {"xinput1_1.dll", "xinput1_2.dll", "xinput1_3.dll",
                                       "xinput1_4.dll", "xinput9_1_0.dll"};

// Records the library named at `offset` if it is XInput's.
bool IsXInput(const Image& image, std::size_t offset, GameProgramFacts& facts) {
    if (offset == 0)
        return false;
    char name[16] = "";
    for (std::size_t i = 0; i < sizeof name - 1; ++i) {
        const char c = static_cast<char>(At(image, offset + i, 1));
        if (c == '\0')
            break;
        name[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    for (const char* library : XInputLibraries) {
        if (std::strcmp(name, library) == 0) {
            std::memcpy(facts.xinput, name, sizeof facts.xinput);
            return true;
        }
    }
    return false;
}

} // namespace

bool ReadGameProgram(const unsigned char* bytes, std::size_t size, GameProgramFacts& facts) {
    facts = {};
    const Image image = {bytes, size};
    std::uint64_t peOffset;
    if (At(image, 0, 2) != 0x5A4D || !Read(image, 0x3C, 4, peOffset) ||
        At(image, peOffset, 4) != 0x00004550)
        return false;
    const std::size_t fileHeader = static_cast<std::size_t>(peOffset) + 4;
    const std::size_t optional = fileHeader + 20;
    facts.machine = static_cast<std::uint16_t>(At(image, fileHeader, 2));
    const unsigned sectionCount = static_cast<unsigned>(At(image, fileHeader + 2, 2));
    const std::size_t sections = optional + At(image, fileHeader + 16, 2);
    const std::uint64_t magic = At(image, optional, 2);
    if (magic != 0x10B && magic != 0x20B)
        return false;
    const bool wide = magic == 0x20B;
    facts.bits = facts.machine == 0x8664 ? 64 : facts.machine == 0x14C ? 32 : 0;
    const std::uint64_t imageBase =
        wide ? At(image, optional + 24, 8) : At(image, optional + 28, 4);
    const std::size_t directories = optional + (wide ? 112 : 96);
    const std::uint64_t directoryCount = At(image, optional + (wide ? 108 : 92), 4);
    const auto directory = [&](unsigned index) -> std::size_t {
        const std::uint64_t rva =
            index < directoryCount ? At(image, directories + 8 * index, 4) : 0;
        return rva != 0 ? FileOffset(image, sections, sectionCount, rva) : 0;
    };

    // Imports, then delay-loaded imports; a bounded walk, for a file that never ends its list.
    if (const std::size_t imports = directory(1)) {
        for (unsigned i = 0; i < 4096 && facts.xinput[0] == '\0'; ++i) {
            const std::uint64_t nameRva = At(image, imports + 20 * i + 12, 4);
            if (nameRva == 0)
                break;
            IsXInput(image, FileOffset(image, sections, sectionCount, nameRva), facts);
        }
    }
    if (const std::size_t delayed = directory(13)) {
        for (unsigned i = 0; i < 4096 && facts.xinput[0] == '\0'; ++i) {
            std::uint64_t nameRva = At(image, delayed + 32 * i + 4, 4);
            if (nameRva == 0)
                break;
            if ((At(image, delayed + 32 * i, 4) & 1) == 0) // old style: an address, not an RVA
                nameRva -= imageBase;
            facts.xinputDelayLoaded =
                IsXInput(image, FileOffset(image, sections, sectionCount, nameRva), facts);
        }
    }
    // .NET: IL only, and not marked for 32-bit: Windows runs it as 64-bit where it can.
    if (const std::size_t runtime = directory(14)) {
        const std::uint64_t flags = At(image, runtime + 16, 4);
        facts.anyCpuDotNet = (flags & 0x1) != 0 && (flags & 0x2) == 0;
    }
    return true;
}
