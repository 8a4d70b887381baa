#include "shared/VersionResource.h"

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

} // namespace

bool ReadVersionString(const unsigned char* resource, std::size_t size, const char* key, char* text,
                       std::size_t capacity) {
    return resource != nullptr && FindString(resource, 0, size, 0, key, text, capacity);
}
