#include "HostRig.h"

#include <cstdio>

namespace {

CRITICAL_SECTION EventsLock;
std::vector<KeyEvent> Events;
HHOOK KeyboardHook = nullptr;
DWORD KeyboardThreadId = 0;
// A thread message to the hook's thread: run the std::function<void()> in wParam, then set the
// event in lParam.
constexpr UINT RunHereMessage = WM_APP + 1;
TestControllerState* SharedController = nullptr;

LRESULT CALLBACK RecordKeyEvent(int code, WPARAM message, LPARAM data) {
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
        const ULONGLONG now = Ticks();
        EnterCriticalSection(&EventsLock);
        Events.push_back({key->vkCode, key->scanCode, key->flags,
                          message == WM_KEYUP || message == WM_SYSKEYUP, now});
        LeaveCriticalSection(&EventsLock);
    }
    return CallNextHookEx(KeyboardHook, code, message, data);
}

DWORD WINAPI KeyboardWatchThread(void* ready) {
    KeyboardHook = SetWindowsHookExA(WH_KEYBOARD_LL, RecordKeyEvent, GetModuleHandleA(nullptr), 0);
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE); // the queue, for RunOnHookThread
    SetEvent(static_cast<HANDLE>(ready));
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == RunHereMessage) {
            (*reinterpret_cast<const std::function<void()>*>(message.wParam))();
            SetEvent(reinterpret_cast<HANDLE>(message.lParam));
        }
        DispatchMessageA(&message);
    }
    return 0;
}

} // namespace

ULONGLONG Ticks() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<ULONGLONG>(now.QuadPart);
}

double TicksToMs(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

void StartKeyboardWatch() {
    InitializeCriticalSection(&EventsLock);
    Events.reserve(1 << 16); // recording allocates nothing while a host measures its memory
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(CreateThread(nullptr, 0, KeyboardWatchThread, ready, 0, &KeyboardThreadId));
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
    if (KeyboardHook == nullptr) {
        std::fprintf(stderr, "cannot install the low-level keyboard hook\n");
        ExitProcess(2);
    }
}

void RunOnHookThread(const std::function<void()>& work) {
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    PostThreadMessageA(KeyboardThreadId, RunHereMessage, reinterpret_cast<WPARAM>(&work),
                       reinterpret_cast<LPARAM>(done));
    WaitForSingleObject(done, INFINITE);
    CloseHandle(done);
}

std::vector<KeyEvent> KeyEvents() {
    EnterCriticalSection(&EventsLock);
    std::vector<KeyEvent> copy = Events;
    LeaveCriticalSection(&EventsLock);
    return copy;
}

void ClearKeyEvents() {
    EnterCriticalSection(&EventsLock);
    Events.clear();
    LeaveCriticalSection(&EventsLock);
}

bool WaitForKeyEvents(std::size_t count, DWORD timeoutMs) {
    return WaitUntil([count] { return KeyEvents().size() >= count; }, timeoutMs);
}

bool KeySettles(bool down, DWORD timeoutMs, UINT virtualKey) {
    return WaitUntil(
        [=] { return ((GetAsyncKeyState(static_cast<int>(virtualKey)) & 0x8000) != 0) == down; },
        timeoutMs);
}

TestControllerState& Controller() {
    if (SharedController == nullptr) {
        SharedController = OpenTestController();
        if (SharedController == nullptr) {
            std::fprintf(stderr, "cannot map the test controller\n");
            ExitProcess(2);
        }
    }
    return *SharedController;
}

void ResetController() {
    for (TestPad& pad : Controller().pads) {
        pad.connected = 0;
        InterlockedExchange64(&pad.sticks, 0);
        pad.buttons = 0;
        pad.triggers = 0;
    }
    Controller().firstCallSetupMs = 0;
    Controller().fixedPacketNumber = 0;
    Controller().capabilitiesUserIndex = -1;
    Controller().capabilitiesFlags = -1;
}

void PlaceLeftStick(SHORT x, SHORT y, bool connected, int userIndex) {
    TestPad& pad = Controller().pads[userIndex];
    SetLeftStick(pad, x, y);
    pad.connected = connected;
}

bool WaitForPolls(int count, DWORD timeoutMs, int userIndex) {
    const LONG target = Controller().calls[userIndex] + count;
    return WaitUntil([=] { return Controller().calls[userIndex] >= target; }, timeoutMs);
}
