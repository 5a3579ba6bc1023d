// ConvertToPalette (the save dialog's preview of palette formats) and Resample.

#include "image/TIEBitmap.h"
#include "proc/ProcTestSupport.h"
#include "proc/VEduzoDeRivi.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <tuple>
#include <vector>

namespace vellinor {
namespace {

// Many colours: ramps crossed with a pattern.
void FillColorful(TIEBitmap& b, int width, int height) {
    b.Setup(width, height, ie24RGB);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b.SetRGB(x, y,
                     MakeRGB(static_cast<uint8_t>(x * 255 / (width - 1)),
                             static_cast<uint8_t>(y * 255 / (height - 1)),
                             static_cast<uint8_t>((x * 7 + y * 13) % 256)));
}

std::tuple<uint8_t, uint8_t, uint8_t> Key(TRGB c) {
    return {c.r, c.g, c.b};
}

TEST(ConvertToPalette, EveryPixelTakesAPaletteColourAndStaysTrueColour) {
    VEduzoDeRivi proc;
    proc.AutoUndo = true;
    FillColorful(*proc.IEBitmap(), 64, 48);
    std::vector<TRGB> palette(16, MakeRGB(1, 2, 3));
    std::vector<int> reports;
    proc.OnProgress = [&](VEduzoDeRivi&, int per) { reports.push_back(per); };
    proc.ConvertToPalette(16, palette);

    TIEBitmap& b = *proc.IEBitmap();
    EXPECT_EQ(b.PixelFormat(), ie24RGB);
    std::set<std::tuple<uint8_t, uint8_t, uint8_t>> allowed, used;
    for (TRGB c : palette) {
        allowed.insert(Key(c));
        EXPECT_EQ(c.r % 8 + c.g % 8 + c.b % 8, 0); // the box splitter's colours
    }
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            used.insert(Key(b.GetRGB(x, y)));
    EXPECT_TRUE(std::includes(allowed.begin(), allowed.end(), used.begin(), used.end()));
    EXPECT_GT(used.size(), 8u);
    ASSERT_EQ(proc.UndoList().Count(), 1);
    EXPECT_EQ(proc.UndoList().At(0).Caption, "ConvertToPalette");
    // Per row trunc(100 / 48.5 x rows), then the finish report.
    ASSERT_EQ(reports.size(), 49u);
    EXPECT_EQ(reports[0], 2);
    EXPECT_EQ(reports[47], 98);
    EXPECT_EQ(reports[48], 100);
}

TEST(ConvertToPalette, FewColoursStayExactlyAsTheyWere) {
    VEduzoDeRivi proc;
    TIEBitmap& b = *proc.IEBitmap();
    b.Setup(20, 10, ie24RGB);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            b.SetRGB(x, y, MakeRGB(static_cast<uint8_t>(x * 10), 5, static_cast<uint8_t>(y)));
    TIEBitmap before;
    before.CopyFrom(b);
    proc.ConvertToPalette(256);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(b.GetRGB(x, y), before.GetRGB(x, y));
}

TEST(ConvertToPalette, OneOrTwoColoursGiveBlackAndWhite) {
    for (int colors : {1, 2}) {
        VEduzoDeRivi proc;
        TIEBitmap& b = *proc.IEBitmap();
        b.Setup(8, 2, ie24RGB);
        for (int x = 0; x < 8; ++x) {
            b.SetRGB(x, 0, x < 4 ? MakeRGB(10, 10, 10) : MakeRGB(250, 250, 250));
            b.SetRGB(x, 1, x < 4 ? MakeRGB(10, 10, 10) : MakeRGB(250, 250, 250));
        }
        std::vector<TRGB> palette(2, MakeRGB(1, 2, 3));
        proc.ConvertToPalette(colors, palette);
        ASSERT_EQ(b.PixelFormat(), ie1g) << colors;
        EXPECT_FALSE(b.GetBit(0, 0));
        EXPECT_TRUE(b.GetBit(7, 1));
        EXPECT_EQ(palette[0], MakeRGB(0, 0, 0));
        EXPECT_EQ(palette[1], MakeRGB(255, 255, 255));
    }
}

TEST(ConvertToPalette, NothingHappensForNoColoursOrAFormatLeftAlone) {
    VEduzoDeRivi proc;
    proc.AutoUndo = true;
    FillColorful(*proc.IEBitmap(), 8, 8);
    proc.ConvertToPalette(0);
    EXPECT_EQ(proc.UndoList().Count(), 0);

    TIEBitmap& b = *proc.IEBitmap();
    b.ConvertTo(ie8g);
    proc.AutoConvertFormat = false;
    proc.ConvertToPalette(4);
    EXPECT_EQ(b.PixelFormat(), ie8g);
    EXPECT_EQ(proc.UndoList().Count(), 0);

    proc.AutoConvertFormat = true;
    proc.ConvertToPalette(4);
    EXPECT_EQ(b.PixelFormat(), ie24RGB);
    EXPECT_EQ(proc.UndoList().At(0).Image->PixelFormat(), ie8g); // saved before converting
}

TEST(Resample, ScalesThePictureAndItsAlphaPlane) {
    VEduzoDeRivi proc;
    TIEBitmap& b = *proc.IEBitmap();
    test::FillWithPositions(b, 4, 3);
    b.SetAlpha(1, 2, 40);
    proc.Resample(8, 6, rfNone);
    ASSERT_EQ(b.Width(), 8);
    ASSERT_EQ(b.Height(), 6);
    EXPECT_EQ(b.GetRGB(3, 5), test::Position(1, 2));
    EXPECT_EQ(b.GetRGB(7, 0), test::Position(3, 0));
    ASSERT_TRUE(b.HasAlphaPlane());
    EXPECT_EQ(b.GetAlpha(2, 4), 40);
    EXPECT_EQ(b.GetAlpha(3, 5), 40);
    EXPECT_EQ(b.GetAlpha(4, 4), 255);
}

} // namespace
} // namespace vellinor
