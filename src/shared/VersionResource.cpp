#include "shared/VersionResource.h"

#include <cstring>

#include "shared/PeImage.h"

namespace {

unsigned Word(const unsigned char* bytes, std::size_t offset) {
    return bytes[offset] | bytes[offset + 1] << 8;
}

std::size_t Aligned(std::size_t offset) {
    return (offset + 3) & ~static_cast<std::size_t>(3);
}

// Looks for `key` among the nodes from `offset` to `end`, and below them, to three levels:
// VS_VERSIONINFO, StringFileInfo, a string table, its strings.
bool FindString(const unsigned char* bytes, std::size_t offset, std::size_t end, int depth,
                const char* key, char* text, std::size_t capacity) {
    while (depth < 4 && offset + 6 <= end) {
        const std::size_t length = Word(bytes, offset);
        const std::size_t valueLength = Word(bytes, offset + 2);
        const bool textValue = Word(bytes, offset + 4) == 1;
        if (length < 6 || length > end - offset)
            return false;
        const std::size_t nodeEnd = offset + length;
        // The node's name, compared with `key` as it goes.
        std::size_t at = offset + 6;
        bool same = true;
        std::size_t i = 0;
        for (;; ++i, at += 2) {
            if (at + 2 > nodeEnd)
                return false;
            const unsigned c = Word(bytes, at);
            if (c == 0)
                break;
            same = same && key[i] == static_cast<char>(c) && c < 128;
        }
        same = same && key[i] == '\0';
        const std::size_t value = Aligned(at + 2);
        const std::size_t valueBytes = textValue ? 2 * valueLength : valueLength;
        if (same && depth == 3 && textValue) {
            std::size_t n = 0;
            for (; n < valueLength && value + 2 * n + 2 <= nodeEnd; ++n) {
                const unsigned c = Word(bytes, value + 2 * n);
                if (c == 0)
                    break;
                if (n + 1 >= capacity)
                    return false;
                text[n] = c < 128 ? static_cast<char>(c) : '?';
            }
            if (capacity == 0)
                return false;
            text[n] = '\0';
            return true;
        }
        // A string table's name is its language: its strings are its children.
        const std::size_t children = Aligned(value + valueBytes);
        if (children < nodeEnd &&
            FindString(bytes, children, nodeEnd, depth + 1, key, text, capacity))
            return true;
        offset = Aligned(nodeEnd);
        if (depth == 0)
            return false; // one VS_VERSIONINFO
    }
    return false;
}

enum Lookup { Found, Absent, Malformed };

// Entry `id` (0: the first) of the resource directory at `directory`, among those named by
// number; `target` gets where it points. Offsets in the resource tree count from `root`.
Lookup FindResourceEntry(const PeImage& image, std::size_t root, std::size_t directory, unsigned id,
                         bool subdirectory, std::size_t& target) {
    std::uint64_t named, numbered;
    if (!PeRead(image, directory + 12, 2, named) || !PeRead(image, directory + 14, 2, numbered))
        return Malformed;
    for (std::size_t i = named; i < named + numbered; ++i) {
        std::uint64_t name, data;
        if (!PeRead(image, directory + 16 + 8 * i, 4, name) ||
            !PeRead(image, directory + 20 + 8 * i, 4, data))
            return Malformed;
        if (id != 0 && (name & 0xFFFF) != id)
            continue;
        if (((data & 0x80000000) != 0) != subdirectory)
            return Malformed;
        target = root + static_cast<std::size_t>(data & 0x7FFFFFFF);
        return Found;
    }
    return Absent;
}

} // namespace

FileOwner ReadFileOwner(const unsigned char* bytes, std::size_t size, char* version,
                        std::size_t capacity) {
    if (capacity > 0)
        version[0] = '\0';
    PeImage image;
    switch (ReadPeHeaders(bytes, size, image)) {
    case PeNotAProgram:
        return FileNotStickShift;
    case PeCutShort:
        return FileCannotTell;
    case PeHeadersRead:
        break;
    }
    // The resources, if any; in them the version resource (type 16, VS_VERSION_INFO 1).
    std::uint64_t rva = 0;
    if (image.directoryCount > 2 && !PeRead(image, image.directories + 16, 4, rva))
        return FileCannotTell;
    if (rva == 0)
        return FileNotStickShift;
    const std::size_t root = PeDirectory(image, 2);
    if (root == 0)
        return FileCannotTell;
    // Three levels: type, name, language; the language's entry points to the data.
    std::size_t names = 0, languages = 0, entry = 0;
    Lookup lookup = FindResourceEntry(image, root, root, 16, true, names);
    if (lookup == Found)
        lookup = FindResourceEntry(image, root, names, 1, true, languages);
    if (lookup == Found)
        lookup = FindResourceEntry(image, root, languages, 0, false, entry);
    if (lookup != Found)
        return lookup == Absent ? FileNotStickShift : FileCannotTell;
    std::uint64_t dataRva, dataSize;
    if (!PeRead(image, entry, 4, dataRva) || !PeRead(image, entry + 4, 4, dataSize))
        return FileCannotTell;
    const std::size_t data = PeFileOffset(image, dataRva);
    if (data == 0 || data > size || dataSize > size - data)
        return FileCannotTell;
    char product[16];
    if (!ReadVersionString(bytes + data, static_cast<std::size_t>(dataSize), "ProductName", product,
                           sizeof product) ||
        std::strcmp(product, "StickShift") != 0)
        return FileNotStickShift;
    if (!ReadVersionString(bytes + data, static_cast<std::size_t>(dataSize), "ProductVersion",
                           version, capacity) &&
        capacity > 0)
        version[0] = '\0';
    return FileStickShift;
}

bool ReadVersionString(const unsigned char* resource, std::size_t size, const char* key, char* text,
                       std::size_t capacity) {
    return resource != nullptr && FindString(resource, 0, size, 0, key, text, capacity);
}
