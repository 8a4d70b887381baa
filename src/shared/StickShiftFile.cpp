#include "shared/StickShiftFile.h"

#include <windows.h>

#include <cstring>

#include "shared/VersionResource.h"

bool ReadFileVersionString(const wchar_t* path, const char* key, char* text, std::size_t capacity) {
    const HMODULE file =
        LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (file == nullptr)
        return false;
    const HRSRC found = FindResourceW(file, MAKEINTRESOURCEW(VS_VERSION_INFO),
                                      MAKEINTRESOURCEW(16)); // RT_VERSION;
    const HGLOBAL loaded = found != nullptr ? LoadResource(file, found) : nullptr;
    const bool read = loaded != nullptr &&
                      ReadVersionString(static_cast<const unsigned char*>(LockResource(loaded)),
                                        SizeofResource(file, found), key, text, capacity);
    FreeLibrary(file);
    return read;
}

bool IsStickShiftFile(const wchar_t* path) {
    char product[16];
    return ReadFileVersionString(path, "ProductName", product, sizeof product) &&
           std::strcmp(product, "StickShift") == 0;
}
