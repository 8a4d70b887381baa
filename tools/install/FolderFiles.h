#pragma once

#include <string>

// What the install library's parts share of files and paths: the Windows side, for the tools.

extern const wchar_t* const OriginalFolder; // where a file set aside is kept, in the game's folder

std::wstring Lower(std::wstring text);
bool EndsWith(const std::wstring& text, const std::wstring& end);
std::wstring FolderOf(const std::wstring& path);
std::wstring NameOf(const std::wstring& path);
bool Exists(const std::wstring& path);
// The file's bytes; `read` false when it cannot be opened.
std::string ReadWhole(const std::wstring& path, bool& read);
// Whether both files can be read and hold the same bytes.
bool SameBytes(const std::wstring& a, const std::wstring& b);

// The names of XInput's libraries, in lower case, and whether a name in lower case is one.
extern const wchar_t* const XInputFileNames[5];
bool IsXInputFileName(const std::wstring& lower);
