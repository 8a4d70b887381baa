// Wine's per-program DLL overrides, as Wine's own configuration tool writes them, under
// HKCU\Software\Wine\AppDefaults\<Game.exe>\DllOverrides; and StickShift's record of the values
// it wrote there, under HKCU\Software\StickShift\WineOverrides\<Game.exe>. Nothing of this is
// asked or written on Windows.

#include "FolderFiles.h"

#include <windows.h>

#include "GameFolder.h"

namespace {

std::wstring OverridesKey(const std::wstring& program) {
    return L"Software\\Wine\\AppDefaults\\" + NameOf(program) + L"\\DllOverrides";
}

std::wstring RecordKey(const std::wstring& program) {
    return L"Software\\StickShift\\WineOverrides\\" + NameOf(program);
}

std::wstring ValueIn(const std::wstring& key, const std::wstring& name) {
    wchar_t value[64] = L"";
    DWORD size = sizeof value - sizeof(wchar_t);
    DWORD type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, &type, value,
                     &size) != ERROR_SUCCESS)
        return L"";
    return value;
}

bool SetValueIn(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

// The value, then the key and the one above it where that emptied them.
bool DeleteValueIn(const std::wstring& key, const std::wstring& name, int levels) {
    if (RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str()) != ERROR_SUCCESS)
        return false;
    std::wstring emptied = key;
    for (int level = 0; level < levels; ++level) {
        HKEY opened;
        DWORD subkeys = 1, values = 1;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, emptied.c_str(), 0, KEY_READ, &opened) ==
            ERROR_SUCCESS) {
            RegQueryInfoKeyW(opened, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                             nullptr, nullptr, nullptr, nullptr);
            RegCloseKey(opened);
        }
        if (subkeys != 0 || values != 0 ||
            RegDeleteKeyW(HKEY_CURRENT_USER, emptied.c_str()) != ERROR_SUCCESS)
            break;
        emptied = FolderOf(emptied);
    }
    return true;
}

} // namespace

bool RunsElevated() {
    HANDLE token = nullptr;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    const bool read =
        OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) &&
        GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    if (token != nullptr)
        CloseHandle(token);
    return read && elevation.TokenIsElevated != 0;
}

bool RunsUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::vector<std::pair<std::string, std::string>> ReadWineOverrides(const std::wstring& program) {
    std::vector<std::pair<std::string, std::string>> overrides;
    for (const wchar_t* name : XInputFileNames) {
        const std::wstring stem = std::wstring(name).substr(0, wcslen(name) - 4);
        const std::wstring value = ValueIn(OverridesKey(program), stem);
        if (!value.empty())
            overrides.push_back({Utf8(stem), Utf8(value)});
    }
    return overrides;
}

std::vector<std::string> ReadWineOverridesWritten(const std::wstring& program) {
    std::vector<std::string> written;
    for (const wchar_t* name : XInputFileNames) {
        const std::wstring stem = std::wstring(name).substr(0, wcslen(name) - 4);
        if (!ValueIn(RecordKey(program), stem).empty())
            written.push_back(Utf8(stem));
    }
    return written;
}

bool SetWineOverride(const std::wstring& program, const std::wstring& stem) {
    return SetValueIn(OverridesKey(program), stem, Wide(NativeThenBuiltin)) &&
           SetValueIn(RecordKey(program), stem, Wide(NativeThenBuiltin));
}

bool DeleteWineOverride(const std::wstring& program, const std::wstring& stem) {
    // Checked again as it is done: a value changed since the plan was made stays.
    if (ValueIn(OverridesKey(program), stem) == Wide(NativeThenBuiltin) &&
        !DeleteValueIn(OverridesKey(program), stem, 2))
        return false;
    DeleteValueIn(RecordKey(program), stem, 1);
    return true;
}
