// Canvas geometry: which pixels lines, shapes and brush operations cover, the
// pen styles, modes and hatches, indexed targets, clipping and bitmaps.

#include "CanvasTestSupport.h"
#include "image/TIEBitmap.h"

#include <gtest/gtest.h>
#include <vector>

namespace vellinor {
namespace {

using test::ChangedBounds;
using test::CountColor;
using test::Fill;
using test::PixelColor;
using test::RowPicture;

constexpr TColor kYellow = 0x00FFFF;
constexpr TColor kRed = 0x0000FF;
constexpr TColor kGrey = 0x808080;

class CanvasShapes : public ::testing::Test {
protected:
    CanvasShapes() : fBitmap(40, 30, 24) {
        Fill(fBitmap, clWhite);
        Canvas().Pen().Color = clBlack;
        Canvas().Brush().Color = kYellow;
    }
    TCanvas& Canvas() { return fBitmap.Canvas(); }
    TPlatformBitmap fBitmap;
};

TEST_F(CanvasShapes, RectangleOutlineIsInsideTheBoxAndWithoutPenTheFillShrinks) {
    Canvas().Rectangle(2, 3, 8, 9);
    EXPECT_EQ(ChangedBounds(fBitmap, clWhite), Rect(2, 3, 8, 9));
    EXPECT_EQ(CountColor(fBitmap, clBlack), 20); // the 6 x 6 ring
    EXPECT_EQ(CountColor(fBitmap, kYellow), 16);

    Fill(fBitmap, clWhite);
    Canvas().Pen().Style = psClear;
    Canvas().Rectangle(2, 3, 8, 9);
    EXPECT_EQ(ChangedBounds(fBitmap, clWhite), Rect(2, 3, 7, 8));
    EXPECT_EQ(CountColor(fBitmap, kYellow), 25);
}

TEST_F(CanvasShapes, EllipseFitsItsBoxSymmetrically) {
    Canvas().Ellipse(2, 2, 12, 12);
    EXPECT_EQ(ChangedBounds(fBitmap, clWhite), Rect(2, 2, 12, 12));
    EXPECT_EQ(RowPicture(fBitmap, 2, 2, 12, clBlack), "...####...");
    EXPECT_EQ(PixelColor(fBitmap, 2, 6), clBlack);
    EXPECT_EQ(PixelColor(fBitmap, 11, 6), clBlack);
    EXPECT_EQ(PixelColor(fBitmap, 3, 6), kYellow);
    for (int y = 2; y < 12; ++y)
        for (int x = 2; x < 12; ++x) {
            ASSERT_EQ(PixelColor(fBitmap, x, y), PixelColor(fBitmap, 13 - x, y)) << x << "," << y;
            ASSERT_EQ(PixelColor(fBitmap, x, y), PixelColor(fBitmap, x, 13 - y)) << x << "," << y;
        }
    // The outline is closed: no interior pixel touches the outside.
    for (int y = 2; y < 12; ++y)
        for (int x = 2; x < 12; ++x)
            if (PixelColor(fBitmap, x, y) == kYellow) {
                for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                    ASSERT_NE(PixelColor(fBitmap, x + dx, y + dy), clWhite) << x << "," << y;
            }

    Fill(fBitmap, clWhite);
    Canvas().Pen().Style = psClear;
    Canvas().Ellipse(2, 2, 12, 12);
    EXPECT_EQ(ChangedBounds(fBitmap, clWhite), Rect(2, 2, 11, 11));
}

TEST_F(CanvasShapes, PolygonFillsLeftAndTopEdgesOnlyAndTheOutlineClosesIt) {
    const TPoint square[] = {{2, 2}, {8, 2}, {8, 8}, {2, 8}};
    Canvas().Pen().Style = psClear;
    Canvas().Polygon(square);
    EXPECT_EQ(ChangedBounds(fBitmap, clWhite), Rect(2, 2, 8, 8));

    Fill(fBitmap, clWhite);
    Canvas().Pen().Style = psSolid;
    Canvas().Polygon(square);
    EXPECT_EQ(ChangedBounds(fBitmap, clWhite), Rect(2, 2, 9, 9));
    EXPECT_EQ(CountColor(fBitmap, clBlack), 24);
    EXPECT_EQ(CountColor(fBitmap, kYellow), 25);
}

TEST_F(CanvasShapes, LinesLeaveOutTheirEndPoint) {
    Canvas().Line(3, 5, 10, 5);
    EXPECT_EQ(RowPicture(fBitmap, 5, 0, 12, clBlack), "...#######..");
    Canvas().MoveTo(20, 2);
    Canvas().LineTo(20, 6);
    Canvas().LineTo(24, 6);
    EXPECT_EQ(Canvas().PenPos(), Point(24, 6));
    EXPECT_EQ(ChangedBounds(fBitmap, clWhite), Rect(3, 2, 24, 7));
    EXPECT_EQ(PixelColor(fBitmap, 24, 6), clWhite);
}

TEST_F(CanvasShapes, FrameRingsOfTheStampFrame) {
    // The frame of a 100 x 50 picture on its enlarged 260 x 210 canvas.
    TPlatformBitmap b(260, 210, 24);
    Fill(b, kGrey);
    TCanvas& c = b.Canvas();
    for (int k = 80; k >= 69; --k) {
        const TColor ring = (k >= 78 || k == 69) ? clWhite : clBlack;
        c.Pen().Width = 10;
        c.Pen().Color = ring;
        c.Brush().Color = ring;
        c.FrameRect(Rect(k, k, 260 - k, 210 - k));
    }
    EXPECT_EQ(PixelColor(b, 80, 80), clWhite);
    EXPECT_EQ(PixelColor(b, 77, 100), clBlack);
    EXPECT_EQ(PixelColor(b, 70, 100), clBlack);
    EXPECT_EQ(PixelColor(b, 69, 100), clWhite);
    EXPECT_EQ(PixelColor(b, 68, 100), kGrey);
    EXPECT_EQ(PixelColor(b, 81, 81), kGrey); // inside the frame: the picture
    EXPECT_EQ(PixelColor(b, 179, 100), clWhite);
    for (int x = 182; x <= 189; ++x)
        EXPECT_EQ(PixelColor(b, x, 100), clBlack) << x;
    EXPECT_EQ(PixelColor(b, 190, 100), clWhite);
    EXPECT_EQ(PixelColor(b, 191, 100), kGrey);
    EXPECT_EQ(PixelColor(b, 100, 132), clBlack); // bottom band: rows 132 ... 139
    EXPECT_EQ(PixelColor(b, 100, 139), clBlack);
    EXPECT_EQ(PixelColor(b, 100, 140), clWhite);
    EXPECT_EQ(PixelColor(b, 100, 141), kGrey);
}

TEST_F(CanvasShapes, EachHatchStyleDrawsItsPattern) {
    struct TCase {
        TBrushStyle style;
        bool (*on)(int x, int y);
    };
    const TCase cases[] = {
        {bsHorizontal, [](int, int y) { return (y & 7) == 3; }},
        {bsVertical, [](int x, int) { return (x & 7) == 4; }},
        {bsFDiagonal, [](int x, int y) { return (x & 7) == (y & 7); }},
        {bsBDiagonal, [](int x, int y) { return (x & 7) == 7 - (y & 7); }},
        {bsCross, [](int x, int y) { return (x & 7) == 4 || (y & 7) == 3; }},
        {bsDiagCross, [](int x, int y) { return (x & 7) == (y & 7) || (x & 7) == 7 - (y & 7); }},
    };
    for (const TCase& c : cases) {
        for (bool opaque : {false, true}) {
            Fill(fBitmap, clWhite);
            Canvas().Brush().Style = c.style;
            Canvas().Brush().Color = clBlack;
            if (opaque) {
                // A hatch brush makes the background transparent; opaque gaps
                // take the background colour.
                EXPECT_EQ(Canvas().BkMode(), TRANSPARENT);
                Canvas().SetBkMode(OPAQUE);
                Canvas().SetBkColor(kRed);
            }
            Canvas().FillRect(Rect(0, 0, 16, 16));
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    const TColor gap = opaque ? kRed : clWhite;
                    ASSERT_EQ(PixelColor(fBitmap, x, y), c.on(x, y) ? clBlack : gap)
                        << "style " << int(c.style) << " at " << x << "," << y;
                }
            EXPECT_EQ(PixelColor(fBitmap, 16, 0), clWhite);
            Canvas().Brush().Style = bsSolid; // restores the opaque background rule
        }
    }
}

TEST_F(CanvasShapes, XorAndNotTwiceRestoreThePixels) {
    for (int y = 0; y < fBitmap.Height(); ++y)
        for (int x = 0; x < fBitmap.Width(); ++x)
            fBitmap.SetPixelRGB(x, y, MakeRGB(x * 6, y * 8, (x * y) & 255));
    TPlatformBitmap original;
    original.Assign(fBitmap);
    const TPoint zigzag[] = {{1, 1}, {30, 5}, {2, 20}, {35, 28}, {1, 1}};
    auto drawAll = [&] {
        TCanvas& c = Canvas();
        c.Rectangle(2, 2, 20, 15);
        c.Ellipse(10, 5, 38, 28);
        c.Polyline(zigzag);
        c.MoveTo(5, 25);
        c.LineTo(25, 25);
        c.LineTo(25, 3);
        c.Arc(0, 0, 30, 30, 30, 15, 0, 15);
        c.Pie(5, 5, 35, 25, 35, 5, 5, 5);
        c.Pen().Width = 5;
        c.Line(3, 10, 36, 18);
        c.Polygon(zigzag);
        c.Pen().Width = 1;
        c.DrawFocusRect(Rect(4, 4, 33, 21));
    };
    for (TPenMode mode : {pmXor, pmNot}) {
        Canvas().Pen().Mode = mode;
        Canvas().Pen().Color = 0x4080FF;
        for (TBrushStyle brush : {bsClear, bsSolid, bsCross}) {
            Canvas().Brush().Style = brush;
            drawAll();
            EXPECT_FALSE(test::SamePixels(fBitmap, original));
            drawAll();
            EXPECT_TRUE(test::SamePixels(fBitmap, original)) << "mode " << int(mode);
        }
    }
}

TEST_F(CanvasShapes, WidePensCoverTheirWidthWithTheirCaps) {
    Canvas().Pen().Width = 10;
    Canvas().Line(10, 20, 30, 20);
    EXPECT_EQ(ChangedBounds(fBitmap, clWhite), Rect(5, 15, 35, 25));
    EXPECT_EQ(RowPicture(fBitmap, 20, 3, 37, clBlack).find('.', 2), 32u);

    Fill(fBitmap, clWhite);
    Canvas().Pen().Geometric = true;
    Canvas().Pen().EndCap = pecFlat;
    Canvas().Line(10, 20, 30, 20);
    EXPECT_EQ(ChangedBounds(fBitmap, clWhite), Rect(10, 15, 30, 25));
    EXPECT_EQ(CountColor(fBitmap, clBlack), 200);

    // Inside-frame keeps a wide outline within the box.
    Fill(fBitmap, clWhite);
    Canvas().Pen() = TPen{};
    Canvas().Pen().Width = 6;
    Canvas().Pen().Style = psInsideFrame;
    Canvas().Ellipse(5, 5, 35, 25);
    EXPECT_EQ(ChangedBounds(fBitmap, clWhite), Rect(5, 5, 35, 25));
}

TEST_F(CanvasShapes, CosmeticPenStylesAndTheirGaps) {
    Canvas().Pen().Style = psDash;
    Canvas().Brush().Style = bsClear; // transparent background: gaps untouched
    Canvas().Line(0, 1, 40, 1);
    EXPECT_EQ(RowPicture(fBitmap, 1, 0, 40, clBlack),
              std::string(18, '#') + std::string(6, '.') + std::string(16, '#'));
    Canvas().Pen().Style = psDot;
    Canvas().Line(0, 3, 14, 3);
    EXPECT_EQ(RowPicture(fBitmap, 3, 0, 14, clBlack), "###...###...##");
    Canvas().Pen().Style = psDashDotDot;
    Canvas().Line(0, 5, 30, 5);
    EXPECT_EQ(RowPicture(fBitmap, 5, 0, 30, clBlack), "#########...###...###...######");

    // Opaque background: the gaps take the background colour.
    Canvas().Brush().Style = bsSolid;
    Canvas().Brush().Color = kRed;
    Canvas().Pen().Style = psDot;
    Canvas().Line(0, 7, 12, 7);
    EXPECT_EQ(RowPicture(fBitmap, 7, 0, 12, kRed), "...###...###");
}

TEST_F(CanvasShapes, ArcsChordsAndPiesStayOnTheirSide) {
    Canvas().Brush().Style = bsClear;
    // Counter-clockwise from the right-hand ray to the upward ray.
    Canvas().Arc(0, 0, 21, 21, 21, 10, 10, 0);
    const TRect arc = ChangedBounds(fBitmap, clWhite);
    EXPECT_GE(arc.Left, 10);
    EXPECT_LE(arc.Bottom, 11);
    EXPECT_EQ(arc.Right, 21);
    EXPECT_EQ(arc.Top, 0);

    Fill(fBitmap, clWhite);
    Canvas().Brush().Style = bsSolid;
    Canvas().Pie(0, 0, 21, 21, 21, 10, 10, 0);
    EXPECT_EQ(ChangedBounds(fBitmap, clWhite), Rect(10, 0, 21, 11));
    EXPECT_GT(CountColor(fBitmap, kYellow), 40);

    // The chord of the same ends cuts off less than the pie.
    const int pie = CountColor(fBitmap, kYellow);
    Fill(fBitmap, clWhite);
    Canvas().Chord(0, 0, 21, 21, 21, 10, 10, 0);
    EXPECT_LT(CountColor(fBitmap, kYellow), pie);
    EXPECT_EQ(PixelColor(fBitmap, 12, 8), clWhite); // the pie's corner, left out
}

TEST_F(CanvasShapes, IndexedTargetsUseTheirColourTables) {
    TPlatformBitmap grey(4, 2, 8);
    test::SetGreyRamp(grey);
    grey.Canvas().Brush().Color = 0x02404040; // palette-relative grey 64
    grey.Canvas().FillRect(Rect(0, 0, 2, 1));
    grey.Canvas().Brush().Color = kYellow;
    grey.Canvas().FillRect(Rect(2, 0, 4, 1));
    EXPECT_EQ(grey.ScanLine(0)[0], 64);
    EXPECT_EQ(grey.ScanLine(0)[2], 170); // nearest grey to (255, 255, 0)
    EXPECT_EQ(grey.ScanLine(1)[0], 0);

    TPlatformBitmap mono(16, 1, 1);
    mono.Canvas().Pen().Color = 0xC8C8C8;
    mono.Canvas().Line(0, 0, 8, 0);
    mono.Canvas().Pen().Color = 0x646464;
    mono.Canvas().Line(4, 0, 6, 0);
    EXPECT_EQ(mono.ScanLine(0)[0], 0xF3);
}

TEST_F(CanvasShapes, ClipRectangleLimitsEveryOperation) {
    Canvas().SetClipRect(Rect(5, 6, 15, 12));
    Canvas().IntersectClipRect(Rect(0, 0, 12, 30));
    EXPECT_EQ(Canvas().ClipRect(), Rect(5, 6, 12, 12));
    Canvas().FillRect(Rect(0, 0, 40, 30));
    Canvas().Pen().Width = 7;
    Canvas().Line(0, 0, 39, 29);
    Canvas().SetPixel(1, 1, clBlack);
    EXPECT_EQ(ChangedBounds(fBitmap, clWhite), Rect(5, 6, 12, 12));
    EXPECT_EQ(Canvas().Pixel(1, 1), 0xFFFFFFFFu);
    Canvas().ResetClip();
    EXPECT_EQ(Canvas().ClipRect(), Rect(0, 0, 40, 30));
}

TEST_F(CanvasShapes, SystemColoursAreResolved) {
    Canvas().Brush().Color = clBtnFace;
    Canvas().FillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(PixelColor(fBitmap, 0, 0), 0xF0F0F0u);
}

TEST_F(CanvasShapes, StretchDrawTakesTheNearestPixelAndMirrors) {
    TPlatformBitmap source(2, 2, 24);
    source.SetPixelRGB(0, 0, TColor2TRGB(kRed));
    source.SetPixelRGB(1, 0, TColor2TRGB(0x00FF00));
    source.SetPixelRGB(0, 1, TColor2TRGB(0xFF0000));
    source.SetPixelRGB(1, 1, TColor2TRGB(clBlack));
    Canvas().StretchDraw(Rect(0, 0, 4, 4), source);
    EXPECT_EQ(PixelColor(fBitmap, 1, 1), kRed);
    EXPECT_EQ(PixelColor(fBitmap, 2, 1), 0x00FF00u);
    EXPECT_EQ(PixelColor(fBitmap, 1, 2), 0xFF0000u);
    EXPECT_EQ(PixelColor(fBitmap, 3, 3), clBlack);
    EXPECT_EQ(PixelColor(fBitmap, 4, 4), clWhite);
    Canvas().StretchDraw(Rect(14, 0, 10, 2), source); // negative width: mirrored
    EXPECT_EQ(PixelColor(fBitmap, 10, 0), 0x00FF00u);
    EXPECT_EQ(PixelColor(fBitmap, 13, 0), kRed);
    Canvas().CopyMode = SRCINVERT;
    Canvas().Draw(20, 0, source);
    Canvas().Draw(20, 0, source);
    EXPECT_EQ(PixelColor(fBitmap, 20, 0), clWhite);
}

TEST_F(CanvasShapes, PatBltInvertsAndPaints) {
    Canvas().PatBlt(Rect(0, 0, 4, 4), PATCOPY);
    EXPECT_EQ(PixelColor(fBitmap, 3, 3), kYellow);
    Canvas().InvertRect(Rect(0, 0, 2, 2));
    EXPECT_EQ(PixelColor(fBitmap, 0, 0), 0xFF0000u);
    Canvas().InvertRect(Rect(0, 0, 2, 2));
    EXPECT_EQ(PixelColor(fBitmap, 0, 0), kYellow);
}

TEST_F(CanvasShapes, HugeCoordinatesStayCheapAndSafe) {
    constexpr int kFar = 2000000000;
    TCanvas& c = Canvas();
    c.Ellipse(-kFar, -kFar, kFar, kFar);
    c.Line(-kFar, 5, kFar, 7);
    c.Pie(-kFar, -kFar, kFar, kFar, 0, -kFar, kFar, 0);
    c.RoundRect(-kFar, 3, kFar, 20, kFar, kFar);
    c.Pen().Width = 1000000;
    c.Rectangle(-kFar, -kFar, kFar, kFar);
    c.Pen().Geometric = true;
    c.Pen().Style = psDashDot;
    c.Pen().Width = 3;
    c.Line(-kFar, -kFar, kFar, kFar);
    const TPoint wild[] = {{-kFar, kFar}, {kFar, -kFar}, {kFar, kFar}, {INT32_MIN, INT32_MAX}};
    c.Polygon(wild);
    c.PolyBezier(wild);
    EXPECT_NE(CountColor(fBitmap, clWhite), 40 * 30);
}

TEST(DrawingCanvas, DrawsIntoTheContainersPixels) {
    TIEBitmap rgb(10, 10, ie24RGB);
    TCanvas* canvas = rgb.DrawingCanvas();
    ASSERT_NE(canvas, nullptr);
    canvas->Brush().Color = kRed;
    canvas->FillRect(Rect(2, 2, 4, 4));
    EXPECT_EQ(rgb.Row(3)[3 * 3 + 2], 255);
    EXPECT_EQ(rgb.Row(3)[3 * 3], 0);
    EXPECT_EQ(rgb.Row(4)[3 * 3 + 2], 0);

    TIEBitmap grey(6, 6, ie8g);
    canvas = grey.DrawingCanvas();
    ASSERT_NE(canvas, nullptr);
    canvas->Brush().Color = 0x02B4B4B4;
    canvas->FillRect(Rect(0, 0, 6, 1));
    EXPECT_EQ(grey.Row(0)[5], 0xB4);
    EXPECT_EQ(grey.Row(1)[5], 0);
}

} // namespace
} // namespace vellinor
