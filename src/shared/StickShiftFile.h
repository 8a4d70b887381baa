#pragma once

#include "shared/VersionResource.h"

// Whose the file at `path` is, by its version resource, never its name. Its bytes are read as
// data: none of its code runs, and nothing it imports is loaded. Kernel32 alone.
struct FileOwnership {
    FileOwner owner;
    char version[24];       // a StickShift file's ProductVersion
    const char* cannotTell; // with FileCannotTell, why: "another program holds it open"
};

FileOwnership ReadFileOwnership(const wchar_t* path);
