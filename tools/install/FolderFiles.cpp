#include "FolderFiles.h"

#include <windows.h>

#include <cwctype>

#include "GameFolder.h"

const wchar_t* const OriginalFolder = L"StickShift-original";

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
