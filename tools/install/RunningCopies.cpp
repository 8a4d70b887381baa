// The copies acting in running games, as their records show them, and saving a settings file
// that they then apply.

#include "GameFolder.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "FolderFiles.h"
#include "SettingsWords.h"
#include "settings/SettingsEdit.h"
#include "settings/SettingsRules.h"
#include "shared/ProcessRecord.h"
#include "shared/StickShiftFile.h"
#include "tuning/TunedSettings.h"

namespace {

// Maps the record of process `processId` with `access`; null when there is none, with
// `refused` telling whether the system refused it (an elevated game's).
ProcessRecord* OpenRecord(DWORD processId, DWORD access, HANDLE& mapping, bool& whole,
                          bool& refused) {
    wchar_t name[ProcessRecordNameCapacity];
    ProcessRecordName(processId, name);
    mapping = OpenFileMappingW(access, FALSE, name);
    refused = mapping == nullptr && GetLastError() == ERROR_ACCESS_DENIED;
    if (mapping == nullptr)
        return nullptr;
    auto* record = static_cast<ProcessRecord*>(MapProcessRecord(mapping, access, whole));
    if (record == nullptr)
        CloseHandle(mapping);
    return record;
}

void CloseRecord(ProcessRecord* record, HANDLE mapping) {
    UnmapViewOfFile(record);
    CloseHandle(mapping);
}

// By the layout version alone: a later copy's record is larger than this tool's, an earlier
// one's smaller, and the page holds either whole.
bool HasSaves(const ProcessRecord* record, bool whole) {
    return whole && record->layoutVersion >= SavesLayoutVersion;
}

// The key a record names, as the settings file names it; Left Shift and false for none.
bool KeyNamed(const char (&recorded)[12], HoldableKey& key) {
    wchar_t name[KeyNameCapacity] = {};
    for (std::size_t i = 0; i + 1 < KeyNameCapacity && i < sizeof recorded && recorded[i] != '\0';
         ++i)
        name[i] = static_cast<unsigned char>(recorded[i]);
    return KeyFromName(name, key);
}

std::string SettingsInUseWords(const ProcessRecord& record) {
    const ProcessRecord::SettingsInUse& settings = record.settingsInUse;
    HoldableKey key;
    KeyNamed(settings.keyName, key);
    const auto percent = [](LONG stickUnits) {
        return std::to_string(PercentFromStickUnits(stickUnits)) + " %";
    };
    std::string words =
        "on " + percent(settings.thresholdOn) + ", off " + percent(settings.thresholdOff) + ", " +
        KeyLabel(key) + ", " +
        KeyModeName(static_cast<KeyMode>(std::min<BYTE>(settings.mode, ToggleMode))) +
        (settings.controllerIndex != 0
             ? ", controller " + std::to_string(settings.controllerIndex + 1)
             : "") +
        (settings.onlyWhenFocused ? ", only while focused" : "") +
        (settings.forwardOnly ? ", forward only" : "");
    if (record.layoutVersion < InnerRingLayoutVersion)
        return words;
    const ProcessRecord::InnerRingInUse& inner = record.innerRingInUse;
    HoldableKey innerKey;
    if (KeyNamed(inner.innerKeyName, innerKey))
        words += "; inner ring on " + percent(inner.innerOn) + ", off " + percent(inner.innerOff) +
                 ", " + KeyLabel(innerKey);
    const auto trigger = static_cast<PauseTrigger>(std::min<BYTE>(inner.pauseTrigger, PauseBoth));
    if (trigger != PauseNever)
        words += std::string("; let go while ") + TriggerLabel(trigger) + " is pulled";
    return words;
}

struct FileIdentity {
    DWORD volume, high, low;
};

bool IdentityOf(const std::wstring& path, FileIdentity& identity) {
    // No access asked, only the file's facts; folders open too.
    const HANDLE file = CreateFileW(LongPathForm(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION facts = {};
    const bool read = file != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &facts);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    identity = {facts.dwVolumeSerialNumber, facts.nFileIndexHigh, facts.nFileIndexLow};
    return read;
}

bool SameIdentity(const std::wstring& a, const std::wstring& b, bool& bothThere) {
    FileIdentity first, second;
    const bool firstThere = IdentityOf(a, first), secondThere = IdentityOf(b, second);
    bothThere = firstThere && secondThere;
    return bothThere && first.volume == second.volume && first.high == second.high &&
           first.low == second.low;
}

// The settings file that the StickShift copy at `modulePath` reads, by the module's own rule: the
// shared name beside a copy named as an XInput library, else its own name with ".ini".
std::wstring SettingsFileOfCopy(const std::wstring& modulePath) {
    if (modulePath.size() >= ModulePathCapacity)
        return std::wstring();
    wchar_t module[ModulePathCapacity] = L"";
    modulePath.copy(module, modulePath.size());
    wchar_t settings[SettingsPathCapacity];
    BuildSettingsPath(module, settings,
                      IsXInputFileName(Lower(NameOf(modulePath))) ? SharedSettingsFileName
                                                                  : nullptr);
    return settings;
}

} // namespace

bool SameFile(const std::wstring& a, const std::wstring& b) {
    bool bothThere;
    const bool same = SameIdentity(a, b, bothThere);
    if (bothThere)
        return same;
    FileIdentity identity;
    return !IdentityOf(a, identity) && !IdentityOf(b, identity) && SamePath(NameOf(a), NameOf(b)) &&
           SameIdentity(FolderOf(a), FolderOf(b), bothThere);
}

namespace {

bool IsCopyReading(const std::wstring& module, const std::wstring& settingsPath) {
    const std::wstring settings = SettingsFileOfCopy(module);
    return !settings.empty() && SamePath(NameOf(settings), NameOf(settingsPath)) &&
           SameFile(settings, settingsPath) &&
           ReadFileOwnership(LongPathForm(module).c_str()).owner == FileStickShift;
}

} // namespace

bool IsSettingsFileBesideACopy(const std::wstring& settingsPath) {
    const std::wstring folder = FolderOf(settingsPath);
    std::wstring stem = settingsPath.substr(0, settingsPath.size() - NameOf(settingsPath).size());
    const std::size_t dot = settingsPath.rfind(L'.');
    if (dot != std::wstring::npos && dot > stem.size())
        stem = settingsPath.substr(0, dot);
    for (const wchar_t* name : XInputFileNames)
        if (IsCopyReading(folder + L"\\" + name, settingsPath))
            return true;
    return IsCopyReading(stem + L".dll", settingsPath) ||
           IsCopyReading(stem + L".asi", settingsPath);
}

bool IsSettingsFileOfACopy(unsigned long processId, const std::wstring& settingsPath) {
    const HANDLE modules =
        CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, processId);
    if (modules != INVALID_HANDLE_VALUE) {
        MODULEENTRY32W module = {};
        module.dwSize = sizeof module;
        bool found = false;
        for (bool more = Module32FirstW(modules, &module); more && !found;
             more = Module32NextW(modules, &module))
            found = IsCopyReading(module.szExePath, settingsPath);
        CloseHandle(modules);
        return found;
    }
    return IsSettingsFileBesideACopy(settingsPath);
}

std::vector<ActingCopy> ActingCopies() {
    std::vector<ActingCopy> copies;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W process = {};
    process.dwSize = sizeof process;
    for (bool more = snapshot != INVALID_HANDLE_VALUE && Process32FirstW(snapshot, &process); more;
         more = Process32NextW(snapshot, &process)) {
        HANDLE mapping;
        bool whole, refused;
        const ProcessRecord* record =
            OpenRecord(process.th32ProcessID, FILE_MAP_READ, mapping, whole, refused);
        ActingCopy copy = {Utf8(process.szExeFile), process.th32ProcessID, refused, L"", ""};
        if (record != nullptr && record->flags.acting != 0 && HasSaves(record, whole)) {
            copy.settingsPath.assign(record->settingsPath,
                                     wcsnlen(record->settingsPath, SettingsPathCapacity));
            copy.settingsInUse = SettingsInUseWords(*record);
        }
        if (refused || (record != nullptr && record->flags.acting != 0))
            copies.push_back(copy);
        if (record != nullptr)
            CloseRecord(const_cast<ProcessRecord*>(record), mapping);
    }
    if (snapshot != INVALID_HANDLE_VALUE)
        CloseHandle(snapshot);
    return copies;
}

std::vector<std::string> WhereStickShiftActs() {
    std::vector<std::string> lines;
    for (const ActingCopy& copy : ActingCopies()) {
        const std::string program =
            copy.program + " (process " + std::to_string(copy.processId) + ")";
        lines.push_back(copy.elevated
                            ? "StickShift may act in " + program +
                                  ", which runs as administrator: run the probe as "
                                  "administrator to see it"
                            : "StickShift acts in " + program +
                                  (copy.settingsInUse.empty() ? "" : ": " + copy.settingsInUse));
    }
    return lines;
}

WatchedCopy WatchActingCopy(unsigned long processId) {
    WatchedCopy copy;
    bool whole, refused;
    ProcessRecord* record = OpenRecord(processId, FILE_MAP_READ, copy.mapping, whole, refused);
    if (record != nullptr && HasSaves(record, whole))
        copy.record = record;
    else if (record != nullptr)
        CloseRecord(record, copy.mapping);
    return copy;
}

void StopWatching(WatchedCopy& copy) {
    if (copy.record != nullptr)
        CloseRecord(const_cast<ProcessRecord*>(copy.record), copy.mapping);
    copy = WatchedCopy();
}

bool WriteSettingsFile(const std::wstring& path,
                       const std::vector<std::pair<std::string, std::string>>& changes,
                       std::string& refused, bool* deniedRights) {
    bool read;
    const std::string before = ReadWhole(path, read);
    std::string after;
    if (!EditSettingsBytes(read ? before : std::string(), changes, after, refused))
        return false;
    // Written beside it and renamed into place, so that a copy never reads half a file.
    const std::wstring temporary = path + L".stickshift-new";
    const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok =
        file != INVALID_HANDLE_VALUE &&
        WriteFile(file, after.data(), static_cast<DWORD>(after.size()), &written, nullptr) &&
        written == after.size();
    DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (ok && MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    if (error == ERROR_SUCCESS)
        error = GetLastError();
    DeleteFileW(temporary.c_str());
    if (deniedRights != nullptr)
        *deniedRights = error == ERROR_ACCESS_DENIED;
    return false;
}

std::vector<std::string> AskRunningCopiesToApply(const std::wstring& settingsPath) {
    struct Asked {
        std::string program;
        HANDLE mapping;
        ProcessRecord* record;
        LONG save;
        bool saysFailures; // a copy that counts the saves it could not apply
        bool applied, failed;
    };
    std::vector<Asked> asked;
    for (const ActingCopy& copy : ActingCopies()) {
        HANDLE mapping;
        bool whole, refused;
        ProcessRecord* record =
            copy.settingsPath.empty() || !SameFile(copy.settingsPath, settingsPath)
                ? nullptr
                : OpenRecord(copy.processId, FILE_MAP_READ | FILE_MAP_WRITE, mapping, whole,
                             refused);
        if (record != nullptr)
            asked.push_back({copy.program, mapping, record,
                             InterlockedIncrement(&record->savesAsked),
                             record->layoutVersion >= SaveFailuresLayoutVersion, false, false});
    }
    std::vector<std::string> lines;
    // A copy applies a save at its next turn; a busy file it tries for a second, then says so.
    // An older copy says nothing of a save it could not apply: it is waited for a second.
    for (int wait = 0; wait < 100; ++wait) {
        bool all = true;
        for (Asked& copy : asked) {
            copy.applied = copy.applied || copy.record->savesApplied - copy.save >= 0;
            copy.failed =
                copy.failed || (copy.saysFailures && copy.record->lastSaveFailed - copy.save >= 0);
            all = all && (copy.applied || copy.failed || (!copy.saysFailures && wait >= 60));
        }
        if (all)
            break;
        Sleep(20);
    }
    for (const Asked& copy : asked) {
        lines.push_back(copy.program +
                        (copy.applied ? " uses the new settings"
                         : !copy.failed
                             ? " has not taken the new settings yet: it reads them at its next turn"
                         : copy.record->saveFailure == SaveKeyNotLetGo
                             ? " could not let go of the key it holds: it keeps its settings"
                             : " could not read the file: it keeps its settings"));
        CloseRecord(copy.record, copy.mapping);
    }
    if (asked.empty())
        lines.push_back("No running program reads that file now: the game reads it as it starts");
    return lines;
}
