#include "KnownGamesFile.h"

#include <windows.h>

#include "../install/GameFolder.h"

KnownGames Known;

namespace {

// A list that is there but could not be read is never written over: it would lose the games.
bool ListWritable = true;

std::wstring ListPath() {
    wchar_t local[MAX_PATH] = L"";
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return L"";
    return std::wstring(local) + L"\\StickShift\\KnownGames.txt";
}

// Only a drive that answers can show a folder gone: a drive letter with no disc in it, or one
// unplugged, does not; a share is never asked, as asking one out of reach waits for long.
bool FolderSeenGone(const std::string& program) {
    const std::wstring root = Wide(PathRoot(program));
    const UINT type = GetDriveTypeW(root.c_str());
    const bool driveAnswers = type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR &&
                              type != DRIVE_REMOTE &&
                              GetFileAttributesW(root.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!driveAnswers)
        return false;
    const std::wstring folder = Wide(program.substr(0, program.rfind('\\')));
    const bool gone =
        GetFileAttributesW(LongPathForm(folder).c_str()) == INVALID_FILE_ATTRIBUTES &&
        (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND);
    return !KeepKnownGame(driveAnswers, gone);
}

} // namespace

void LoadKnownGames() {
    const HANDLE file = CreateFileW(ListPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ListWritable =
            GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
        return;
    }
    // Read whole or not at all: a line cut short could still read as a path.
    LARGE_INTEGER size = {};
    std::string text;
    DWORD read = 0;
    if (GetFileSizeEx(file, &size) && size.QuadPart <= 4 * 1024 * 1024) {
        text.resize(static_cast<std::size_t>(size.QuadPart));
        if (!ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &read, nullptr) ||
            read != text.size())
            ListWritable = false;
    } else {
        ListWritable = false;
    }
    CloseHandle(file);
    if (!ListWritable)
        return;
    Known = ReadKnownGames(text);
    const std::size_t before = Known.games.size();
    for (std::size_t i = Known.games.size(); i-- > 0;)
        if (FolderSeenGone(Known.games[i].program))
            Known.games.erase(Known.games.begin() + static_cast<std::ptrdiff_t>(i));
    if (Known.games.size() != before)
        SaveKnownGames();
}

// Written whole under another name, then put in place, so that a crash leaves the old list.
void SaveKnownGames() {
    const std::wstring path = ListPath();
    if (path.empty() || !ListWritable)
        return;
    CreateDirectoryW(path.substr(0, path.rfind(L'\\')).c_str(), nullptr);
    const std::wstring fresh = path + L".new";
    const HANDLE file = CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    const std::string text = KnownGamesText(Known);
    DWORD written = 0;
    const bool wrote =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size();
    CloseHandle(file);
    if (!wrote || !MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        DeleteFileW(fresh.c_str());
}

std::wstring KnownProgramFor(const std::wstring& settingsPath) {
    for (const KnownGame& game : Known.games)
        if (SamePath(Wide(game.settingsPath), settingsPath))
            return Wide(game.program);
    return L"";
}
