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
        ASSERT_TRUE(LeftShiftSettles(false)) << "round " << round;
    }
    EXPECT_FALSE(WatcherStillPolls());
    // Which rounds pressed is chance; the teardown checks that each press was released.
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
    EXPECT_TRUE(LeftShiftSettles(true));

    SetEvent(exitNow);
    ASSERT_EQ(WaitForSingleObject(child, 10000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(child, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(child);
    CloseHandle(exitNow);

    ExpectNextEventWithin(true, 2);
    EXPECT_TRUE(LeftShiftSettles(false));
}
