#include "WineHarness.h"

#include <cstdio>

namespace {

CRITICAL_SECTION EventsLock;
std::vector<KeyEvent> Events;
HHOOK KeyboardHook = nullptr;
TestControllerState* SharedController = nullptr;

LRESULT CALLBACK RecordKeyEvent(int code, WPARAM message, LPARAM data) {
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        EnterCriticalSection(&EventsLock);
        Events.push_back({key->vkCode, key->scanCode, key->flags,
                          message == WM_KEYUP || message == WM_SYSKEYUP,
                          static_cast<ULONGLONG>(now.QuadPart)});
        LeaveCriticalSection(&EventsLock);
    }
    return CallNextHookEx(KeyboardHook, code, message, data);
}

DWORD WINAPI KeyboardWatchThread(void* ready) {
    KeyboardHook = SetWindowsHookExA(WH_KEYBOARD_LL, RecordKeyEvent, GetModuleHandleA(nullptr), 0);
    SetEvent(static_cast<HANDLE>(ready));
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

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

void StartKeyboardWatch() {
    InitializeCriticalSection(&EventsLock);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(CreateThread(nullptr, 0, KeyboardWatchThread, ready, 0, nullptr));
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
    if (KeyboardHook == nullptr) {
        std::fprintf(stderr, "cannot install the low-level keyboard hook\n");
        ExitProcess(2);
    }
}

std::vector<KeyEvent> KeyEvents() {
    EnterCriticalSection(&EventsLock);
    std::vector<KeyEvent> copy = Events;
    LeaveCriticalSection(&EventsLock);
    return copy;
}

void ClearKeyEvents() {
    EnterCriticalSection(&EventsLock);
    Events.clear();
    LeaveCriticalSection(&EventsLock);
}

bool WaitForKeyEvents(size_t count, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (KeyEvents().size() < count) {
        if (GetTickCount64() > deadline)
            return false;
        Sleep(1);
    }
    return true;
}

TestControllerState& Controller() {
    if (SharedController == nullptr) {
        SharedController = OpenTestController();
        if (SharedController == nullptr) {
            std::fprintf(stderr, "cannot map the test controller\n");
            ExitProcess(2);
        }
    }
    return *SharedController;
}

void ResetController() {
    for (TestPad& pad : Controller().pads) {
        pad.connected = 0;
        InterlockedExchange64(&pad.sticks, 0);
        pad.buttons = 0;
        pad.triggers = 0;
    }
}

bool WaitForPolls(int count, DWORD timeoutMs) {
    const LONG target = Controller().calls[0] + count;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (Controller().calls[0] < target) {
        if (GetTickCount64() > deadline)
            return false;
        Sleep(1);
    }
    return true;
}

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

bool LeftShiftSettles(bool down, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (((GetAsyncKeyState(VK_LSHIFT) & 0x8000) != 0) != down) {
        if (GetTickCount64() > deadline)
            return false;
        Sleep(1);
    }
    return true;
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
