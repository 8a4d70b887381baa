#include "watcher/StickWatcher.h"

#include <xinput.h>

#include <atomic>

#include "watcher/ShiftDecision.h"
#include "shared/SharedValues.h"

namespace {

// Left Shift's scan code. Games that read scan codes (DirectInput, raw input, SDL) ignore a key
// that comes with its virtual-key code alone.
constexpr WORD LeftShiftScanCode = 0x2A;

// Marked down before the press is sent and up only after a release has gone through, so that a
// thread ended between the two steps leaves the mark down and detach sends the release it
// missed. An event the system refuses (SendInput inserts nothing) changes nothing: the next
// poll tries again.
std::atomic<bool> ShiftHeld{false};

bool SendShiftKeyEvent(bool release) {
    INPUT shiftKeyEvent = {};
    shiftKeyEvent.type = INPUT_KEYBOARD;
    shiftKeyEvent.ki.wVk = VK_LSHIFT;
    shiftKeyEvent.ki.wScan = LeftShiftScanCode;
    shiftKeyEvent.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
    return SendInput(1, &shiftKeyEvent, sizeof(INPUT)) == 1;
}

void PressShift() {
    ShiftHeld = true;
    if (!SendShiftKeyEvent(false))
        ShiftHeld = false;
}

void ReleaseShift() {
    if (SendShiftKeyEvent(true))
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
