#include "FolderFiles.h"

#include <windows.h>

#include <cwctype>

#include "GameFolder.h"

const wchar_t* const OriginalFolder = L"StickShift-original";

const wchar_t* const XInputFileNames[5] = {L"xinput1_1.dll", L"xinput1_2.dll", L"xinput1_3.dll",
                                           L"xinput1_4.dll", L"xinput9_1_0.dll"};

bool IsXInputFileName(const std::wstring& lower) {
    for (const wchar_t* name : XInputFileNames)
        if (lower == name)
            return true;
    return false;
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

std::wstring NameOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadWhole(const std::wstring& path, bool& read) {
    std::string bytes;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    read = file != INVALID_HANDLE_VALUE;
    char buffer[65536];
    DWORD got = 0;
    while (read && ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return bytes;
}

bool SameBytes(const std::wstring& a, const std::wstring& b) {
    bool readA, readB;
    const std::string first = ReadWhole(a, readA);
    return readA && first == ReadWhole(b, readB) && readB;
}

std::string Utf8(const std::wstring& wide) {
    std::string text(wide.size() * 4 + 1, '\0');
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &text[0],
                                           static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(length > 0 ? length - 1 : 0);
    return text;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring Wide(const std::string& utf8) {
    std::wstring text(utf8.size() + 1, L'\0');
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &text[0], static_cast<int>(text.size()));
    text.resize(length > 0 ? length - 1 : 0);
    return text;
}

std::wstring FullPath(const wchar_t* path) {
    std::wstring full(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length =
            GetFullPathNameW(path, static_cast<DWORD>(full.size()), &full[0], nullptr);
        if (length == 0)
            return path;
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.assign(length, L'\0'); // the length needed, with its terminator
    }
    return path;
}

std::wstring LongPathForm(const std::wstring& path) {
    // Windows' plain form ends short of MAX_PATH: a folder's path must leave room for a file's
    // 8.3 name (CreateDirectory's documentation).
    if (path.size() < MAX_PATH - 12 || path.compare(0, 4, L"\\\\?\\") == 0)
        return path;
    if (path.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

std::wstring ShownPath(const std::wstring& path) {
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        return L"\\\\" + path.substr(8);
    return path.compare(0, 4, L"\\\\?\\") == 0 ? path.substr(4) : path;
}
