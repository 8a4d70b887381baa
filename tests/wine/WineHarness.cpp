#include "WineHarness.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void RemoveFolderContents(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring path = folder + L"\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveFolderContents(path);
            RemoveDirectoryW(path.c_str());
        } else {
            DeleteFileW(path.c_str());
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

std::string ExePath() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return Utf8(std::wstring(path, length));
}

} // namespace

std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    &wide[0], static_cast<int>(wide.size())));
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                    &utf8[0], static_cast<int>(utf8.size()), nullptr, nullptr));
    return utf8;
}

std::string ExeFolder() {
    const std::string path = ExePath();
    return path.substr(0, path.find_last_of('\\'));
}

std::string BuiltModulePath() {
    return ExeFolder() + "\\..\\StickShift.dll";
}

std::string FreshCaseFolder(const std::string& name) {
    const std::string cases = ExeFolder() + "\\cases";
    const std::string folder = cases + "\\" + name;
    CreateDirectoryW(Wide(cases).c_str(), nullptr);
    CreateDirectoryW(Wide(folder).c_str(), nullptr);
    RemoveFolderContents(Wide(folder));
    return folder;
}

void WriteTextFile(const std::string& path, const std::string& text) {
    FILE* file = _wfopen(Wide(path).c_str(), L"wb");
    if (file == nullptr)
        return;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    FILE* file = _wfopen(Wide(path).c_str(), L"rb");
    char buffer[65536];
    for (std::size_t read;
         file != nullptr && (read = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, read);
    if (file != nullptr)
        std::fclose(file);
    return bytes;
}

void PlaceModule(const std::string& path) {
    CopyFileW(Wide(BuiltModulePath()).c_str(), Wide(path).c_str(), FALSE);
}

void PlaceNoLoaderModule(const std::string& path) {
    CopyFileW(Wide(ExeFolder() + "\\..\\no-loader\\xinput1_4.dll").c_str(), Wide(path).c_str(),
              FALSE);
}

std::string SystemFolder() {
    wchar_t folder[MAX_PATH];
    return Utf8(std::wstring(folder, GetSystemDirectoryW(folder, MAX_PATH)));
}

bool InstallTestControllerAsSystemXInput(bool withGetStateEx) {
    if (std::getenv("STICKSHIFT_SYSTEM_XINPUT_PREFIX") == nullptr)
        return false;
    const std::string library = ExeFolder() + (withGetStateEx ? "" : "\\no-ex") + "\\xinput1_4.dll";
    for (const char* name : {"xinput1_4.dll", "xinput1_3.dll", "xinput9_1_0.dll"})
        CopyFileW(Wide(library).c_str(), Wide(SystemFolder() + "\\" + name).c_str(), FALSE);
    return true;
}

void PlaceHost(const std::string& path) {
    CopyFileW(Wide(ExePath()).c_str(), Wide(path).c_str(), FALSE);
}

HANDLE StartChild(const std::string& arguments, const std::string& program) {
    const std::wstring exe = Wide(program.empty() ? ExePath() : program);
    std::wstring commandLine = L"\"" + exe + L"\" " + Wide(arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

bool AwaitChild(HANDLE child, DWORD timeoutMs, DWORD& exitCode) {
    const bool ended = WaitForSingleObject(child, timeoutMs) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(child, 1);
    exitCode = 1;
    GetExitCodeProcess(child, &exitCode);
    CloseHandle(child);
    return ended;
}

bool RunProgram(const std::string& program, const std::string& arguments, const std::string& folder,
                std::string& output, DWORD& exitCode, DWORD timeoutMs) {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0))
        return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::wstring commandLine = Wide("\"" + program + "\" " + arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    const bool started = CreateProcessW(Wide(program).c_str(), &commandLine[0], nullptr, nullptr,
                                        TRUE, 0, nullptr, Wide(folder).c_str(), &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return false;
    }
    char buffer[4096];
    DWORD read;
    while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
        output.append(buffer, read);
    CloseHandle(readEnd);
    const bool ended = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended;
}

void* SwapImport(HMODULE module, const char* dll, const char* function, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* entry =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         entry->Name != 0; ++entry) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0)
            continue;
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* named =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(named->Name), function) != 0)
                continue;
            DWORD protection;
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE,
                           &protection);
            void* original = reinterpret_cast<void*>(slot->u1.Function);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection, &protection);
            return original;
        }
    }
    return nullptr;
}
