// SetTransparentColors: which pixels get the alpha, per format, its progress
// reports, and the view's selection.

#include "image/TIEBitmap.h"
#include "image/TIEMask.h"
#include "platform/Canvas.h"
#include "platform/PlatformBitmap.h"
#include "proc/VEduzoDeRivi.h"
#include "view/DOrevaDeVeri.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace vellinor {
namespace {

const TRGB kWhite = MakeRGB(255, 255, 255);

TEST(SetTransparentColors, OnlyPureWhiteOfATextLayerBecomesTransparent) {
    // Black antialiased text on a white box over a gray fill.
    TIEBitmap layer;
    layer.Relocate(ieTBitmap);
    layer.Setup(220, 80, ie24RGB);
    layer.FillAll(static_cast<double>(0x00808080));
    TCanvas& canvas = *layer.DrawingCanvas();
    canvas.Brush().Color = clWhite;
    canvas.FillRect(Rect(10, 10, 210, 70));
    canvas.Font().Name = "Times New Roman";
    canvas.Font().SetSize(24);
    canvas.Font().Style = fsBold + fsItalic;
    canvas.Font().Color = clBlack;
    canvas.TextOut(20, 20, "Copyright");

    TIEBitmap before;
    before.CopyFrom(layer);
    VEduzoDeRivi proc;
    proc.SetAttachedIEBitmap(&layer);
    proc.SetTransparentColors(kWhite, kWhite, 0);

    int partial = 0, wrong = 0;
    for (int y = 0; y < layer.Height(); ++y)
        for (int x = 0; x < layer.Width(); ++x) {
            const TRGB c = layer.GetRGB(x, y);
            EXPECT_EQ(c, before.GetRGB(x, y)); // colours are never touched
            const bool white = c == kWhite;
            partial += !white && c.r > 0 && c.r != 0x80 ? 1 : 0;
            wrong += layer.GetAlpha(x, y) == (white ? 0 : 255) ? 0 : 1;
        }
    EXPECT_GT(partial, 20) << "the text should have smoothed edge pixels";
    EXPECT_EQ(wrong, 0);
    EXPECT_FALSE(layer.AlphaPlane()->Opaque);
}

TEST(SetTransparentColors, BothBoundsAreInclusiveOnEveryChannel) {
    const TRGB pixels[] = {MakeRGB(0, 0, 0),      MakeRGB(40, 40, 40), MakeRGB(41, 0, 0),
                           MakeRGB(0, 41, 0),     MakeRGB(0, 0, 41),   MakeRGB(20, 30, 40),
                           MakeRGB(255, 255, 255)};
    const uint8_t expected[] = {128, 128, 255, 255, 255, 128, 255};
    VEduzoDeRivi proc;
    TIEBitmap& b = *proc.IEBitmap();
    b.Setup(7, 2, ie24RGB);
    for (int x = 0; x < 7; ++x) {
        b.SetRGB(x, 0, pixels[x]);
        b.SetRGB(x, 1, pixels[x]);
    }
    proc.SetTransparentColors(MakeRGB(0, 0, 0), MakeRGB(40, 40, 40), 128 + 256); // low byte
    for (int x = 0; x < 7; ++x) {
        EXPECT_EQ(b.GetAlpha(x, 0), expected[x]) << x;
        EXPECT_EQ(b.GetAlpha(x, 1), expected[x]) << x;
    }
}

TEST(SetTransparentColors, MinimumAboveMaximumMatchesNothing) {
    VEduzoDeRivi proc;
    TIEBitmap& b = *proc.IEBitmap();
    b.Setup(16, 16, ie24RGB);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            b.SetRGB(x, y, MakeRGB(static_cast<uint8_t>(16 * x), static_cast<uint8_t>(16 * y), 50));
    proc.SetTransparentColors(MakeRGB(0, 0, 60), MakeRGB(255, 255, 40), 0);
    ASSERT_TRUE(b.HasAlphaPlane());
    b.AlphaPlane()->RecheckOpaque();
    EXPECT_TRUE(b.AlphaPlane()->Opaque);
}

TEST(SetTransparentColors, BlackAndWhitePicturesAreTargetedByTheRedByte) {
    VEduzoDeRivi proc;
    TIEBitmap& b = *proc.IEBitmap();
    b.Setup(10, 3, ie1g);
    for (int x = 0; x < 10; ++x)
        b.SetBit(x, 1, x % 3 == 0);
    proc.SetTransparentColors(MakeRGB(0, 255, 255), MakeRGB(0, 0, 0), 0); // black
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(b.GetAlpha(x, 1), x % 3 == 0 ? 255 : 0) << x;

    b.DropAlphaPlane();
    proc.SetTransparentColors(MakeRGB(1, 0, 0), MakeRGB(0, 0, 0), 7); // white
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(b.GetAlpha(x, 1), x % 3 == 0 ? 7 : 255) << x;
}

TEST(SetTransparentColors, OtherFormatsGetAnOpaqueAlphaPlane) {
    VEduzoDeRivi proc;
    TIEBitmap& b = *proc.IEBitmap();
    b.Setup(5, 5, ie8g);
    b.FillAll(255);
    proc.SetTransparentColors(kWhite, kWhite, 0);
    ASSERT_TRUE(b.HasAlphaPlane());
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(b.GetAlpha(x, y), 255);
    EXPECT_TRUE(b.AlphaPlane()->Opaque);
}

TEST(SetTransparentColors, ProgressPassesOneHundredOnTheLastRows) {
    VEduzoDeRivi proc;
    proc.IEBitmap()->Setup(4, 10, ie24RGB);
    std::vector<int> reports;
    proc.OnProgress = [&](VEduzoDeRivi&, int per) { reports.push_back(per); };
    proc.SetTransparentColors(kWhite, kWhite, 0);
    const std::vector<int> expected = {10, 21, 31, 42, 52, 63, 73, 84, 94, 105, 100};
    EXPECT_EQ(reports, expected);
}

TEST(SetTransparentColors, WithASelectionOnlySelectedPixelsChange) {
    DOrevaDeVeri view;
    TIEBitmap& b = view.CurrentBitmap();
    b.Setup(12, 10, ie24RGB);
    b.FillAll(static_cast<double>(clWhite));
    b.SetRGB(4, 4, MakeRGB(1, 1, 1));
    b.SetAlpha(4, 4, 33); // selected but not white: keeps its alpha
    b.SetAlpha(9, 9, 44); // outside the selection
    TIEMask mask(12, 10, 8);
    for (int y = 3; y < 7; ++y)
        for (int x = 2; x < 8; ++x)
            mask.SetPixel(x, y, (x + y) % 2 == 0 ? 255 : 0);
    view.SetSelectionMask(mask);
    view.AttachedProc()->SetTransparentColors(kWhite, kWhite, 0);

    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) {
            int expected = 255;
            if (mask.IsSelected(x, y)) expected = 0;
            if (x == 4 && y == 4) expected = 33;
            if (x == 9 && y == 9) expected = 44;
            EXPECT_EQ(b.GetAlpha(x, y), expected) << x << "," << y;
        }
    EXPECT_EQ(b.GetRGB(4, 4), MakeRGB(1, 1, 1));
    EXPECT_EQ(view.AttachedProc()->UndoList().At(0).Caption, "SetTransparentColors");
}

} // namespace
} // namespace vellinor
