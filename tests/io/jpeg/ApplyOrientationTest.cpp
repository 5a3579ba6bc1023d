// The eight orientations, told by where the source's corners end up.

#include "io/jpeg/ApplyOrientation.h"

#include "image/TIEBitmap.h"

#include <gtest/gtest.h>

namespace vellinor {
namespace {

enum TCorner { TL, TR, BL, BR };

struct TCase {
    int Orientation;
    bool Swaps;
    TCorner TopLeft, TopRight, BottomLeft;
};

TRGB CornerColour(TCorner c) {
    static const TRGB colours[] = {MakeRGB(10, 0, 0), MakeRGB(20, 0, 0), MakeRGB(30, 0, 0),
                                   MakeRGB(40, 0, 0)};
    return colours[c];
}

class Orientations : public ::testing::TestWithParam<TCase> {};

TEST_P(Orientations, MovesTheCorners) {
    const TCase& c = GetParam();
    for (const TIEPixelFormat format : {ie24RGB, ie8g}) {
        TIEBitmap b(5, 3, format);
        b.FillAll(0);
        auto put = [&](int x, int y, TCorner corner) {
            if (format == ie24RGB) {
                b.SetRGB(x, y, CornerColour(corner));
            } else {
                b.SetByte(x, y, CornerColour(corner).r);
            }
        };
        put(0, 0, TL);
        put(4, 0, TR);
        put(0, 2, BL);
        put(4, 2, BR);
        b.SetAlpha(0, 0, 7);
        ApplyOrientation(b, c.Orientation);
        ASSERT_EQ(b.Width(), c.Swaps ? 3 : 5);
        ASSERT_EQ(b.Height(), c.Swaps ? 5 : 3);
        const int w = b.Width(), h = b.Height();
        EXPECT_EQ(b.ReadAsRGB(0, 0).r, CornerColour(c.TopLeft).r) << c.Orientation;
        EXPECT_EQ(b.ReadAsRGB(w - 1, 0).r, CornerColour(c.TopRight).r) << c.Orientation;
        EXPECT_EQ(b.ReadAsRGB(0, h - 1).r, CornerColour(c.BottomLeft).r) << c.Orientation;
        // The alpha plane travels with the source's top-left pixel.
        ASSERT_TRUE(b.HasAlphaPlane());
        int alphaX = 0, alphaY = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (b.GetAlpha(x, y) == 7) alphaX = x, alphaY = y;
        EXPECT_EQ(b.ReadAsRGB(alphaX, alphaY).r, CornerColour(TL).r);
    }
}

INSTANTIATE_TEST_SUITE_P(AllEight, Orientations,
                         ::testing::Values(TCase{1, false, TL, TR, BL}, TCase{2, false, TR, TL, BR},
                                           TCase{3, false, BR, BL, TR}, TCase{4, false, BL, BR, TL},
                                           TCase{5, true, TL, BL, TR}, TCase{6, true, BL, TL, BR},
                                           TCase{7, true, BR, TR, BL}, TCase{8, true, TR, BR, TL},
                                           TCase{9, false, TL, TR, BL}));

} // namespace
} // namespace vellinor
