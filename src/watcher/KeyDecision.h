#pragma once

#include <cstdint>

#include "shared/HoldableKey.h"

// The decision of one poll, free of any platform call so that it is shared by the module,
// its companion tools and the tests.

// A fixed pause after every poll. Windows may stretch it to its timer's tick (about 15.6 ms)
// unless the game has made the tick finer.
constexpr unsigned long PollPauseMs = 10;

// Failed reads in a row, about half a second of them, after which a held key is let go: the
// controller has gone away (a flat battery, a dropped link). Wireless pads drop single reports,
// so a shorter gap changes nothing.
constexpr unsigned ControllerGoneAfterFailedReads = 50;
// Once gone, the controller is read once a second only, by the system's millisecond tick rather
// than a count of turns, whose length Windows may stretch: reading an empty slot is costly on
// Windows, and a player may play the whole game without a pad.
constexpr std::uint64_t GoneControllerReadEveryMs = 1000;

// A tap's key goes up on the 5th turn after its press, long enough for a game that reads the
// keyboard once a frame; and stays up at least 5 turns before the next tap.
constexpr unsigned TapTurns = 5;
constexpr unsigned TapGapTurns = 5;

// XInput's own threshold for a pulled trigger (XINPUT_GAMEPAD_TRIGGER_THRESHOLD), of 255.
constexpr unsigned TriggerPulledAbove = 30;

enum HeldKeyEvent { NoKeyEvent, KeyPress, KeyRelease };

// What the decision works with, fixed when the watcher starts.
struct DecisionSettings {
    std::int64_t onSquared, offSquared;
    KeyMode mode;
    bool forwardOnly;
    bool innerRing;
    std::int64_t innerOnSquared, innerOffSquared;
    PauseTrigger pause;
};

// What the watcher carries from one turn to the next, apart from whether the key is held.
struct WatchState {
    // Turns in a row without a reading, failed or skipped, counted up to 50; and the tick of the
    // last read, which paces the reads of a gone controller.
    unsigned turnsWithoutReading = 0;
    std::uint64_t lastReadMs = 0;
    // Tap and Toggle: the stick's side (out beyond the "on" circle, in inside the "off" one),
    // the side the taps have last answered, and the turns since a tap's press or release went
    // through, counted up to the end of the gap.
    bool out = false;
    bool answeredOut = false;
    unsigned turnsSinceTapEvent = TapGapTurns + 1;
    // A release sent while the window in front may have refused it without a word.
    bool releaseOwed = false;
    // The inner ring: the push beyond it, by its own hysteresis, and out by the outer ring's,
    // whatever the outer key does.
    bool beyondInner = false;
    bool outByRing = false;
    // A trigger pausing the key: whether the last reading's did, and (Hold) whether the push was
    // still out by the outer circles, to press again once the trigger is let go; (Tap, Toggle)
    // whether the side the stick took meanwhile is left unanswered until it is the answered one.
    bool paused = false;
    bool outWhilePaused = false;
    bool sideIgnored = false;
};

// Widened before squaring, so a negative threshold acts like its magnitude and nothing overflows.
std::int64_t SquareThreshold(std::int32_t threshold);

// Squared distance of the stick from its centre, in raw stick units (0 to 2 * 32768^2).
std::int64_t SquaredDeflection(std::int16_t x, std::int16_t y);

// Hysteresis: press strictly beyond the "on" circle, release strictly inside the "off" circle,
// otherwise keep the current state. At most one event per poll. While the stick does not count
// (the game is in the background), nothing is pressed and a held key is let go.
HeldKeyEvent DecideKey(bool keyHeld, std::int64_t deflectionSquared, std::int64_t onSquared,
                       std::int64_t offSquared, bool stickCounts = true);

// Whether the controller has failed 50 reads in a row, and no read has succeeded since.
bool ControllerGone(const WatchState& state);

// Whether the turn at `nowMs`, on the system's millisecond tick, reads the controller: every turn
// until it has gone, then once a second has passed since the last read. Remembers a read's tick.
bool ReadsControllerThisTurn(WatchState& state, std::uint64_t nowMs);

// After a successful read with the left stick at (x, y): the controller is back, and the stick
// decides, the way the mode works the key. With forwardOnly, the stick goes out only pointing
// within 60 degrees of straight forward (+Y: X^2 < 3 Y^2), and comes back in beyond about 80
// (X^2 > 32 Y^2, or Y <= 0): the cone has a band of its own, and turning sideways lets go.
//
// While the trigger that settings.pause names reads above TriggerPulledAbove, the key is let go
// and not pressed; let go with the push still out, Hold presses again. Tap and Toggle answer no
// push made meanwhile, and letting go of the trigger taps nothing by itself.
HeldKeyEvent DecideOnReading(WatchState& state, bool keyHeld, std::int16_t x, std::int16_t y,
                             const DecisionSettings& settings, bool stickCounts,
                             std::uint8_t leftTrigger = 0, std::uint8_t rightTrigger = 0);

// Whether a trigger that `pause` names reads as pulled.
bool TriggerPauses(PauseTrigger pause, std::uint8_t leftTrigger, std::uint8_t rightTrigger);

// Hold, on one reading that counts, from whether the key is held alone: for the game's own read,
// which keeps no state of its own.
HeldKeyEvent DecideHoldOnReading(bool keyHeld, std::int16_t x, std::int16_t y,
                                 const DecisionSettings& settings);

// The inner key after the same reading: held while the push is beyond the inner ring and not
// out by the outer one, whatever the outer key does; let go while the stick does not count.
HeldKeyEvent DecideInnerOnReading(WatchState& state, bool innerHeld, std::int16_t x, std::int16_t y,
                                  const DecisionSettings& settings, bool stickCounts);
// After a failed or skipped read, once DecideWithoutReading has counted it: let go once the
// controller has gone, or while the stick does not count.
HeldKeyEvent DecideInnerWithoutReading(WatchState& state, bool innerHeld, bool stickCounts);

// After a failed or skipped read: the turn counts for a tap, and a held key is let go once the
// controller has been gone long enough, or at once when the stick does not count. A gone
// controller counts as the stick back in.
HeldKeyEvent DecideWithoutReading(WatchState& state, bool keyHeld, const DecisionSettings& settings,
                                  bool stickCounts);

// Records that the turn's event went through; one the system refused is decided again. A window
// of a process of higher integrity than the game's refuses injected input without a word
// (neither SendInput's answer nor the last error tells), and so may one the module cannot
// query: a release sent while such a window is in front (`foregroundMayRefuse`) stays owed.
void KeyEventWentThrough(WatchState& state, HeldKeyEvent event, bool foregroundMayRefuse = false);

// A turn on which a release is owed and the key is not held: nothing while such a window is still
// in front (the key's state cannot be read across it either); once another is, the release again
// if the key still reads down (`keyReadsDown`, asked only then), and nothing is owed any more.
HeldKeyEvent OwedReleaseThisTurn(WatchState& state, bool foregroundMayRefuse, bool keyReadsDown);
