#include "GameFolder.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "FolderFiles.h"
#include "shared/StickShiftFile.h"

namespace {

// One change made, and how to undo it.
struct Done {
    enum { Created, Renamed, MadeFolder, RemovedFolder, SetOverride, RemovedOverride } kind;
    std::wstring path, from; // for an override, the library's name and the program
};

bool Undo(const Done& done) {
    switch (done.kind) {
    case Done::Created:
        return DeleteFileW(done.path.c_str()) != FALSE;
    case Done::Renamed:
        return MoveFileExW(done.path.c_str(), done.from.c_str(), 0) != FALSE;
    case Done::MadeFolder:
        return RemoveDirectoryW(done.path.c_str()) != FALSE;
    case Done::SetOverride:
        return DeleteWineOverride(done.from, done.path);
    case Done::RemovedOverride:
        return SetWineOverride(done.from, done.path);
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

bool WriteMark(const std::wstring& mark) {
    const HANDLE file = CreateFileW(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const char text[] = "StickShift made this folder for its plug-in, StickShift.asi. Removing "
                        "StickShift removes the folder while it holds nothing else.\r\n";
    DWORD written = 0;
    const bool ok =
        WriteFile(file, text, sizeof text - 1, &written, nullptr) && written == sizeof text - 1;
    CloseHandle(file);
    return ok;
}

bool HoldsOnlyMark(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    bool only = search != INVALID_HANDLE_VALUE;
    for (bool more = only; more && only; more = FindNextFileW(search, &entry)) {
        const std::wstring name = entry.cFileName;
        only = name == L"." || name == L".." || SamePath(name, Wide(MadeFolderMark));
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return only;
}

} // namespace

CarryOutResult CarryOutPlan(const InstallPlan& plan, const std::wstring& program,
                            const std::wstring& copySource, const std::wstring& sampleIni,
                            std::string& said) {
    const std::wstring folder = FolderOf(LongPathForm(program));
    const std::wstring originals = folder + L"\\" + OriginalFolder;
    std::vector<Done> journal;
    std::vector<std::wstring> setAside; // deleted once everything has gone through
    std::vector<std::wstring> leftovers = DeleteLeftovers(folder);
    std::vector<std::wstring> madeFolders; // to remove at the end, if they hold nothing else
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
        case WriteSampleIni: {
            const std::wstring ini = FolderOf(path) + L"\\StickShift.ini";
            ok = CopyFileW(sampleIni.c_str(), ini.c_str(), TRUE);
            if (ok)
                journal.push_back({Done::Created, ini, L""});
            break;
        }
        case DeleteIni:
            ok = putAside(FolderOf(path) + L"\\StickShift.ini");
            break;
        case WritePlugin:
            // The plug-in form of the same architecture, beside the no-loader form's folder.
            ok = write(FolderOf(FolderOf(copySource)) + L"\\StickShift.dll", path);
            break;
        case MakeLoaderFolder: {
            const std::wstring mark = path + L"\\" + Wide(MadeFolderMark);
            ok = CreateDirectoryW(path.c_str(), nullptr) != FALSE;
            if (ok)
                journal.push_back({Done::MadeFolder, path, L""});
            ok = ok && WriteMark(mark);
            if (ok)
                journal.push_back({Done::Created, mark, L""});
            break;
        }
        case RemoveLoaderFolder:
            madeFolders.push_back(path); // once the files set aside in it are gone
            break;
        case WriteWineOverride:
            ok = SetWineOverride(program, name);
            if (ok)
                journal.push_back({Done::SetOverride, name, program});
            break;
        case RemoveWineOverride:
            ok = DeleteWineOverride(program, name);
            if (ok)
                journal.push_back({Done::RemovedOverride, name, program});
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
        // Whatever else came into a folder StickShift made keeps it.
        for (const std::wstring& made : madeFolders)
            if (HoldsOnlyMark(made) && DeleteFileW((made + L"\\" + Wide(MadeFolderMark)).c_str()))
                RemoveDirectoryW(made.c_str());
        for (const std::wstring& left : leftovers)
            said += (said.empty() ? "" : "\n") + std::string("Left behind, to delete once ") +
                    "nothing holds it (an antivirus, say): " + Utf8(ShownPath(left));
        return leftovers.empty() ? CarriedOut : DoneButLeftBehind;
    }
    const DWORD error = GetLastError();
    said =
        "Could not change " + Utf8(ShownPath(failedAt)) + " (error " + std::to_string(error) + ").";
    bool putBack = true;
    for (auto done = journal.rbegin(); done != journal.rend(); ++done) {
        if (!Undo(*done)) {
            putBack = false;
            said += "\nLeft as it is: " + Utf8(ShownPath(done->path));
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

std::vector<std::string> CarryOutReport(const InstallPlan& plan, bool install,
                                        CarryOutResult result, const std::string& said) {
    std::vector<std::string> lines;
    if (result == CarriedOut || result == DoneButLeftBehind) {
        lines.push_back(install ? "Installed:" : "Removed:");
        for (const std::string& line : plan.done)
            lines.push_back("  " + line);
        if (result == DoneButLeftBehind)
            lines.push_back("Not wholly done: " + said);
        return lines;
    }
    lines.push_back(result == FailedAndPutBack
                        ? std::string(install ? "Not installed: " : "Not removed: ") + said
                        : "Not wholly done: " + said);
    lines.push_back(result == FailedAndPutBack ? "Everything was put back as it was."
                                               : "What is left is named above.");
    return lines;
}
