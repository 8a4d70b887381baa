#pragma once

#include <cstdint>

// The decision of one poll, free of any platform call so that it is shared by the module,
// its companion tools and the tests.

// A fixed pause after every poll. Windows may stretch it to its timer's tick (about 15.6 ms)
// unless the game has made the tick finer.
constexpr unsigned long PollPauseMs = 10;

// Failed reads in a row, about half a second of them, after which a held key is let go: the
// controller has gone away (a flat battery, a dropped link). Wireless pads drop single reports,
// so a shorter gap changes nothing.
constexpr unsigned ControllerGoneAfterFailedReads = 50;
// Once gone, the controller is read on every 100th turn only, about once a second: reading an
// empty slot is costly on Windows, and a player may play the whole game without a pad.
constexpr unsigned GoneControllerReadEveryTurns = 100;

enum HeldKeyEvent { NoKeyEvent, KeyPress, KeyRelease };

// What the watcher carries from one turn to the next, apart from whether the key is held.
struct WatchState {
    // Turns in a row without a reading, failed or skipped; from the 50th on it runs round the
    // 100 turns between two reads of a gone controller.
    unsigned turnsWithoutReading = 0;
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

// Whether this turn reads the controller: every turn until it has gone, then every 100th.
bool ReadsControllerThisTurn(const WatchState& state);

// After a successful read: the controller is back, and the stick decides.
HeldKeyEvent DecideOnReading(WatchState& state, bool keyHeld, std::int64_t deflectionSquared,
                             std::int64_t onSquared, std::int64_t offSquared, bool stickCounts);

// After a failed or skipped read: a held key is let go once the controller has been gone long
// enough, or at once when the stick does not count.
HeldKeyEvent DecideWithoutReading(WatchState& state, bool keyHeld, bool stickCounts);
