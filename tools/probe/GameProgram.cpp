#include "GameProgram.h"

#include <cstring>

#include "shared/PeImage.h"

namespace {

const char* const XInputLibraries[] = {"xinput1_1.dll", "xinput1_2.dll", "xinput1_3.dll",
                                       "xinput1_4.dll", "xinput9_1_0.dll"};

// Records the library named at `offset` if it is XInput's.
bool IsXInput(const PeImage& image, std::size_t offset, GameProgramFacts& facts) {
    if (offset == 0)
        return false;
    char name[16] = "";
    for (std::size_t i = 0; i < sizeof name - 1; ++i) {
        const char c = static_cast<char>(PeAt(image, offset + i, 1));
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
    PeImage image;
    if (ReadPeHeaders(bytes, size, image) != PeHeadersRead)
        return false;
    facts.machine = image.machine;
    facts.bits = facts.machine == 0x8664 ? 64 : facts.machine == 0x14C ? 32 : 0;

    // Imports, then delay-loaded imports; a bounded walk, for a file that never ends its list.
    if (const std::size_t imports = PeDirectory(image, 1)) {
        for (unsigned i = 0; i < 4096 && facts.xinput[0] == '\0'; ++i) {
            const std::uint64_t nameRva = PeAt(image, imports + 20 * i + 12, 4);
            if (nameRva == 0)
                break;
            IsXInput(image, PeFileOffset(image, nameRva), facts);
        }
    }
    if (const std::size_t delayed = PeDirectory(image, 13)) {
        for (unsigned i = 0; i < 4096 && facts.xinput[0] == '\0'; ++i) {
            std::uint64_t nameRva = PeAt(image, delayed + 32 * i + 4, 4);
            if (nameRva == 0)
                break;
            if ((PeAt(image, delayed + 32 * i, 4) & 1) == 0) // old style: an address, not an RVA
                nameRva -= image.imageBase;
            facts.xinputDelayLoaded = IsXInput(image, PeFileOffset(image, nameRva), facts);
        }
    }
    // .NET: IL only, and not marked for 32-bit: Windows runs it as 64-bit where it can.
    if (const std::size_t runtime = PeDirectory(image, 14)) {
        const std::uint64_t flags = PeAt(image, runtime + 16, 4);
        facts.anyCpuDotNet = (flags & 0x1) != 0 && (flags & 0x2) == 0;
    }
    return true;
}

bool ExportsXInputGetStateAtOrdinal2(const unsigned char* bytes, std::size_t size) {
    PeImage image;
    const std::size_t exports =
        ReadPeHeaders(bytes, size, image) == PeHeadersRead ? PeDirectory(image, 0) : 0;
    if (exports == 0)
        return false;
    const std::uint64_t base = PeAt(image, exports + 16, 4);
    const std::uint64_t functions = PeAt(image, exports + 20, 4);
    const std::uint64_t names = PeAt(image, exports + 24, 4);
    const std::size_t addresses = PeFileOffset(image, PeAt(image, exports + 28, 4));
    const std::size_t nameTable = PeFileOffset(image, PeAt(image, exports + 32, 4));
    const std::size_t ordinalTable = PeFileOffset(image, PeAt(image, exports + 36, 4));
    if (base > 2 || 2 - base >= functions || addresses == 0 ||
        PeAt(image, addresses + 4 * (2 - base), 4) == 0)
        return false;
    // The name whose ordinal it is; a bounded walk, for a table that claims too much.
    for (std::uint64_t i = 0; i < names && i < 4096 && nameTable != 0 && ordinalTable != 0; ++i) {
        if (PeAt(image, ordinalTable + 2 * i, 2) != 2 - base)
            continue;
        const std::size_t name = PeFileOffset(image, PeAt(image, nameTable + 4 * i, 4));
        const char expected[] = "XInputGetState";
        for (std::size_t c = 0; c < sizeof expected; ++c)
            if (name == 0 || PeAt(image, name + c, 1) != static_cast<unsigned char>(expected[c]))
                return false;
        return true;
    }
    return false;
}
