#pragma once

#include <string>
#include <utility>
#include <vector>

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

// Wine's per-program DLL overrides for the program at `program` (by its file name), for XInput's
// names: the values set now, and those StickShift wrote.
std::vector<std::pair<std::string, std::string>> ReadWineOverrides(const std::wstring& program);
std::vector<std::string> ReadWineOverridesWritten(const std::wstring& program);
// Sets `stem` (a library's name without .dll) to native,builtin, and records it.
bool SetWineOverride(const std::wstring& program, const std::wstring& stem);
// Deletes it while it still holds native,builtin, with the keys that emptied, and its record.
bool DeleteWineOverride(const std::wstring& program, const std::wstring& stem);
