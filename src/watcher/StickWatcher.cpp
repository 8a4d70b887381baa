#include "watcher/StickWatcher.h"

#include <atomic>

#include "shared/ModuleForm.h"
#include "shared/ProcessRecord.h"
#include "shared/SharedValues.h"
#include "watcher/KeyDecision.h"

namespace {

// Marked down before the press is sent and up only after a release has gone through, so that a
// thread ended between the two steps leaves the mark down and detach sends the release it
// missed. An event the system refuses (SendInput inserts nothing) changes nothing: the next
// poll tries again.
std::atomic<bool> ShiftHeld{false};

bool SendHeldKeyEvent(bool release) {
    INPUT keyEvent = {};
    keyEvent.type = INPUT_KEYBOARD;
    keyEvent.ki.wVk = HeldKey.virtualKey;
    keyEvent.ki.wScan = HeldKey.scanCode;
    keyEvent.ki.dwFlags =
        (release ? KEYEVENTF_KEYUP : 0) | (HeldKey.extended ? KEYEVENTF_EXTENDEDKEY : 0);
    return SendInput(1, &keyEvent, sizeof(INPUT)) == 1;
}

// A controller button is held in what the game reads through the no-loader form, never sent as
// a keyboard event: held from the moment it is set until it is let go.
std::atomic<bool> PadButtonHeld{false};

bool KeyHeld() {
    return HeldKey.padButton != 0 ? PadButtonHeld : ShiftHeld;
}

bool PressKey() {
    if (HeldKey.padButton != 0) {
        HoldPadButton(ControllerIndex, HeldKey.padButton);
        PadButtonHeld = true;
        return true;
    }
    ShiftHeld = true;
    const bool sent = SendHeldKeyEvent(false);
    if (!sent)
        ShiftHeld = false;
    return sent;
}

bool ReleaseKey() {
    if (HeldKey.padButton != 0) {
        HoldPadButton(ControllerIndex, 0);
        PadButtonHeld = false;
        return true;
    }
    if (!SendHeldKeyEvent(true))
        return false;
    ShiftHeld = false;
    return true;
}

// Whether a window of this process has the foreground. None at all (a locked desktop, or no
// display) counts as the game being in the background.
bool GameHasForeground() {
    DWORD owner = 0;
    const HWND foreground = GetForegroundWindow();
    return foreground != nullptr && GetWindowThreadProcessId(foreground, &owner) != 0 &&
           owner == GetCurrentProcessId();
}

} // namespace

unsigned WINAPI StickWatcher(void*) {
    const DecisionSettings settings = {SquareThreshold(ThresholdOn), SquareThreshold(ThresholdOff),
                                       Mode, ForwardOnly};
    WatchState state;

    while (Running) {
        // Checked whether or not the controller answers, so that a held key goes up when the
        // player switches away during a dropout too. A game that has disabled XInput reads a
        // centred stick meanwhile, and so does the watcher: it does not count either.
        const bool stickCounts =
            (!OnlyWhenFocused || GameHasForeground()) && !XInputDisabledInProcess();
        XINPUT_STATE sample = {};
        const HeldKeyEvent event =
            ReadsControllerThisTurn(state, GetTickCount64()) &&
                    ReadController(ControllerIndex, &sample) == ERROR_SUCCESS
                ? DecideOnReading(state, KeyHeld(), sample.Gamepad.sThumbLX,
                                  sample.Gamepad.sThumbLY, settings, stickCounts)
                : DecideWithoutReading(state, KeyHeld(), settings, stickCounts);
        // Checked again just before sending: once detach has begun, a send could wait on a
        // keyboard hook owned by the unloading thread, which is inside DllMain. Detach sends the
        // release that is owed.
        if (!Running)
            break;
        if ((event == KeyPress && PressKey()) || (event == KeyRelease && ReleaseKey()))
            KeyEventWentThrough(state, event);
        Sleep(PollPauseMs);
    }
    // A held key is released by detach, on the unloading thread.
    return 0;
}

void ReleaseKeyIfHeld() {
    if (KeyHeld())
        ReleaseKey();
}
