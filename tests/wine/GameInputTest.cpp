// What a game sees of the module's Left Shift, whichever way it reads the keyboard. The
// Display tests need a focused window, which Wine gives only with a display (make test runs
// them under Xvfb); the rest run without one.

#define DIRECTINPUT_VERSION 0x0800
#include <dinput.h>

#include "ModuleTest.h"

using GameInput = ModuleTest;
using Display = ModuleTest;

namespace {

constexpr UINT LeftShiftScanCode = 0x2A;
constexpr UINT NotSeen = ~0u;

// Scan codes a game window got for Shift going down and up, in its key messages and in raw
// input.
UINT KeyDownScanCode, KeyUpScanCode, RawDownMakeCode, RawUpMakeCode;

LRESULT CALLBACK RecordShift(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == WM_KEYDOWN || message == WM_KEYUP) && wParam == VK_SHIFT)
        (message == WM_KEYDOWN ? KeyDownScanCode : KeyUpScanCode) = (lParam >> 16) & 0xFF;
    if (message == WM_INPUT) {
        RAWINPUT input;
        UINT size = sizeof input;
        if (GetRawInputData(reinterpret_cast<HRAWINPUT>(lParam), RID_INPUT, &input, &size,
                            sizeof(RAWINPUTHEADER)) != static_cast<UINT>(-1) &&
            input.header.dwType == RIM_TYPEKEYBOARD && input.data.keyboard.VKey == VK_SHIFT)
            ((input.data.keyboard.Flags & RI_KEY_BREAK) ? RawUpMakeCode : RawDownMakeCode) =
                input.data.keyboard.MakeCode;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND GameWindow(bool visible) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = RecordShift;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"StickShiftTestGame";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, windowClass.lpszClassName, L"StickShift test game",
                           visible ? WS_OVERLAPPEDWINDOW | WS_VISIBLE : 0, 0, 0, 320, 200, nullptr,
                           nullptr, windowClass.hInstance, nullptr);
}

// Handles this thread's window messages until `condition` holds; false after two seconds.
template <typename Condition> bool PumpUntil(Condition condition) {
    return WaitUntil([&condition] {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        return condition();
    });
}

} // namespace

TEST_F(GameInput, DirectInputKeyboardSeesTheKeyWhileHeld) {
    IDirectInput8W* directInput = nullptr;
    ASSERT_EQ(DirectInput8Create(GetModuleHandleW(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8W,
                                 reinterpret_cast<void**>(&directInput), nullptr),
              DI_OK);
    IDirectInputDevice8W* keyboard = nullptr;
    ASSERT_EQ(directInput->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
    // As a game sets it up: the standard keyboard format, read in the background, shared.
    const HWND window = GameWindow(false);
    ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    ASSERT_EQ(keyboard->SetCooperativeLevel(window, DISCL_BACKGROUND | DISCL_NONEXCLUSIVE), DI_OK);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    // Left Shift, and an extended key, which DirectInput tells apart by the E0 prefix.
    for (const bool rightCtrl : {false, true}) {
        SCOPED_TRACE(rightCtrl ? "RCtrl" : "LShift");
        const auto keyDown = [keyboard, rightCtrl] {
            BYTE keys[256] = {};
            keyboard->GetDeviceState(sizeof keys, keys);
            return (keys[rightCtrl ? DIK_RCONTROL : DIK_LSHIFT] & 0x80) != 0;
        };
        if (rightCtrl)
            ExpectKey(VK_RCONTROL, 0x1D, true);
        const HMODULE module = LoadFresh(rightCtrl ? "[Settings]\nKey=RCtrl\n" : nullptr);
        MoveLeftStick(32767, 0, 1);
        ExpectNextEventWithin(false, 1);
        EXPECT_TRUE(WaitUntil(keyDown));
        MoveLeftStick(0, 0, 1);
        ExpectNextEventWithin(true, 2);
        EXPECT_TRUE(WaitUntil([&] { return !keyDown(); }));
        Unload(module);
        CheckAndClearKeyEvents();
    }

    keyboard->Unacquire();
    keyboard->Release();
    directInput->Release();
    DestroyWindow(window);
}

TEST_F(Display, FocusedWindowGetsTheScanCodeInKeyMessagesAndRawInput) {
    KeyDownScanCode = KeyUpScanCode = RawDownMakeCode = RawUpMakeCode = NotSeen;
    const HWND window = GameWindow(true);
    SetForegroundWindow(window);
    SetFocus(window);
    const RAWINPUTDEVICE keyboard = {1, 6, RIDEV_INPUTSINK, window}; // generic desktop, keyboard
    ASSERT_TRUE(RegisterRawInputDevices(&keyboard, 1, sizeof keyboard));
    ASSERT_TRUE(PumpUntil([window] { return GetForegroundWindow() == window; }))
        << "the game window never got the focus";

    LoadFresh();
    MoveLeftStick(32767, 0, 1);
    EXPECT_TRUE(PumpUntil([] { return KeyDownScanCode != NotSeen && RawDownMakeCode != NotSeen; }));
    MoveLeftStick(0, 0, 1);
    EXPECT_TRUE(PumpUntil([] { return KeyUpScanCode != NotSeen && RawUpMakeCode != NotSeen; }));
    EXPECT_EQ(KeyDownScanCode, LeftShiftScanCode);
    EXPECT_EQ(KeyUpScanCode, LeftShiftScanCode);
    EXPECT_EQ(RawDownMakeCode, LeftShiftScanCode);
    EXPECT_EQ(RawUpMakeCode, LeftShiftScanCode);
    DestroyWindow(window);
}

TEST_F(Display, OnlyWhenFocusedActsWhileAWindowOfTheGameHasTheForeground) {
    const HWND window = GameWindow(true);
    const auto foregroundIsOurs = [window](bool ours) {
        return PumpUntil([=] {
            DWORD owner = 0;
            const HWND foreground = GetForegroundWindow();
            GetWindowThreadProcessId(foreground, &owner);
            return (foreground != nullptr && owner == GetCurrentProcessId()) == ours;
        });
    };
    // The held key goes up within two turns of the game losing the foreground.
    const auto expectPromptRelease = [&](size_t count) {
        ASSERT_TRUE(foregroundIsOurs(false)) << "the other program never took the foreground";
        const LONG turnsWhenLost = Controller().calls[0];
        ExpectNextEventWithin(true, count);
        EXPECT_LE(Controller().calls[0] - turnsWhenLost, 3) << "the release took over two turns";
    };
    SetForegroundWindow(window);
    ASSERT_TRUE(foregroundIsOurs(true)) << "the game window never got the foreground";
    LoadFresh("[Settings]\nOnlyWhenFocused=1\n");
    MoveLeftStick(32767, 0, 1);
    ExpectNextEventWithin(false, 1);

    const char* doneName = "Local\\StickShiftTestForegroundDone";
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, doneName);
    HANDLE other = StartChild(std::string("--take-foreground ") + doneName);
    ASSERT_NE(other, nullptr);
    expectPromptRelease(2);
    MoveLeftStick(0, 0);
    MoveLeftStick(0, -32768); // pushed while another program has the foreground
    ExpectEventsNow(2);

    SetForegroundWindow(window);
    ASSERT_TRUE(foregroundIsOurs(true));
    ExpectNextEventWithin(false, 3); // back in the game with the stick still pushed

    // The controller drops its reports, and meanwhile the player switches away.
    Controller().pads[0].connected = 0;
    SetForegroundWindow(FindWindowW(nullptr, L"Another program"));
    expectPromptRelease(4);
    SetForegroundWindow(window);
    ASSERT_TRUE(foregroundIsOurs(true));
    MoveLeftStick(0, 0, 1);
    ExpectEventsNow(4);

    SetEvent(done);
    DWORD exitCode;
    EXPECT_TRUE(AwaitChild(other, 10000, exitCode));
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(done);
    DestroyWindow(window);
}
