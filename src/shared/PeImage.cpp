#include "shared/PeImage.h"

bool PeRead(const PeImage& image, std::size_t offset, std::size_t width, std::uint64_t& value) {
    if (offset > image.size || width > image.size - offset)
        return false;
    value = 0;
    for (std::size_t i = width; i > 0; --i)
        value = value << 8 | image.bytes[offset + i - 1];
    return true;
}

std::uint64_t PeAt(const PeImage& image, std::size_t offset, std::size_t width) {
    std::uint64_t value = 0;
    return PeRead(image, offset, width, value) ? value : 0;
}

PeHeaders ReadPeHeaders(const unsigned char* bytes, std::size_t size, PeImage& image) {
    image = {};
    image.bytes = bytes;
    image.size = size;
    if (PeAt(image, 0, 2) != 0x5A4D)
        return PeNotAProgram;
    std::uint64_t peOffset, signature, magic;
    if (!PeRead(image, 0x3C, 4, peOffset) || !PeRead(image, peOffset, 4, signature))
        return PeCutShort;
    if (signature != 0x00004550)
        return PeNotAProgram;
    const std::size_t fileHeader = static_cast<std::size_t>(peOffset) + 4;
    const std::size_t optional = fileHeader + 20;
    if (!PeRead(image, optional, 2, magic))
        return PeCutShort;
    if (magic != 0x10B && magic != 0x20B)
        return PeNotAProgram;
    image.wide = magic == 0x20B;
    image.machine = static_cast<std::uint16_t>(PeAt(image, fileHeader, 2));
    image.sectionCount = static_cast<unsigned>(PeAt(image, fileHeader + 2, 2));
    image.sections = optional + PeAt(image, fileHeader + 16, 2);
    image.imageBase = image.wide ? PeAt(image, optional + 24, 8) : PeAt(image, optional + 28, 4);
    image.directories = optional + (image.wide ? 112 : 96);
    if (!PeRead(image, optional + (image.wide ? 108 : 92), 4, image.directoryCount) ||
        image.sections + 40 * static_cast<std::size_t>(image.sectionCount) > size)
        return PeCutShort;
    return PeHeadersRead;
}

std::size_t PeFileOffset(const PeImage& image, std::uint64_t rva) {
    for (unsigned i = 0; i < image.sectionCount; ++i) {
        const std::size_t header = image.sections + 40 * i;
        const std::uint64_t start = PeAt(image, header + 12, 4);
        const std::uint64_t length = PeAt(image, header + 16, 4); // as much as the file holds
        if (rva >= start && rva < start + length)
            return static_cast<std::size_t>(rva - start + PeAt(image, header + 20, 4));
    }
    return 0;
}

std::size_t PeDirectory(const PeImage& image, unsigned index, std::uint64_t* size) {
    const std::size_t entry = image.directories + 8 * index;
    const std::uint64_t rva = index < image.directoryCount ? PeAt(image, entry, 4) : 0;
    if (size != nullptr)
        *size = rva != 0 ? PeAt(image, entry + 4, 4) : 0;
    return rva != 0 ? PeFileOffset(image, rva) : 0;
}
