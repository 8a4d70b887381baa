// The real module's watcher, reading the test controller and injecting Left Shift.

#include "ModuleTest.h"

using Watcher = ModuleTest;

namespace {

SendInputFunction RealSendInput = nullptr;
volatile LONG RefusePresses = 0, RefuseReleases = 0, PressCalls = 0, ReleaseCalls = 0;

// Stands for the system refusing input, as it does while a window of higher integrity has the
// focus: inserts nothing for the next presses or releases it is told to, then passes calls on.
UINT WINAPI RefusingSendInput(UINT count, INPUT* inputs, int size) {
    const bool release = (inputs[0].ki.dwFlags & KEYEVENTF_KEYUP) != 0;
    ++(release ? ReleaseCalls : PressCalls);
    volatile LONG& refusals = release ? RefuseReleases : RefusePresses;
    if (refusals > 0) {
        --refusals;
        return 0;
    }
    return RealSendInput(count, inputs, size);
}

} // namespace

TEST_F(Watcher, PressesBeyondOnAndReleasesInsideOffRadially) {
    LoadFresh();
    // 12000 on each axis is inside the "on" circle (16383) on either axis alone, beyond it
    // as a diagonal; 9000 on each is inside the "off" circle (13106).
    MoveLeftStick(12000, 0);
    ExpectEventsNow(0);
    MoveLeftStick(12000, 12000, 1);
    ExpectNextEventWithin(false, 1);
    MoveLeftStick(-10000, -10000);
    ExpectEventsNow(1);
    MoveLeftStick(-9000, 9000, 1);
    ExpectNextEventWithin(true, 2);
}

TEST_F(Watcher, BandBetweenTheCirclesKeepsEitherState) {
    LoadFresh();
    MoveLeftStick(15000, 0); // in the band while released
    ExpectEventsNow(0);
    MoveLeftStick(0, -20000, 1);
    ExpectNextEventWithin(false, 1);
    MoveLeftStick(0, -15000); // in the band while held
    MoveLeftStick(-14000, 0);
    ExpectEventsNow(1);
    MoveLeftStick(0, 0, 1);
    ExpectNextEventWithin(true, 2);
}

TEST_F(Watcher, OneEventPerCrossing) {
    LoadFresh();
    MoveLeftStick(30000, 0, 20);
    MoveLeftStick(32767, -32768, 20);
    ExpectEventsNow(1);
    MoveLeftStick(0, 0, 20);
    ExpectEventsNow(2);
}

TEST_F(Watcher, ReadsOnlyControllerZero) {
    TestControllerState& controller = Controller();
    for (int index = 1; index < TestControllerPads; ++index) {
        SetLeftStick(controller.pads[index], 32767, 32767);
        controller.pads[index].connected = 1;
    }
    LoadFresh();
    MoveLeftStick(0, 0, 10);
    ExpectEventsNow(0);
    for (int index = 1; index <= TestControllerPads; ++index)
        EXPECT_EQ(controller.calls[index], 0) << "user index " << index << " was read";
}

TEST_F(Watcher, IgnoresButtonsTriggersAndTheRightStick) {
    TestPad& pad = Controller().pads[0];
    pad.buttons = 0xFFFF;
    pad.triggers = 0xFFFF;
    InterlockedExchange64(&pad.sticks, PackSticks(0, 0, -32768, 32767));
    pad.connected = 1;
    LoadFresh();
    ASSERT_TRUE(WaitForPolls(10));
    ExpectEventsNow(0);
}

TEST_F(Watcher, AbsentControllerIsReadFiftyTimesThenAboutOnceASecond) {
    LoadFresh();
    ASSERT_TRUE(WaitForPolls(50, 1500)) << "the first 50 reads should come about every 10 ms";
    Sleep(100);
    const LONG before = Controller().calls[0];
    Sleep(2500);
    const LONG reads = Controller().calls[0] - before;
    EXPECT_GE(reads, 1);
    EXPECT_LE(reads, 3);
}

TEST_F(Watcher, AbsentControllerSendsNothingAndAHeldKeyWaitsForALaterRead) {
    LoadFresh();
    TestPad& pad = Controller().pads[0];
    SetLeftStick(pad, 32767, 0); // pushed, but not connected
    ASSERT_TRUE(WaitForPolls(5)) << "the module should keep polling an absent controller";
    ExpectEventsNow(0);

    MoveLeftStick(32767, 0, 1);
    ExpectNextEventWithin(false, 1);
    pad.connected = 0;
    SetLeftStick(pad, 0, 0);
    ASSERT_TRUE(WaitForPolls(10));
    ExpectEventsNow(1);
    EXPECT_TRUE(KeySettles(true));

    pad.connected = 1;
    ExpectNextEventWithin(true, 2);
}

TEST_F(Watcher, RefusedEventsAreTriedAgainOnLaterPollsUntilTheyGoThrough) {
    // Wine without a display gives the foreground to another process: Tap must not follow it.
    for (const char* settings : {"", "[Settings]\nMode=Tap\nOnlyWhenFocused=0\n"}) {
        SCOPED_TRACE(*settings ? "Tap" : "Hold");
        const HMODULE module = LoadFresh(settings);
        RealSendInput = reinterpret_cast<SendInputFunction>(SwapImport(
            module, "user32.dll", "SendInput", reinterpret_cast<void*>(RefusingSendInput)));
        ASSERT_NE(RealSendInput, nullptr);
        PressCalls = ReleaseCalls = 0;

        RefusePresses = RefuseReleases = 3;
        MoveLeftStick(32767, 0, 1);
        ExpectNextEventWithin(false, 1);
        MoveLeftStick(0, 0, 1); // Hold lets go here; a tap has gone up by itself
        ExpectNextEventWithin(true, 2);
        MoveLeftStick(0, 0);
        ExpectEventsNow(2);
        EXPECT_EQ(PressCalls, 4);
        EXPECT_EQ(ReleaseCalls, 4);
        Unload(module);
        CheckAndClearKeyEvents();
    }
}

TEST_F(Watcher, ControllerSettingReadsThatControllerAlone) {
    PlaceLeftStick(32767, 0); // controller 1, pushed: not the one chosen
    LoadFresh("[Settings]\nController=3\n");
    ASSERT_TRUE(WaitForPolls(10, 2000, 2));
    ExpectEventsNow(0);
    PlaceLeftStick(0, 32767, true, 2);
    ExpectNextEventWithin(false, 1);
    PlaceLeftStick(0, 0, true, 2);
    ExpectNextEventWithin(true, 2);
    for (int index : {0, 1, 3, 4})
        EXPECT_EQ(Controller().calls[index], 0) << "user index " << index << " was read";
}

TEST_F(Watcher, ControllerGoneForHalfASecondLetsTheKeyGoAndBackPushedPressesAgain) {
    LoadFresh();
    MoveLeftStick(32767, 0, 1);
    ExpectNextEventWithin(false, 1);
    Controller().pads[0].connected = 0;
    const ULONGLONG gone = Ticks();
    Sleep(250);
    ExpectEventsNow(1);
    ExpectNextEventWithin(true, 2, 1000);
    const double releasedAfterMs = TicksToMs(static_cast<LONGLONG>(KeyEvents()[1].when - gone));
    EXPECT_GE(releasedAfterMs, 400.0);
    EXPECT_LE(releasedAfterMs, 1000.0);
    ASSERT_TRUE(WaitForPolls(2, 2500)); // about once a second now
    ExpectEventsNow(2);
    Controller().pads[0].connected = 1; // back, still pushed
    ExpectNextEventWithin(false, 3, 1500);
    MoveLeftStick(0, 0, 1);
    ExpectNextEventWithin(true, 4);
}

TEST_F(Watcher, TapAndToggleTapOnTheWayOutAndToggleAlsoOnTheWayBackIn) {
    for (const bool toggle : {false, true}) {
        SCOPED_TRACE(toggle ? "Toggle" : "Tap");
        const HMODULE module = LoadFresh(toggle ? "[Settings]\nMode=Toggle\nOnlyWhenFocused=0\n"
                                                : "[Settings]\nMode=tap\nOnlyWhenFocused=0\n");
        // Out: one tap, long enough for a game that reads the key once a frame.
        const auto expectTap = [](size_t pressCount) {
            ExpectNextEventWithin(false, pressCount);
            ExpectNextEventWithin(true, pressCount + 1);
            const std::vector<KeyEvent> events = KeyEvents();
            const double downMs = TicksToMs(
                static_cast<LONGLONG>(events[pressCount].when - events[pressCount - 1].when));
            EXPECT_GE(downMs, 40.0);
            EXPECT_LE(downMs, 200.0);
        };
        MoveLeftStick(32767, 0, 1);
        expectTap(1);
        Sleep(1000); // held out: nothing more
        ExpectEventsNow(2);
        MoveLeftStick(0, 0, 1);
        if (toggle)
            expectTap(3);
        Sleep(300);
        ExpectEventsNow(toggle ? 4 : 2);
        MoveLeftStick(0, 32767, 1);
        expectTap(toggle ? 5 : 3);
        MoveLeftStick(0, 0, 30);
        Unload(module);
        CheckAndClearKeyEvents();
    }
}

TEST_F(Watcher, UnloadDuringATapReleasesOnce) {
    const HMODULE module = LoadFresh("[Settings]\nMode=Tap\nOnlyWhenFocused=0\n");
    MoveLeftStick(32767, 0, 1);
    ExpectNextEventWithin(false, 1);
    Unload(module);
    ExpectNextEventWithin(true, 2);
    Sleep(200);
    ExpectEventsNow(2);
}

TEST_F(Watcher, ForwardOnlyCountsAPushForwardAndTurningSidewaysLetsGo) {
    LoadFresh("[Settings]\nForwardOnly=1\n");
    MoveLeftStick(32767, 0);
    MoveLeftStick(0, -32768);
    ExpectEventsNow(0);
    MoveLeftStick(0, 32767, 1);
    ExpectNextEventWithin(false, 1);
    MoveLeftStick(32767, 0, 1);
    ExpectNextEventWithin(true, 2);
}

// Walk on a light push, sprint on a full one: the inner ring's key between the rings, each key
// let go before the other goes down, and both let go at unload.
TEST_F(Watcher, AnInnerRingHoldsItsOwnKeyBetweenTheRings) {
    const HMODULE module = LoadFresh("[Settings]\nInnerKey=LCtrl\n");
    MoveLeftStick(9000, 0, 1); // beyond 20 %, inside 40 %
    ASSERT_TRUE(WaitForKeyEvents(1));
    MoveLeftStick(32767, 0, 1);
    ASSERT_TRUE(WaitForKeyEvents(3));
    MoveLeftStick(9000, 0, 1);
    ASSERT_TRUE(WaitForKeyEvents(5));
    Unload(module);
    ASSERT_TRUE(WaitForKeyEvents(6));
    Sleep(100);
    std::vector<std::pair<DWORD, bool>> seen;
    for (const KeyEvent& event : KeyEvents())
        seen.push_back({event.vkCode, event.up});
    const std::vector<std::pair<DWORD, bool>> expected = {
        {VK_LCONTROL, false}, {VK_LCONTROL, true},  {VK_LSHIFT, false},
        {VK_LSHIFT, true},    {VK_LCONTROL, false}, {VK_LCONTROL, true}};
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(KeySettles(false, 1000, VK_LCONTROL) && KeySettles(false));
    ClearKeyEvents();
}
