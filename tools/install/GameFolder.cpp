#include "GameFolder.h"

#include <windows.h>
#include <tlhelp32.h>

#include <vector>

#include "../probe/GameProgram.h"
#include "FolderFiles.h"
#include "settings/SettingsRules.h"
#include "shared/StickShiftFile.h"

namespace {

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

// What a file of StickShift's names in the folder is: StickShift's by its bytes or not, and
// whether a running program has it loaded, named where the snapshot can see that program (not
// one of another bitness, nor one run as administrator).
FolderFile FileFacts(const std::wstring& path, const std::wstring& lowerName,
                     const std::vector<std::pair<std::wstring, std::wstring>>& loaded) {
    const FileOwnership owner = ReadFileOwnership(path.c_str());
    FolderFile file = {Utf8(lowerName),
                       owner.owner == FileStickShift,
                       owner.version,
                       "",
                       false,
                       owner.cannotTell != nullptr ? owner.cannotTell : "",
                       false};
    for (const auto& module : loaded)
        if (module.first == Lower(path))
            file.loadedBy = Utf8(module.second);
    file.inUse = !file.loadedBy.empty() || LoadedByAProgram(path);
    return file;
}

bool KeyIsPadButton(const std::wstring& settingsPath) {
    wchar_t name[KeyNameCapacity] = L"";
    GetPrivateProfileStringW(SettingsSection, KeyNameKey, DefaultKeyName, name, KeyNameCapacity,
                             settingsPath.c_str());
    HoldableKey key;
    return KeyFromName(name, key) && key.padButton != 0;
}

// Whether `folder` is StickShift's package, or inside it: a folder a few levels up holds
// StickShift's StickShift.exe with x64\ and x86\ beside it. A probe a player copied into a
// game's folder does not make that folder StickShift's.
bool InsidePackage(std::wstring folder) {
    for (int level = 0; level < 3; ++level, folder = FolderOf(folder)) {
        const auto isFolder = [&folder](const wchar_t* name) {
            const DWORD attributes = GetFileAttributesW((folder + L"\\" + name).c_str());
            return attributes != INVALID_FILE_ATTRIBUTES &&
                   (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        };
        if (isFolder(L"x64") && isFolder(L"x86") &&
            ReadFileOwnership((folder + L"\\StickShift.exe").c_str()).owner == FileStickShift)
            return true;
    }
    return false;
}

// A plug-in loader's folder: the .asi files, the plug-in form, and its settings file.
void GatherLoaderFolder(const std::wstring& dir, bool gameFolder, const std::wstring& sampleIni,
                        const std::vector<std::pair<std::wstring, std::wstring>>& loaded,
                        LoaderFolderFacts& there) {
    const DWORD attributes = GetFileAttributesW(dir.c_str());
    there.exists =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!there.exists)
        return;
    there.madeByStickShift = !gameFolder && Exists(dir + L"\\" + Wide(MadeFolderMark));
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &entry);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &entry)) {
        const std::wstring name = Lower(entry.cFileName);
        const std::wstring path = dir + L"\\" + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        if (name == L"stickshift.asi" || name == L"stickshift.dll")
            there.plugins.push_back(FileFacts(path, name, loaded));
        else if (EndsWith(name, L".asi"))
            there.holdsAsi = true;
        if (name == L"stickshift.ini") {
            there.iniPresent = true;
            there.iniIsSample = SameBytes(path, sampleIni);
            there.iniNamesPadButton = KeyIsPadButton(path);
        }
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

} // namespace

InstallFacts GatherInstallFacts(const std::wstring& program, const std::wstring& sampleIni) {
    InstallFacts facts = {};
    const std::wstring folder = FolderOf(LongPathForm(program));
    facts.program = Utf8(NameOf(program));
    facts.folderPathLength = ShownPath(folder).size();
    GameProgramFacts headers;
    facts.isProgram = ReadProgram(LongPathForm(program), headers);
    facts.bits = headers.bits;
    facts.anyCpuDotNet = headers.anyCpuDotNet;
    facts.xinputImport = headers.xinput;
    facts.underWindowsApps = Lower(program).find(L"\\windowsapps\\") != std::wstring::npos;
    facts.stickShiftsOwn =
        ReadFileOwnership(LongPathForm(program).c_str()).owner == FileStickShift ||
        InsidePackage(folder);
    facts.underWine = RunsUnderWine();
    if (facts.underWine) {
        facts.wineOverrides = ReadWineOverrides(program);
        facts.wineOverridesWritten = ReadWineOverridesWritten(program);
    }

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
        // The plug-in form is a loader folder's fact (below), and its XInput import no game's.
        if (!EndsWith(name, L".dll") || name == L"stickshift.dll")
            continue;
        if (IsXInputFileName(name)) {
            FolderFile file = FileFacts(path, name, loaded);
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
    for (int f = 0; f < LoaderFolderCount; ++f)
        GatherLoaderFolder(f == LoaderInGameFolder ? folder
                                                   : folder + L"\\" + Wide(LoaderFolderNames[f]),
                           f == LoaderInGameFolder, sampleIni, loaded, facts.loaderFolders[f]);
    bool read;
    const std::string loader = ReadWhole(folder + L"\\xinput1_4.dll", read);
    facts.loaderExportsGetStateAt2 =
        read && ExportsXInputGetStateAtOrdinal2(
                    reinterpret_cast<const unsigned char*>(loader.data()), loader.size());

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
