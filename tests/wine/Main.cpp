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

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--exit-while-loaded") == 0)
        return ExitWhileLoaded(argv[2], argv[3], argv[4]);

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
