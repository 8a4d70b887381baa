#include "tuning/TuningPicture.h"

#include <gtest/gtest.h>

TEST(TuningPicture, CirclesAtTheirRadiiAndTheStickWithYUp) {
    const struct {
        const char* what;
        std::int32_t on, off;
        std::int16_t x, y;
        int onRadius, offRadius, dotX, dotY;
        int pushRadius; // the largest push's mark, were this the largest
    } cases[] = {
        {"the defaults, the stick full right", 16383, 13106, 32767, 0, 49, 39, 260, 160, 100},
        {"full forward is up", 16383, 13106, 0, 32767, 49, 39, 160, 60, 100},
        {"negative radii by magnitude; beyond the picture, at its edge", -32767, 2000000, -32768,
         -32768, 100, 158, 60, 260, 141},
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
        EXPECT_EQ(PushRadius(picture, c.x, c.y), c.pushRadius);
    }
}

TEST(TuningPicture, APressTakesTheNearerCircleAndADragGivesItsPercent) {
    // 320 pixels: centre 160, full reach 100; "on" at 49, "off" at 39.
    const TuningPicture picture = LayOutTuningPicture(320, 16383, 13106, 0, 0);
    const struct {
        const char* what;
        int x, y;
        PictureCircle circle;
        std::int32_t percent;
    } cases[] = {
        {"on the on circle", 160 + 49, 160, OnCircle, 49},
        {"just inside the off circle", 160, 160 + 37, OffCircle, 37},
        {"between them, nearer on", 160 + 45, 160, OnCircle, 45},
        {"far from both", 160 + 90, 160, NoCircle, 90},
        {"beyond the reach counts as full", 160 + 140, 160 + 140, NoCircle, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CircleAt(picture, c.x, c.y, 6), c.circle);
        EXPECT_EQ(PercentAtPixel(picture, c.x, c.y), c.percent);
    }
    const TuningPicture same = LayOutTuningPicture(320, 16383, 16383, 0, 0);
    EXPECT_EQ(CircleAt(same, 160 + 52, 160, 6), OnCircle) << "pulled out of both: on";
    EXPECT_EQ(CircleAt(same, 160 + 46, 160, 6), OffCircle) << "pulled in: off";
    // The inner ring, at 20 % and 15 %, where it is on; one at the "off" circle itself.
    TuningPicture inner = picture;
    EXPECT_EQ(CircleAt(inner, 160 + 20, 160, 6), NoCircle) << "no inner ring drawn, none taken";
    AddInnerRing(inner, 320, 6553, 4915);
    EXPECT_EQ(inner.innerOnRadius, 19);
    EXPECT_EQ(inner.innerOffRadius, 14);
    EXPECT_EQ(CircleAt(inner, 160 + 20, 160, 6), InnerOnCircle);
    EXPECT_EQ(CircleAt(inner, 160, 160 - 13, 6), InnerOffCircle);
    AddInnerRing(inner, 320, 13106, 4915);
    EXPECT_EQ(CircleAt(inner, 160 + 41, 160, 6), OffCircle) << "pulled out of both: the outer";
    EXPECT_EQ(CircleAt(inner, 160 + 37, 160, 6), InnerOnCircle) << "pushed in: the inner";
}
