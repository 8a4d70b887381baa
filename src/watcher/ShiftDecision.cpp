#include "watcher/ShiftDecision.h"

std::int64_t SquareThreshold(std::int32_t threshold) {
    const std::int64_t wide = threshold;
    return wide * wide;
}

std::int64_t SquaredDeflection(std::int16_t x, std::int16_t y) {
    const std::int64_t wideX = x;
    const std::int64_t wideY = y;
    return wideX * wideX + wideY * wideY;
}

ShiftEvent DecideShift(bool shiftHeld, std::int64_t deflectionSquared, std::int64_t onSquared,
                       std::int64_t offSquared, bool stickCounts) {
    if (!stickCounts)
        return shiftHeld ? ShiftRelease : NoShiftEvent;
    if (!shiftHeld && deflectionSquared > onSquared)
        return ShiftPress;
    if (shiftHeld && deflectionSquared < offSquared)
        return ShiftRelease;
    return NoShiftEvent;
}

ShiftEvent DecideOnFailedRead(bool shiftHeld, unsigned& failedReadsInARow) {
    if (failedReadsInARow < ControllerGoneAfterFailedReads)
        ++failedReadsInARow;
    return shiftHeld && failedReadsInARow >= ControllerGoneAfterFailedReads ? ShiftRelease
                                                                            : NoShiftEvent;
}
