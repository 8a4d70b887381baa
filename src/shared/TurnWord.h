#pragma once

#include <cstdint>

// One turn of the acting copy as the record publishes it, in one 64-bit word so that a tool never
// sees one turn's X with another's Y: X in the low 16 bits, Y in the next 16, then bit 32 set
// while the stick counts and bit 33 while the key is held; from record layout 5, bit 34 while
// the inner ring's key is held and bit 35 while a trigger pauses the key. Free of any platform
// call.
struct PublishedTurn {
    std::int16_t x, y;
    bool stickCounts, keyHeld;
    bool innerHeld = false, paused = false;
};

constexpr std::uint64_t PackTurn(const PublishedTurn& turn) {
    return static_cast<std::uint64_t>(static_cast<std::uint16_t>(turn.x)) |
           static_cast<std::uint64_t>(static_cast<std::uint16_t>(turn.y)) << 16 |
           static_cast<std::uint64_t>(turn.stickCounts) << 32 |
           static_cast<std::uint64_t>(turn.keyHeld) << 33 |
           static_cast<std::uint64_t>(turn.innerHeld) << 34 |
           static_cast<std::uint64_t>(turn.paused) << 35;
}

constexpr PublishedTurn UnpackTurn(std::uint64_t word) {
    return {static_cast<std::int16_t>(static_cast<std::uint16_t>(word & 0xFFFF)),
            static_cast<std::int16_t>(static_cast<std::uint16_t>(word >> 16 & 0xFFFF)),
            (word >> 32 & 1) != 0,
            (word >> 33 & 1) != 0,
            (word >> 34 & 1) != 0,
            (word >> 35 & 1) != 0};
}
