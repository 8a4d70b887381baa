#pragma once

// What every host program of the rig uses (tests, demo, benchmark): a keyboard hook that sees
// each key event injected on this desktop, and the test controller driven from the host side.

#include <windows.h>

#include <cstddef>
#include <functional>
#include <vector>

#include "TestController.h"

struct KeyEvent {
    DWORD vkCode;
    DWORD scanCode;
    DWORD flags; // LLKHF_*
    bool up;
    ULONGLONG when; // Ticks()
};

// Checks `condition` every millisecond until it holds (true) or `timeoutMs` has passed (false).
template <typename Condition> bool WaitUntil(Condition condition, DWORD timeoutMs = 2000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() > deadline)
            return false;
        Sleep(1);
    }
    return true;
}

// The rig's clock: QueryPerformanceCounter ticks, and their length in milliseconds.
ULONGLONG Ticks();
double TicksToMs(LONGLONG ticks);

// Installs a low-level keyboard hook on a thread of its own, with its own message loop, so
// that the thread which loads and unloads the module never has to run the hook.
void StartKeyboardWatch();
// Runs `work` on the hook's thread and waits for it: a host whose own thread owns the hook, as
// a game's does. The hook sees nothing while `work` runs, except what that thread sends itself.
void RunOnHookThread(const std::function<void()>& work);
std::vector<KeyEvent> KeyEvents();
void ClearKeyEvents();
// True once at least `count` events have been seen, false after `timeoutMs`.
bool WaitForKeyEvents(std::size_t count, DWORD timeoutMs = 2000);

// The desktop's key state follows an injected event only after the hooks have seen it: waits
// up to `timeoutMs` for the key (Left Shift unless named) to be down (or up), and tells whether
// it is.
bool KeySettles(bool down, DWORD timeoutMs = 1000, UINT virtualKey = VK_LSHIFT);

TestControllerState& Controller();
void ResetController();
// Puts a controller's left stick at (x, y), plugged in or not.
void PlaceLeftStick(SHORT x, SHORT y, bool connected = true, int userIndex = 0);
// Waits until a controller has been read `count` more times, so that the module has seen its
// current state; false after `timeoutMs`.
bool WaitForPolls(int count, DWORD timeoutMs = 2000, int userIndex = 0);
