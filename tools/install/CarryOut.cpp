#include "GameFolder.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "FolderFiles.h"
#include "shared/StickShiftFile.h"

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
    const std::wstring folder = FolderOf(LongPathForm(program));
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
                    "nothing holds it (an antivirus, say): " + Utf8(ShownPath(left));
        return leftovers.empty() ? CarriedOut : NotWhollyDone;
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
