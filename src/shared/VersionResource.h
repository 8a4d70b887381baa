#pragma once

#include <cstddef>

// Reads one string of a file's version resource (VS_VERSIONINFO, as FindResource gives it), such
// as "ProductName" or "ProductVersion", in its first string table. Reads untrusted bytes: every
// length is checked against `size`. Characters beyond ASCII read as '?'. False when the resource
// holds no such string or it does not fit in `capacity` with its terminator.
bool ReadVersionString(const unsigned char* resource, std::size_t size, const char* key, char* text,
                       std::size_t capacity);

// Whose a Windows file is, told by the ProductName of its version resource, read from the
// file's own bytes: the same on every bitness, Windows and Wine, and nothing of it is loaded.
enum FileOwner {
    FileNotStickShift, // another program or library, or no program at all
    FileStickShift,
    FileCannotTell, // cut short or malformed where the answer lies: never to be taken as either
};

// `version` gets a StickShift file's ProductVersion ("" where it has none).
FileOwner ReadFileOwner(const unsigned char* bytes, std::size_t size, char* version,
                        std::size_t capacity);
