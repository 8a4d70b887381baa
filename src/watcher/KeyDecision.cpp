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

namespace {

// Where one reading puts the stick: beyond the "on" circle (and within the forward cone), and
// inside the "off" circle (or turned away from forward). With "off" above "on", both at once.
struct StickPlace {
    bool beyondOn, insideOff;
};

StickPlace PlaceStick(std::int16_t x, std::int16_t y, const DecisionSettings& settings) {
    const std::int64_t deflection = SquaredDeflection(x, y);
    StickPlace place = {deflection > settings.onSquared, deflection < settings.offSquared};
    if (settings.forwardOnly) {
        const std::int64_t xSquared = std::int64_t{x} * x;
        const std::int64_t ySquared = std::int64_t{y} * y;
        place.beyondOn = place.beyondOn && y > 0 && xSquared < 3 * ySquared; // within 60 degrees
        place.insideOff = place.insideOff || y <= 0 || xSquared > 32 * ySquared; // beyond 80
    }
    return place;
}

HeldKeyEvent DecideHold(bool keyHeld, StickPlace place, bool stickCounts) {
    if (!stickCounts)
        return keyHeld ? KeyRelease : NoKeyEvent;
    if (!keyHeld && place.beyondOn)
        return KeyPress;
    if (keyHeld && place.insideOff)
        return KeyRelease;
    return NoKeyEvent;
}

// Tap and Toggle, once the side is known: a tap down goes up on its 5th turn, or at once when
// cut short; a change of side waits out a tap and the gap after it, then is answered.
HeldKeyEvent DecideTap(WatchState& state, bool keyHeld, KeyMode mode, bool cutShort) {
    if (state.turnsSinceTapEvent <= TapGapTurns)
        ++state.turnsSinceTapEvent;
    if (keyHeld)
        return cutShort || state.turnsSinceTapEvent >= TapTurns ? KeyRelease : NoKeyEvent;
    if (cutShort || state.sideIgnored || state.turnsSinceTapEvent <= TapGapTurns ||
        state.out == state.answeredOut)
        return NoKeyEvent;
    if (mode == TapMode && !state.out) {
        state.answeredOut = false; // Tap answers coming back in with nothing
        return NoKeyEvent;
    }
    return KeyPress;
}

} // namespace

HeldKeyEvent DecideKey(bool keyHeld, std::int64_t deflectionSquared, std::int64_t onSquared,
                       std::int64_t offSquared, bool stickCounts) {
    return DecideHold(keyHeld, {deflectionSquared > onSquared, deflectionSquared < offSquared},
                      stickCounts);
}

bool ControllerGone(const WatchState& state) {
    return state.turnsWithoutReading >= ControllerGoneAfterFailedReads;
}

bool ReadsControllerThisTurn(WatchState& state, std::uint64_t nowMs) {
    if (ControllerGone(state) && nowMs - state.lastReadMs < GoneControllerReadEveryMs)
        return false;
    state.lastReadMs = nowMs;
    return true;
}

bool TriggerPauses(PauseTrigger pause, std::uint8_t left, std::uint8_t right) {
    const bool leftPulled = left > TriggerPulledAbove, rightPulled = right > TriggerPulledAbove;
    return (pause == PauseLeft && leftPulled) || (pause == PauseRight && rightPulled) ||
           (pause == PauseBoth && (leftPulled || rightPulled));
}

HeldKeyEvent DecideOnReading(WatchState& state, bool keyHeld, std::int16_t x, std::int16_t y,
                             const DecisionSettings& settings, bool stickCounts,
                             std::uint8_t leftTrigger, std::uint8_t rightTrigger) {
    state.turnsWithoutReading = 0;
    const StickPlace place = PlaceStick(x, y, settings);
    const bool paused = stickCounts && TriggerPauses(settings.pause, leftTrigger, rightTrigger);
    const bool pauseEnded = state.paused && !paused;
    state.paused = paused;
    if (settings.mode == HoldMode) {
        if (paused) {
            state.outWhilePaused =
                state.outWhilePaused || keyHeld ? !place.insideOff : place.beyondOn;
            return keyHeld ? KeyRelease : NoKeyEvent;
        }
        const bool outStill = pauseEnded && state.outWhilePaused && !place.insideOff;
        state.outWhilePaused = false;
        if (outStill && stickCounts && !keyHeld)
            return KeyPress;
        return DecideHold(keyHeld, place, stickCounts);
    }
    // In the background the side is not followed: back in the game, the stick is compared with
    // the side as it was.
    if (stickCounts)
        state.out = state.out ? !place.insideOff : place.beyondOn;
    if (paused)
        state.sideIgnored = true;
    if (state.sideIgnored && settings.mode == TapMode && !state.out)
        state.answeredOut = false; // Tap answers coming back in with nothing
    if (!paused && state.out == state.answeredOut)
        state.sideIgnored = false;
    return DecideTap(state, keyHeld, settings.mode, !stickCounts || paused);
}

HeldKeyEvent DecideHoldOnReading(bool keyHeld, std::int16_t x, std::int16_t y,
                                 const DecisionSettings& settings) {
    return DecideHold(keyHeld, PlaceStick(x, y, settings), true);
}

HeldKeyEvent DecideInnerOnReading(WatchState& state, bool innerHeld, std::int16_t x, std::int16_t y,
                                  const DecisionSettings& settings, bool stickCounts) {
    const std::int64_t deflection = SquaredDeflection(x, y);
    state.beyondInner = state.beyondInner ? !(deflection < settings.innerOffSquared)
                                          : deflection > settings.innerOnSquared;
    state.outByRing =
        state.outByRing ? !(deflection < settings.offSquared) : deflection > settings.onSquared;
    const bool wanted = settings.innerRing && stickCounts && state.beyondInner && !state.outByRing;
    return wanted == innerHeld ? NoKeyEvent : wanted ? KeyPress : KeyRelease;
}

HeldKeyEvent DecideInnerWithoutReading(WatchState& state, bool innerHeld, bool stickCounts) {
    if (ControllerGone(state))
        state.beyondInner = state.outByRing = false;
    return innerHeld && (ControllerGone(state) || !stickCounts) ? KeyRelease : NoKeyEvent;
}

HeldKeyEvent DecideWithoutReading(WatchState& state, bool keyHeld, const DecisionSettings& settings,
                                  bool stickCounts) {
    if (state.turnsWithoutReading < ControllerGoneAfterFailedReads)
        ++state.turnsWithoutReading;
    const bool gone = ControllerGone(state);
    if (settings.mode == HoldMode)
        return keyHeld && (gone || !stickCounts) ? KeyRelease : NoKeyEvent;
    // The controller going away counts as the stick coming back in, and cuts a tap short. A
    // change of side that waited for a gap is answered during a dropout too.
    const bool goesIn = gone && state.out;
    if (goesIn)
        state.out = false;
    return DecideTap(state, keyHeld, settings.mode, goesIn || !stickCounts);
}

void KeyEventWentThrough(WatchState& state, HeldKeyEvent event, bool foregroundMayRefuse) {
    state.turnsSinceTapEvent = 0;
    if (event == KeyPress)
        state.answeredOut = state.out;
    state.releaseOwed = event == KeyRelease && foregroundMayRefuse;
}

HeldKeyEvent OwedReleaseThisTurn(WatchState& state, bool foregroundMayRefuse, bool keyReadsDown) {
    if (!state.releaseOwed || foregroundMayRefuse)
        return NoKeyEvent;
    state.releaseOwed = false;
    return keyReadsDown ? KeyRelease : NoKeyEvent;
}
