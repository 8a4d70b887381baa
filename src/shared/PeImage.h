#pragma once

#include <cstddef>
#include <cstdint>

// The headers of a Windows program or library, read from its file's bytes. Reads untrusted
// bytes: every offset is checked against the file's size.
struct PeImage {
    const unsigned char* bytes;
    std::size_t size;
    std::uint16_t machine;
    bool wide; // PE32+, a 64-bit image
    std::uint64_t imageBase;
    std::size_t sections; // the section table's offset
    unsigned sectionCount;
    std::size_t directories; // the data directories' offset
    std::uint64_t directoryCount;
};

enum PeHeaders {
    PeNotAProgram, // no MZ and PE signature: no program or library at all
    PeCutShort,    // the signature is there, but the headers end before they should
    PeHeadersRead,
};

PeHeaders ReadPeHeaders(const unsigned char* bytes, std::size_t size, PeImage& image);

// The `width` bytes at `offset`, little-endian; false past the end of the file.
bool PeRead(const PeImage& image, std::size_t offset, std::size_t width, std::uint64_t& value);
// The same, 0 past the end of the file.
std::uint64_t PeAt(const PeImage& image, std::size_t offset, std::size_t width);
// Where the section holding `rva` keeps it in the file; 0 when no section does.
std::size_t PeFileOffset(const PeImage& image, std::uint64_t rva);
// Data directory `index` (1 imports, 2 resources, 13 delay-loaded imports, 14 .NET): its
// offset in the file, and its size; an offset of 0 where the image has none.
std::size_t PeDirectory(const PeImage& image, unsigned index, std::uint64_t* size = nullptr);
