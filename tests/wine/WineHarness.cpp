#include "WineHarness.h"

#include <cstdio>

namespace {

void RemoveFolderContents(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string path = folder + "\\" + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveFolderContents(path);
            RemoveDirectoryA(path.c_str());
        } else {
            DeleteFileA(path.c_str());
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

} // namespace

std::string ExeFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\'));
}

std::string BuiltModulePath() {
    return ExeFolder() + "\\..\\StickShift.dll";
}

std::string FreshCaseFolder(const std::string& name) {
    const std::string cases = ExeFolder() + "\\cases";
    const std::string folder = cases + "\\" + name;
    CreateDirectoryA(cases.c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    RemoveFolderContents(folder);
    return folder;
}

void WriteTextFile(const std::string& path, const std::string& text) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

void PlaceModule(const std::string& path) {
    CopyFileA(BuiltModulePath().c_str(), path.c_str(), FALSE);
}

HANDLE StartChild(const std::string& arguments) {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string commandLine = "\"" + std::string(exe) + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(exe, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

bool RunProgram(const std::string& program, const std::string& arguments, const std::string& folder,
                std::string& output, DWORD& exitCode, DWORD timeoutMs) {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0))
        return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    const bool started = CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0,
                                        nullptr, folder.c_str(), &startup, &process);
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
