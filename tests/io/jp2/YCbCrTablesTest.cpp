#include "io/jp2/YCbCrTables.h"

#include <gtest/gtest.h>

namespace vellinor::test {
namespace {

TEST(YCbCrTables, HoldTheRoundedProductsOfTheChromaOffsets) {
    const TYCbCrTables& t = YCbCrTables();
    struct TCase {
        int Index, CrR, CbB, CrG, CbG;
    };
    // d = index - 128; CrR = round(1.402 d), CbB = round(1.772 d),
    // CrG = -round(0.714136 d), CbG = -round(0.344136 d).
    const TCase cases[] = {
        {0, -179, -227, 91, 44}, {1, -178, -225, 91, 44},   {127, -1, -2, 1, 0},
        {128, 0, 0, 0, 0},       {200, 101, 128, -51, -25}, {255, 178, 225, -91, -44},
        {3, -175, -222, 89, 43}, // 1.772 x -125 is -221.5 exactly
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(t.CrR[c.Index], c.CrR) << c.Index;
        EXPECT_EQ(t.CbB[c.Index], c.CbB) << c.Index;
        EXPECT_EQ(t.CrG[c.Index], c.CrG) << c.Index;
        EXPECT_EQ(t.CbG[c.Index], c.CbG) << c.Index;
    }
}

} // namespace
} // namespace vellinor::test
