#include "watcher/KeyDecision.h"

std::int64_t SquareThreshold(std::int32_t threshold) {
    const std::int64_t wide = threshold;
    return wide * wide;
}

std::int64_t SquaredDeflection(std::int16_t x, std::int16_t y) {
    const std::int64_t wideX = x;
    const std::int64_t wideY = y;
    return wideX * wideX + wideY * wideY;
}

HeldKeyEvent DecideKey(bool keyHeld, std::int64_t deflectionSquared, std::int64_t onSquared,
                       std::int64_t offSquared, bool stickCounts) {
    if (!stickCounts)
        return keyHeld ? KeyRelease : NoKeyEvent;
    if (!keyHeld && deflectionSquared > onSquared)
        return KeyPress;
    if (keyHeld && deflectionSquared < offSquared)
        return KeyRelease;
    return NoKeyEvent;
}

namespace {
// The last turn of each round of a gone controller, the one that reads it.
constexpr unsigned GoneControllerReadingTurn =
    ControllerGoneAfterFailedReads + GoneControllerReadEveryTurns - 1;
} // namespace

bool ControllerGone(const WatchState& state) {
    return state.turnsWithoutReading >= ControllerGoneAfterFailedReads;
}

bool ReadsControllerThisTurn(const WatchState& state) {
    return !ControllerGone(state) || state.turnsWithoutReading == GoneControllerReadingTurn;
}

HeldKeyEvent DecideOnReading(WatchState& state, bool keyHeld, std::int64_t deflectionSquared,
                             std::int64_t onSquared, std::int64_t offSquared, bool stickCounts) {
    state.turnsWithoutReading = 0;
    return DecideKey(keyHeld, deflectionSquared, onSquared, offSquared, stickCounts);
}

HeldKeyEvent DecideWithoutReading(WatchState& state, bool keyHeld, bool stickCounts) {
    state.turnsWithoutReading = state.turnsWithoutReading < GoneControllerReadingTurn
                                    ? state.turnsWithoutReading + 1
                                    : ControllerGoneAfterFailedReads;
    return keyHeld && (ControllerGone(state) || !stickCounts) ? KeyRelease : NoKeyEvent;
}
