#include "GameFolder.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <vector>

#include "../probe/GameProgram.h"
#include "settings/SettingsEdit.h"
#include "settings/SettingsRules.h"
#include "shared/ProcessRecord.h"
#include "shared/StickShiftFile.h"
#include "tuning/TunedSettings.h"

namespace {

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

bool ReadProgram(const std::wstring& path, GameProgramFacts& facts) {
    bool read;
    const std::string bytes = ReadWhole(path, read);
    return read && ReadGameProgram(reinterpret_cast<const unsigned char*>(bytes.data()),
                                   bytes.size(), facts);
}

// Each running program's loaded modules, by full path in lower case, with the program's name.
std::vector<std::pair<std::wstring, std::wstring>> LoadedModules() {
    std::vector<std::pair<std::wstring, std::wstring>> loaded;
    const HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W process = {};
    process.dwSize = sizeof process;
    for (bool more = processes != INVALID_HANDLE_VALUE && Process32FirstW(processes, &process);
         more; more = Process32NextW(processes, &process)) {
        const HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32,
                                                        process.th32ProcessID);
        MODULEENTRY32W module = {};
        module.dwSize = sizeof module;
        for (bool next = modules != INVALID_HANDLE_VALUE && Module32FirstW(modules, &module); next;
             next = Module32NextW(modules, &module))
            loaded.push_back({Lower(module.szExePath), process.szExeFile});
        if (modules != INVALID_HANDLE_VALUE)
            CloseHandle(modules);
    }
    if (processes != INVALID_HANDLE_VALUE)
        CloseHandle(processes);
    return loaded;
}

// Whether a running program has the file loaded, asked of the file itself, so whatever the
// bitness or the rights of that program: Windows refuses to mark a mapped image for deletion
// (renaming one succeeds, so proves nothing). Where the mark takes, it is cleared at once.
bool LoadedByAProgram(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY))
        return false; // a read-only file refuses the mark too
    const HANDLE file =
        CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    FILE_DISPOSITION_INFO disposition = {TRUE};
    const bool marked = SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                                   sizeof disposition) != FALSE;
    const bool refused = !marked && GetLastError() == ERROR_ACCESS_DENIED;
    if (marked) {
        disposition.DeleteFile = FALSE;
        SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
    }
    CloseHandle(file);
    return refused;
}

// Engines' shipping builds in the folders below, a few levels deep.
void FindShippingBuilds(const std::wstring& folder, const std::wstring& below, int depth,
                        std::vector<std::string>& found) {
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &entry)) {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring relative = below.empty() ? name : below + L"\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (depth < 4)
                FindShippingBuilds(folder + L"\\" + name, relative, depth + 1, found);
        } else if (!below.empty() && EndsWith(Lower(name), L"-shipping.exe")) {
            found.push_back(Utf8(relative));
        }
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

bool IsXInputFileName(const std::wstring& lower) {
    return lower == L"xinput1_1.dll" || lower == L"xinput1_2.dll" || lower == L"xinput1_3.dll" ||
           lower == L"xinput1_4.dll" || lower == L"xinput9_1_0.dll";
}

} // namespace

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

InstallFacts GatherInstallFacts(const std::wstring& program, const std::wstring& sampleIni) {
    InstallFacts facts = {};
    const std::wstring folder = FolderOf(program);
    facts.program = Utf8(NameOf(program));
    GameProgramFacts headers;
    facts.isProgram = ReadProgram(program, headers);
    facts.bits = headers.bits;
    facts.anyCpuDotNet = headers.anyCpuDotNet;
    facts.xinputImport = headers.xinput;
    facts.underWindowsApps = Lower(program).find(L"\\windowsapps\\") != std::wstring::npos;

    const auto loaded = LoadedModules();
    const std::wstring originals = folder + L"\\" + OriginalFolder;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &entry)) {
        const std::wstring name = Lower(entry.cFileName);
        const std::wstring path = folder + L"\\" + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            facts.loaderSigns = facts.loaderSigns || name == L"scripts" || name == L"plugins";
            facts.antiCheat = facts.antiCheat || name == L"easyanticheat" || name == L"battleye";
            continue;
        }
        facts.loaderSigns = facts.loaderSigns || EndsWith(name, L".asi");
        facts.antiCheat = facts.antiCheat || name.rfind(L"easyanticheat", 0) == 0 ||
                          name.rfind(L"beservice", 0) == 0;
        if (name == L"stickshift.ini") {
            facts.iniPresent = true;
            facts.iniIsSample = SameBytes(path, sampleIni);
        }
        if (!EndsWith(name, L".dll"))
            continue;
        if (IsXInputFileName(name) || name == L"stickshift.dll") {
            const FileOwnership owner = ReadFileOwnership(path.c_str());
            FolderFile file = {Utf8(name),    owner.owner == FileStickShift,
                               owner.version, "",
                               false,         owner.cannotTell != nullptr ? owner.cannotTell : "",
                               false};
            // Named where the snapshot can see the program (not one of another bitness, nor
            // one run as administrator).
            for (const auto& module : loaded)
                if (module.first == Lower(path))
                    file.loadedBy = Utf8(module.second);
            file.inUse = !file.loadedBy.empty() || LoadedByAProgram(path);
            file.sameAsOriginal = SameBytes(path, originals + L"\\" + name);
            facts.files.push_back(file);
        } else {
            GameProgramFacts library;
            if (ReadProgram(path, library) && library.xinput[0] != '\0')
                facts.dllXInputImports.push_back({Utf8(name), library.xinput});
        }
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    search = FindFirstFileW((originals + L"\\*").c_str(), &entry);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &entry))
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            facts.originals.push_back(Utf8(Lower(entry.cFileName)));
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    if (CopyNameFor(facts).empty())
        FindShippingBuilds(folder, L"", 0, facts.shippingBuilds);

    // Whether a file can be made there as this program runs.
    const std::wstring probe = folder + L"\\StickShift-write-test.tmp";
    const HANDLE test = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    facts.needsAdministrator =
        test == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED;
    if (test != INVALID_HANDLE_VALUE)
        CloseHandle(test);
    return facts;
}

InstallPlan PlanInstallFollowingLauncher(std::wstring& program, const std::wstring& sampleIni,
                                         const std::string& version, InstallFacts& facts) {
    facts = GatherInstallFacts(program, sampleIni);
    InstallPlan plan = PlanInstall(facts, version);
    if (plan.outcome != PlanOtherProgram)
        return plan;
    const std::vector<std::string> launcher = plan.words;
    program = FolderOf(program) + L"\\" + Wide(plan.otherProgram);
    facts = GatherInstallFacts(program, sampleIni);
    plan = PlanInstall(facts, version);
    plan.words.insert(plan.words.begin(), launcher.begin(), launcher.end());
    return plan;
}

namespace {

// One change made, and how to undo it.
struct Done {
    enum { Created, Renamed, MadeFolder, RemovedFolder } kind;
    std::wstring path, from;
};

bool Undo(const Done& done) {
    switch (done.kind) {
    case Done::Created:
        return DeleteFileW(done.path.c_str()) != FALSE;
    case Done::Renamed:
        return MoveFileExW(done.path.c_str(), done.from.c_str(), 0) != FALSE;
    case Done::MadeFolder:
        return RemoveDirectoryW(done.path.c_str()) != FALSE;
    default:
        return CreateDirectoryW(done.path.c_str(), nullptr) != FALSE;
    }
}

// Files set aside by an earlier run that could not delete them: deleted first. Those that
// still cannot be are returned.
std::vector<std::wstring> DeleteLeftovers(const std::wstring& folder) {
    std::vector<std::wstring> left;
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW((folder + L"\\*.stickshift-old").c_str(), &entry);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &entry)) {
        const std::wstring path = folder + L"\\" + entry.cFileName;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !DeleteFileW(path.c_str()))
            left.push_back(path);
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return left;
}

} // namespace

CarryOutResult CarryOutPlan(const InstallPlan& plan, const std::wstring& program,
                            const std::wstring& copySource, const std::wstring& sampleIni,
                            std::string& said) {
    const std::wstring folder = FolderOf(program);
    const std::wstring originals = folder + L"\\" + OriginalFolder;
    std::vector<Done> journal;
    std::vector<std::wstring> setAside; // deleted once everything has gone through
    std::vector<std::wstring> leftovers = DeleteLeftovers(folder);
    const auto rename = [&](const std::wstring& from, const std::wstring& to) {
        if (!MoveFileExW(from.c_str(), to.c_str(), 0))
            return false;
        journal.push_back({Done::Renamed, to, from});
        return true;
    };
    // A file in the way goes aside first, so that it can come back.
    const auto putAside = [&](const std::wstring& path) {
        const std::wstring aside = path + L".stickshift-old";
        DeleteFileW(aside.c_str()); // left by an earlier run that was cut short
        leftovers.erase(std::remove(leftovers.begin(), leftovers.end(), aside), leftovers.end());
        if (!rename(path, aside))
            return false;
        setAside.push_back(aside);
        return true;
    };
    const auto write = [&](const std::wstring& source, const std::wstring& target) {
        // Only a StickShift copy, or a file kept byte for byte in StickShift-original, is
        // written over.
        if (Exists(target) && ReadFileOwnership(target.c_str()).owner != FileStickShift &&
            !SameBytes(target, originals + L"\\" + NameOf(target)))
            return false;
        const std::wstring temporary = target + L".stickshift-new";
        if (!CopyFileW(source.c_str(), temporary.c_str(), FALSE))
            return false;
        if ((Exists(target) && !putAside(target)) ||
            !MoveFileExW(temporary.c_str(), target.c_str(), 0)) {
            DeleteFileW(temporary.c_str());
            return false;
        }
        journal.push_back({Done::Created, target, L""});
        return true;
    };

    bool ok = true;
    std::wstring failedAt;
    for (const PlanStep& step : plan.steps) {
        const std::wstring name = Wide(step.name);
        const std::wstring path = folder + L"\\" + name;
        switch (step.action) {
        case WriteCopy:
            ok = write(copySource, path);
            break;
        case MoveToOriginal:
            if (!Exists(originals)) {
                ok = CreateDirectoryW(originals.c_str(), nullptr) != FALSE;
                if (ok)
                    journal.push_back({Done::MadeFolder, originals, L""});
            }
            ok = ok && rename(path, originals + L"\\" + name);
            break;
        case DeleteCopy:
            // Told again by its version resource, never by its name alone.
            ok = ReadFileOwnership(path.c_str()).owner == FileStickShift && putAside(path);
            break;
        case PutBackOriginal:
            ok = rename(originals + L"\\" + name, path);
            break;
        case WriteSampleIni:
            ok = CopyFileW(sampleIni.c_str(), (folder + L"\\StickShift.ini").c_str(), TRUE);
            if (ok)
                journal.push_back({Done::Created, folder + L"\\StickShift.ini", L""});
            break;
        case DeleteIni:
            ok = putAside(folder + L"\\StickShift.ini");
            break;
        case DeleteOriginalFolder:
            ok = RemoveDirectoryW(originals.c_str()) != FALSE;
            if (ok)
                journal.push_back({Done::RemovedFolder, originals, L""});
            break;
        }
        if (!ok) {
            failedAt = path;
            break;
        }
    }
    if (ok) {
        for (const std::wstring& aside : setAside)
            if (!DeleteFileW(aside.c_str()))
                leftovers.push_back(aside);
        for (const std::wstring& left : leftovers)
            said += (said.empty() ? "" : "\n") + std::string("Left behind, to delete once ") +
                    "nothing holds it (an antivirus, say): " + Utf8(left);
        return leftovers.empty() ? CarriedOut : NotWhollyDone;
    }
    const DWORD error = GetLastError();
    said = "Could not change " + Utf8(failedAt) + " (error " + std::to_string(error) + ").";
    bool putBack = true;
    for (auto done = journal.rbegin(); done != journal.rend(); ++done) {
        if (!Undo(*done)) {
            putBack = false;
            said += "\nLeft as it is: " + Utf8(done->path);
        }
    }
    return putBack ? FailedAndPutBack : NotWhollyDone;
}

std::wstring NoLoaderSource(const std::wstring& tool, unsigned bits) {
    const std::wstring folder = FolderOf(tool);
    const std::wstring within =
        std::wstring(bits == 64 ? L"x64" : L"x86") + L"\\no-loader\\xinput1_4.dll";
    for (const std::wstring& top : {folder, FolderOf(folder)})
        if (Exists(top + L"\\" + within))
            return top + L"\\" + within;
    // A tool beside its own architecture's module, as in the build tree.
    return bits == sizeof(void*) * 8 ? folder + L"\\no-loader\\xinput1_4.dll" : L"";
}

std::wstring SampleSettings(const std::wstring& tool) {
    const std::wstring folder = FolderOf(tool);
    return Exists(folder + L"\\StickShift.ini") ? folder + L"\\StickShift.ini"
                                                : FolderOf(folder) + L"\\StickShift.ini";
}

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

std::string SettingsInUseWords(const ProcessRecord::SettingsInUse& settings) {
    char keyName[sizeof settings.keyName + 1] = {};
    std::memcpy(keyName, settings.keyName, sizeof settings.keyName);
    wchar_t name[KeyNameCapacity] = {};
    for (std::size_t i = 0; i + 1 < KeyNameCapacity && keyName[i] != '\0'; ++i)
        name[i] = static_cast<unsigned char>(keyName[i]);
    HoldableKey key;
    KeyFromName(name, key);
    const auto percent = [](LONG stickUnits) {
        return std::to_string(PercentFromStickUnits(stickUnits)) + " %";
    };
    return "on " + percent(settings.thresholdOn) + ", off " + percent(settings.thresholdOff) +
           ", " + KeyLabel(key) + ", " +
           KeyModeName(static_cast<KeyMode>(std::min<BYTE>(settings.mode, ToggleMode))) +
           (settings.controllerIndex != 0
                ? ", controller " + std::to_string(settings.controllerIndex + 1)
                : "") +
           (settings.onlyWhenFocused ? ", only while focused" : "") +
           (settings.forwardOnly ? ", forward only" : "");
}

} // namespace

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
            copy.settingsInUse = SettingsInUseWords(record->settingsInUse);
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
                       std::string& refused) {
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
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (ok && MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileW(temporary.c_str());
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
            copy.settingsPath.empty() || !SamePath(copy.settingsPath, settingsPath)
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
