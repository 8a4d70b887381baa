#include "watcher/StickWatcher.h"

#include <xinput.h>

#include <atomic>

#include "watcher/ShiftDecision.h"
#include "shared/SharedValues.h"

namespace {

// Marked down before the press is sent and up only after the release is sent, so that a thread
// ended between the two steps leaves the mark down and detach sends the release it missed.
std::atomic<bool> ShiftHeld{false};

void SendShiftKeyEvent(bool release) {
    INPUT shiftKeyEvent = {};
    shiftKeyEvent.type = INPUT_KEYBOARD;
    shiftKeyEvent.ki.wVk = VK_LSHIFT;
    shiftKeyEvent.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &shiftKeyEvent, sizeof(INPUT));
}

void PressShift() {
    ShiftHeld = true;
    SendShiftKeyEvent(false);
}

void ReleaseShift() {
    SendShiftKeyEvent(true);
    ShiftHeld = false;
}

} // namespace

unsigned WINAPI StickWatcher(void*) {
    const std::int64_t onSquared = SquareThreshold(ThresholdOn);
    const std::int64_t offSquared = SquareThreshold(ThresholdOff);

    while (Running) {
        XINPUT_STATE sample = {};
        if (XInputGetState(ControllerIndex, &sample) == ERROR_SUCCESS) {
            const std::int64_t deflection =
                SquaredDeflection(sample.Gamepad.sThumbLX, sample.Gamepad.sThumbLY);
            switch (DecideShift(ShiftHeld, deflection, onSquared, offSquared)) {
            case ShiftPress:
                PressShift();
                break;
            case ShiftRelease:
                ReleaseShift();
                break;
            case NoShiftEvent:
                break;
            }
        }
        Sleep(PollPauseMs);
    }
    // A held key is released by detach, on the unloading thread.
    return 0;
}

void ReleaseShiftIfHeld() {
    if (ShiftHeld)
        ReleaseShift();
}
