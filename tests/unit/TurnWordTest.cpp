#include "shared/TurnWord.h"

#include <gtest/gtest.h>

// What a tool reads back of the acting copy's last turn: a negative axis spreads into nothing
// else, and each flag stands for itself.
TEST(TurnWord, ReadsBackAsPublished) {
    const PublishedTurn cases[] = {
        {-1, 0, false, false},     {-32768, 32767, false, false}, {32767, -32768, false, false},
        {-12000, -1, true, false}, {-12000, 5, false, true},      {0, 0, true, true},
    };
    for (const PublishedTurn& turn : cases) {
        SCOPED_TRACE(std::to_string(turn.x) + "," + std::to_string(turn.y));
        const std::uint64_t word = PackTurn(turn);
        EXPECT_EQ(word >> 34, 0u) << "nothing beyond the flags";
        const PublishedTurn back = UnpackTurn(word);
        EXPECT_EQ(back.x, turn.x);
        EXPECT_EQ(back.y, turn.y);
        EXPECT_EQ(back.stickCounts, turn.stickCounts);
        EXPECT_EQ(back.keyHeld, turn.keyHeld);
    }
}
