// Loading, unloading and process exit with the real module under the real (Wine) loader.

#include "ModuleTest.h"

using Lifecycle = ModuleTest;

namespace {

DWORD WINAPI DoNothing(void*) {
    return 0;
}

// Whether anything still reads controller 0, over some five watcher turns.
bool WatcherStillPolls() {
    const LONG before = Controller().calls[0];
    Sleep(50);
    return Controller().calls[0] != before;
}

// Loads and unloads `module` in a fresh host process (this program, or its copy at `host`) at
// delays that fall before, during and after the controller's first read. A host that hangs is
// ended, and fails the test.
void ExpectHostsLiveThroughUnloads(const std::string& module, const std::string& host = "") {
    for (const int delayMs : {0, 1, 2, 5, 10, 20, 50, 100, 200, 300}) {
        HANDLE child =
            StartChild("--unload-after \"" + module + "\" " + std::to_string(delayMs), host);
        ASSERT_NE(child, nullptr);
        DWORD exitCode;
        ASSERT_TRUE(AwaitChild(child, 10000, exitCode))
            << "the host hung unloading " << delayMs << " ms after loading";
        ASSERT_EQ(exitCode, 0u) << "the host failed unloading " << delayMs << " ms after loading";
    }
}

} // namespace

TEST_F(Lifecycle, HostThreadsStartingAndEndingChangeNothing) {
    LoadFresh();
    MoveLeftStick(0, 0);
    for (int batch = 0; batch < 30; ++batch) {
        HANDLE threads[10];
        for (HANDLE& thread : threads)
            thread = CreateThread(nullptr, 0, DoNothing, nullptr, 0, nullptr);
        WaitForMultipleObjects(10, threads, TRUE, INFINITE);
        for (HANDLE thread : threads)
            CloseHandle(thread);
    }
    ExpectEventsNow(0);
    ASSERT_TRUE(WatcherStillPolls());
    MoveLeftStick(20000, 0, 1);
    ExpectNextEventWithin(false, 1);
    MoveLeftStick(0, 0, 1);
    ExpectNextEventWithin(true, 2);
}

TEST_F(Lifecycle, UnloadAtRestSendsNothingAndStopsTheWatcher) {
    const HMODULE module = LoadFresh();
    MoveLeftStick(5000, 5000);
    Unload(module);
    EXPECT_FALSE(WatcherStillPolls());
    ExpectEventsNow(0);
}

TEST_F(Lifecycle, UnloadWhileHeldSendsOneReleaseAndTheHostGoesOn) {
    const HMODULE module = LoadFresh();
    MoveLeftStick(32767, 0, 1);
    ExpectNextEventWithin(false, 1);

    const ULONGLONG start = Ticks();
    Unload(module);
    const double unloadMs = TicksToMs(static_cast<LONGLONG>(Ticks() - start));
    // The release is sent before the unload returns, and nothing after it.
    ExpectEventsNow(2);
    EXPECT_TRUE(KeyEvents()[1].up);
    EXPECT_LT(unloadMs, 500.0);
    EXPECT_FALSE(WatcherStillPolls());
    ExpectEventsNow(2);
}

TEST_F(Lifecycle, UnloadRightAfterLoadNeverCrashes) {
    const std::string folder = FreshCaseFolder(CaseFolder());
    PlaceModule(folder + "\\StickShift.dll");
    const std::string module = folder + "\\StickShift.dll";
    PlaceLeftStick(32767, 32767); // pushed throughout: any turn that runs presses
    for (int round = 0; round < 150; ++round) {
        const HMODULE loaded = Load(module);
        ASSERT_NE(loaded, nullptr);
        if (round % 3 != 0)
            Sleep(round % 13); // land anywhere within the watcher's first turns
        Unload(loaded);
        ASSERT_TRUE(KeySettles(false)) << "round " << round;
    }
    EXPECT_FALSE(WatcherStillPolls());
    // Which rounds pressed is chance; the teardown checks that each press was released.
}

TEST_F(Lifecycle, UnloadWhileTheControllerSetsItselfUpNeverHangs) {
    const std::string folder = FreshCaseFolder(CaseFolder());
    PlaceModule(folder + "\\StickShift.dll");
    Controller().firstCallSetupMs = 100;
    PlaceLeftStick(32767, 32767); // any turn that runs presses, and the unload must release
    ExpectHostsLiveThroughUnloads(folder + "\\StickShift.dll");
}

TEST_F(Lifecycle, UnloadWithWinesOwnControllerLibraryNeverHangs) {
    // A host away from the test controller gets Wine's own xinput1_4.dll, which sets itself up
    // under the loader lock on its first call. No controller: nothing is injected.
    const std::string folder = FreshCaseFolder(CaseFolder());
    PlaceModule(folder + "\\StickShift.dll");
    PlaceHost(folder + "\\Host.exe");
    ExpectHostsLiveThroughUnloads(folder + "\\StickShift.dll", folder + "\\Host.exe");
}

TEST_F(Lifecycle, UnloadByTheThreadThatOwnsTheHookIsPromptAndItsHookSeesTheRelease) {
    // A game's own low-level keyboard hook lives on the thread that unloads the module.
    HMODULE module = nullptr;
    RunOnHookThread([&] { module = LoadFresh(); });
    MoveLeftStick(32767, 0, 1);
    ExpectNextEventWithin(false, 1);

    double unloadMs = 0;
    RunOnHookThread([&] {
        const ULONGLONG start = Ticks();
        Unload(module);
        unloadMs = TicksToMs(static_cast<LONGLONG>(Ticks() - start));
    });
    EXPECT_LT(unloadMs, 100.0);
    ExpectNextEventWithin(true, 2);
    EXPECT_FALSE(WatcherStillPolls());
    ExpectEventsNow(2);
}

TEST_F(Lifecycle, ProcessEndedInsideThePressStillReleases) {
    const std::string folder = FreshCaseFolder(CaseFolder());
    PlaceModule(folder + "\\StickShift.dll");
    HANDLE child = StartChild("--end-inside-press \"" + folder + "\\StickShift.dll\"");
    ASSERT_NE(child, nullptr);
    DWORD exitCode;
    ASSERT_TRUE(AwaitChild(child, 10000, exitCode));
    EXPECT_EQ(exitCode, 0u);
    ExpectNextEventWithin(true, 2);
}

TEST_F(Lifecycle, ProcessExitWhileHeldLeavesLeftShiftUp) {
    const std::string folder = FreshCaseFolder(CaseFolder());
    PlaceModule(folder + "\\StickShift.dll");
    const char* exitEventName = "Local\\StickShiftTestExitNow";
    HANDLE exitNow = CreateEventA(nullptr, TRUE, FALSE, exitEventName);
    PlaceLeftStick(0, 32767);

    HANDLE child =
        StartChild("--exit-while-loaded \"" + folder + "\\StickShift.dll\" 10000 " + exitEventName);
    ASSERT_NE(child, nullptr);
    ExpectNextEventWithin(false, 1, 5000); // the child's watcher pressed
    EXPECT_TRUE(KeySettles(true));

    SetEvent(exitNow);
    DWORD exitCode;
    ASSERT_TRUE(AwaitChild(child, 10000, exitCode));
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(exitNow);

    ExpectNextEventWithin(true, 2);
    EXPECT_TRUE(KeySettles(false));
}
