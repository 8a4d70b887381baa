#include "tuning/TuningPicture.h"

#include <gtest/gtest.h>

TEST(TuningPicture, CirclesAtTheirRadiiAndTheStickWithYUp) {
    const struct {
        const char* what;
        std::int32_t on, off;
        std::int16_t x, y;
        int onRadius, offRadius, dotX, dotY;
    } cases[] = {
        {"the defaults, the stick full right", 16383, 13106, 32767, 0, 49, 39, 260, 160},
        {"full forward is up", 16383, 13106, 0, 32767, 49, 39, 160, 60},
        {"negative radii by magnitude; beyond the picture, at its edge", -32767, 2000000, -32768,
         -32768, 100, 158, 60, 260},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TuningPicture picture = LayOutTuningPicture(320, c.on, c.off, c.x, c.y);
        EXPECT_EQ(picture.centre, 160);
        EXPECT_EQ(picture.reachRadius, 100);
        EXPECT_EQ(picture.onRadius, c.onRadius);
        EXPECT_EQ(picture.offRadius, c.offRadius);
        EXPECT_EQ(picture.dotX, c.dotX);
        EXPECT_EQ(picture.dotY, c.dotY);
    }
}
