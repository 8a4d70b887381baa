#pragma once

#include <cstddef>

// Reads one string of a file's version resource (VS_VERSIONINFO, as FindResource gives it), such
// as "ProductName" or "ProductVersion", in its first string table. Reads untrusted bytes: every
// length is checked against `size`. Characters beyond ASCII read as '?'. False when the resource
// holds no such string or it does not fit in `capacity` with its terminator.
bool ReadVersionString(const unsigned char* resource, std::size_t size, const char* key, char* text,
                       std::size_t capacity);
