#include "shared/StickShiftFile.h"

#include <windows.h>

namespace {

// No StickShift file is near this size; a larger one is another program's, and is not read.
constexpr LONGLONG LargestStickShiftFile = 16 << 20;

FileOwnership CannotTell(const char* why) {
    FileOwnership ownership = {FileCannotTell, "", why};
    return ownership;
}

} // namespace

FileOwnership ReadFileOwnership(const wchar_t* path) {
    const HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        switch (GetLastError()) {
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return CannotTell("another program holds it open");
        case ERROR_ACCESS_DENIED:
            return CannotTell("it may not be read");
        default:
            return CannotTell("it cannot be opened");
        }
    }
    FileOwnership ownership = {FileNotStickShift, "", nullptr};
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) {
        ownership = CannotTell("its size cannot be read");
    } else if (size.QuadPart <= LargestStickShiftFile) {
        // Read, not mapped: a mapped file that a network share takes away faults the reader,
        // which may be the game.
        const DWORD length = static_cast<DWORD>(size.QuadPart);
        void* bytes = length > 0 ? HeapAlloc(GetProcessHeap(), 0, length) : nullptr;
        DWORD read = 0;
        if (length > 0 && bytes == nullptr) {
            ownership = CannotTell("there is not memory enough to read it");
        } else if (length > 0 &&
                   (!ReadFile(file, bytes, length, &read, nullptr) || read != length)) {
            ownership = CannotTell("it cannot be read");
        } else {
            ownership.owner = ReadFileOwner(static_cast<const unsigned char*>(bytes), length,
                                            ownership.version, sizeof ownership.version);
            if (ownership.owner == FileCannotTell)
                ownership.cannotTell = "it is cut short or malformed";
        }
        if (bytes != nullptr)
            HeapFree(GetProcessHeap(), 0, bytes);
    }
    CloseHandle(file);
    return ownership;
}
