#pragma once

#include <cstddef>

// Reads string `key` ("ProductName", "ProductVersion") of the version resource of the file at
// `path`, mapped as data: none of its code runs, and nothing it imports is loaded. Kernel32
// alone. False when the file has no such string.
bool ReadFileVersionString(const wchar_t* path, const char* key, char* text, std::size_t capacity);

// Whether the file at `path` is a StickShift build, by its version resource, never its name.
bool IsStickShiftFile(const wchar_t* path);
