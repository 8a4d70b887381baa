#include <windows.h>

#include "settings/LoadSettings.h"
#include "shared/ModuleForm.h"
#include "shared/ProcessRecord.h"
#include "shared/SharedValues.h"
#include "shortcuts/SystemShortcuts.h"
#include "watcher/StickWatcher.h"

namespace {

// The watcher runs as a thread-pool work item rather than on a thread of its own: detach can
// then cancel it before it starts, or wait until it has returned, without needing the loader
// lock that a thread's exit takes while DllMain holds it.
PTP_WORK WatcherWork = nullptr;
bool Acting = false;

void CALLBACK RunStickWatcher(PTP_CALLBACK_INSTANCE instance, void*, PTP_WORK) {
    // The watcher keeps its pool thread for the module's whole life: let the pool grow for the
    // host's own work items.
    CallbackMayRunLong(instance);
    StickWatcher(nullptr);
}

// The controller library sets itself up on its first call, and that needs the loader lock. Were
// detach to wait for a watcher inside that call, neither could go on. So the first call is made
// while the module holds a reference to itself: an unload meanwhile only drops the host's
// reference, and the real detach follows when this callback gives the module's own back.
void CALLBACK FirstControllerRead(PTP_CALLBACK_INSTANCE instance, void* module) {
    XINPUT_STATE sample;
    ReadController(ControllerIndex, &sample);
    if (Running) {
        // Out of attach: both call into user32.
        LookUpHeldKeyScanCode();
        TurnOffShortcutsForHeldKey();
        SubmitThreadpoolWork(WatcherWork);
    }
    FreeLibraryWhenCallbackReturns(instance, static_cast<HMODULE>(module));
}

void OnModuleAttach(HMODULE module) {
    // One copy acts in a process; any other only passes calls on.
    Acting = OpenProcessRecordAndClaim();
    if (!Acting)
        return;
    // A game may unload its XInput library and load it again, or load another of its names:
    // the acting copy stays to the end, so that the process keeps one, and no unload of it waits
    // for the watcher under the loader lock.
    HMODULE pinned;
    if (StaysLoadedOnceActing)
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(module), &pinned);
    // Saves asked until now are in the file as it is read: the watcher applies only later ones.
    const LONG savesRead = ThisProcessRecord->savesAsked;
    LoadSettings(module, SettingsFileName); // the watcher reads the thresholds as it starts
    InterlockedExchange(&ThisProcessRecord->savesApplied, savesRead);
    PublishSettingsPath(LoadedSettingsPath);
    PublishSettingsInUse();
    WatcherWork = CreateThreadpoolWork(RunStickWatcher, nullptr, nullptr);
    HMODULE reference;
    if (WatcherWork == nullptr ||
        !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(module), &reference))
        return;
    if (!TrySubmitThreadpoolCallback(FirstControllerRead, reference, nullptr))
        FreeLibrary(reference); // not the last reference: the host's own is still held
}

void OnModuleDetach(bool processExiting) {
    if (!Acting) {
        if (!processExiting)
            CloseProcessRecord();
        return;
    }
    Running = false;
    if (!processExiting && WatcherWork != nullptr) {
        // The module is unmapped as soon as detach returns while the host goes on: the watcher
        // must be gone from its code by then. This waits at most one turn.
        WaitForThreadpoolWorkCallbacks(WatcherWork, TRUE);
        CloseThreadpoolWork(WatcherWork);
        WatcherWork = nullptr;
    }
    // The watcher has stopped, or at process exit the platform has ended it wherever it was:
    // the release it owes is sent from here. On this thread it also reaches a keyboard hook of
    // the host's that lives here, which a release sent from the watcher would wait on in vain.
    ReleaseKeyIfHeld();
    PutBackShortcutsTurnedOff();
    if (!processExiting)
        CloseProcessRecord(); // a copy loaded from now on acts
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
