#include <windows.h>

#include "settings/LoadSettings.h"
#include "shared/SharedValues.h"
#include "watcher/StickWatcher.h"

namespace {

// The watcher runs as a thread-pool work item rather than on a thread of its own: detach can
// then cancel it before it starts, or wait until it has returned, without needing the loader
// lock that a thread's exit takes while DllMain holds it.
PTP_WORK WatcherWork = nullptr;

void CALLBACK RunStickWatcher(PTP_CALLBACK_INSTANCE instance, void*, PTP_WORK) {
    // The watcher keeps its pool thread for the module's whole life: let the pool grow for the
    // host's own work items.
    CallbackMayRunLong(instance);
    StickWatcher(nullptr);
}

void OnModuleAttach(HMODULE module) {
    LoadSettings(module); // the watcher reads the thresholds once, as it starts
    WatcherWork = CreateThreadpoolWork(RunStickWatcher, nullptr, nullptr);
    if (WatcherWork != nullptr)
        SubmitThreadpoolWork(WatcherWork);
}

void OnModuleDetach(bool processExiting) {
    Running = false;
    if (!processExiting && WatcherWork != nullptr) {
        // The module is unmapped as soon as detach returns while the host goes on: the watcher
        // must be gone from its code by then. This waits at most one turn, and lets the watcher
        // send its own final release.
        WaitForThreadpoolWorkCallbacks(WatcherWork, TRUE);
        CloseThreadpoolWork(WatcherWork);
        WatcherWork = nullptr;
    }
    // At process exit the platform has already ended the watcher wherever it was, so its
    // finish never ran: send the release it owed. After an unload this finds nothing to do.
    ReleaseShiftIfHeld();
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        OnModuleAttach(module);
        break;
    case DLL_PROCESS_DETACH:
        // The reserved argument is non-null when the whole process is ending.
        OnModuleDetach(reserved != nullptr);
        break;
    default:
        break;
    }
    return TRUE;
}
