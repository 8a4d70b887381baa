#pragma once

// What the end-to-end tests share: the test controller, a keyboard hook that sees every key
// event injected on this desktop, and folders that hold a copy of the real StickShift.dll.

#include <windows.h>

#include <string>
#include <vector>

#include "TestController.h"

struct KeyEvent {
    DWORD vkCode;
    DWORD scanCode;
    DWORD flags; // LLKHF_*
    bool up;
    ULONGLONG when; // QueryPerformanceCounter ticks
};

// Installs a low-level keyboard hook on a thread of its own, with its own message loop, so
// that the thread which loads and unloads the module never has to run the hook.
void StartKeyboardWatch();
std::vector<KeyEvent> KeyEvents();
void ClearKeyEvents();
// True once at least `count` events have been seen, false after `timeoutMs`.
bool WaitForKeyEvents(size_t count, DWORD timeoutMs = 2000);

TestControllerState& Controller();
void ResetController();
// Waits until controller 0 has been read `count` more times, so that the module has seen the
// current state; false after `timeoutMs`.
bool WaitForPolls(int count, DWORD timeoutMs = 2000);

std::string ExeFolder();
std::string BuiltModulePath();
// An empty folder for one test case, below the test program's folder.
std::string FreshCaseFolder(const std::string& name);
void WriteTextFile(const std::string& path, const std::string& text);
// Copies the built StickShift.dll to `path`.
void PlaceModule(const std::string& path);

// The desktop's key state follows an injected event only after the hooks have seen it: waits
// up to `timeoutMs` for Left Shift to be down (or up), and tells whether it is.
bool LeftShiftSettles(bool down, DWORD timeoutMs = 1000);

// Runs this test program again as a child with the given arguments; returns its process handle.
HANDLE StartChild(const std::string& arguments);
