// Runs the end-to-end tests, or plays a child host when a test starts this program again.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "WineHarness.h"

namespace {

// Child host: loads the module, waits until the parent sets the named event (or, when the name
// is "-", for the time given), then ends the whole process with the module still loaded.
int ExitWhileLoaded(const char* modulePath, const char* waitMs, const char* exitEventName) {
    HANDLE exitNow = std::strcmp(exitEventName, "-") == 0
                         ? nullptr
                         : OpenEventA(SYNCHRONIZE, FALSE, exitEventName);
    if (LoadLibraryA(modulePath) == nullptr)
        return 3;
    const DWORD wait = static_cast<DWORD>(std::atoi(waitMs));
    if (exitNow != nullptr)
        WaitForSingleObject(exitNow, wait);
    else
        Sleep(wait);
    ExitProcess(0);
}

// Child host: loads the module, waits `waitMs` and unloads it.
int UnloadAfter(const char* modulePath, const char* waitMs) {
    const HMODULE module = LoadLibraryA(modulePath);
    if (module == nullptr)
        return 3;
    Sleep(static_cast<DWORD>(std::atoi(waitMs)));
    FreeLibrary(module);
    return 0;
}

SendInputFunction RealSendInput = nullptr;

UINT WINAPI SendThenEndOnPress(UINT count, INPUT* inputs, int size) {
    const UINT sent = RealSendInput(count, inputs, size);
    if ((inputs[0].ki.dwFlags & KEYEVENTF_KEYUP) == 0)
        ExitProcess(0);
    return sent;
}

// Child host: loads the module and pushes the stick; the process ends as soon as the module's
// press has gone through, while the module is still inside the call that sent it.
int EndInsidePress(const char* modulePath) {
    const HMODULE module = LoadLibraryA(modulePath);
    if (module == nullptr)
        return 3;
    RealSendInput = reinterpret_cast<SendInputFunction>(
        SwapImport(module, "user32.dll", "SendInput", reinterpret_cast<void*>(SendThenEndOnPress)));
    if (RealSendInput == nullptr)
        return 4;
    PlaceLeftStick(32767, 0);
    Sleep(5000);
    return 5; // no press came
}

// Child host: another program that takes the foreground with a window of its own, and keeps it
// until the parent sets the named event.
int TakeForeground(const char* doneEventName) {
    HANDLE done = OpenEventA(SYNCHRONIZE, FALSE, doneEventName);
    const HWND window =
        CreateWindowExW(0, L"STATIC", L"Another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                        200, 100, nullptr, nullptr, nullptr, nullptr);
    if (done == nullptr || window == nullptr)
        return 3;
    SetForegroundWindow(window);
    while (MsgWaitForMultipleObjects(1, &done, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    DestroyWindow(window);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--exit-while-loaded") == 0)
        return ExitWhileLoaded(argv[2], argv[3], argv[4]);
    if (argc == 4 && std::strcmp(argv[1], "--unload-after") == 0)
        return UnloadAfter(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "--end-inside-press") == 0)
        return EndInsidePress(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--take-foreground") == 0)
        return TakeForeground(argv[2]);

    ::testing::InitGoogleTest(&argc, argv);
    // The module must bind to the test controller beside this program, not to Wine's own.
    char controllerPath[MAX_PATH] = "";
    GetModuleFileNameA(LoadLibraryA("xinput1_4.dll"), controllerPath, MAX_PATH);
    if (std::strncmp(controllerPath, ExeFolder().c_str(), ExeFolder().size()) != 0) {
        std::fprintf(stderr, "xinput1_4.dll is not the test controller: '%s'\n", controllerPath);
        return 2;
    }
    StartKeyboardWatch();
    return RUN_ALL_TESTS();
}
