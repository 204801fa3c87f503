// The picture window's rules: where the picture shows, and how far a wheel
// turn moves it.

#include "widgets/PictureWnd.h"

#include <gtest/gtest.h>

namespace
{
TEST(PictureLayout, OffsetIsPulledBackAndVisibleRectCoversThePicture)
{
    const struct
    {
        QSize client, picture;
        QPoint offset;
        QPoint wantOffset;
        CRect wantVisible;
    } cases[] = {
        {{100, 80}, {40, 30}, {0, 0}, {0, 0}, {0, 0, 40, 30}},          // smaller: top-left corner
        {{100, 80}, {40, 30}, {25, 9}, {0, 0}, {0, 0, 40, 30}},         // and cannot be moved
        {{100, 80}, {300, 200}, {50, 60}, {50, 60}, {0, 0, 100, 80}},
        {{100, 80}, {300, 200}, {250, 170}, {200, 120}, {0, 0, 100, 80}}, // stops at W - w
        {{100, 80}, {300, 200}, {-5, -7}, {0, 0}, {0, 0, 100, 80}},
        {{100, 80}, {300, 50}, {10, 10}, {10, 0}, {0, 0, 100, 50}},
        {{100, 80}, {0, 0}, {3, 3}, {0, 0}, {0, 0, 0, 0}},
    };
    for (const auto& c : cases)
    {
        const CPictureLayout layout = ComputePictureLayout(c.client, c.picture, c.offset);
        EXPECT_EQ(layout.m_offset, c.wantOffset) << c.picture.width() << "x" << c.picture.height();
        EXPECT_EQ(layout.m_visible, c.wantVisible) << c.picture.width() << "x" << c.picture.height();
    }
}

TEST(PictureLayout, WheelSteps)
{
    const QSize client(100, 100);
    const struct
    {
        QSize picture;
        int delta;
        QPoint change;
    } cases[] = {
        {{50, 50}, -120, {0, 0}},      // fits both ways
        {{100, 120}, -120, {0, 20}},   // 20 taller: one step down to the bottom
        {{100, 120}, 120, {0, -20}},   // and back to the top
        {{100, 136}, -240, {0, 36}},   // 36 taller: still jumps
        {{100, 600}, -120, {0, 36}},   // 500 taller: 36 pixels a step
        {{100, 600}, 120, {0, -36}},
        {{100, 600}, -360, {0, 108}},
        {{100, 600}, -60, {0, 18}},    // half a notch, truncated product
        {{100, 600}, 50, {0, -15}},
        {{100, 600}, 0, {0, 0}},
        {{130, 100}, -120, {30, 0}},   // not taller but wider: horizontal
        {{500, 100}, 120, {-36, 0}},
        {{500, 600}, -120, {0, 36}},   // taller wins over wider
        {{130, 100}, 0, {0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PictureWheelScroll(client, c.picture, c.delta), c.change)
            << c.picture.width() << "x" << c.picture.height() << " delta " << c.delta;
}
} // namespace
