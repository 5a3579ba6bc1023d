// Drawing objects: text layout (height, offsets, clipping, escapement), the
// choice between direct drawing and the object buffer, the supersampled
// shadow, the kinds, the screen pass and fast drawing.

#include "VectTestSupport.h"
#include "platform/Canvas.h"
#include "platform/PlatformBitmap.h"
#include "vect/REzoreZuDidu.h"
#include "vect/SoftShadow.h"
#include "view/ViewHost.h"
#include "view/ViewTimer.h"

#include <cmath>
#include <gtest/gtest.h>

namespace vellinor {
namespace {

using test::AddText;
using test::ChangedBounds;
using test::FillImage;

const TRGB kWhite = MakeRGB(255, 255, 255);
constexpr TColor kRed = 0x0000FF;

class RenderTest : public ::testing::Test {
protected:
    // A white width x height picture held as a platform bitmap.
    void Picture(int width, int height) {
        TIEBitmap& b = view.CurrentBitmap();
        b.Setup(width, height, ie24RGB);
        FillImage(b, kWhite);
    }
    TIEBitmap& Image() { return view.CurrentBitmap(); }
    REzoreZuDidu view;
};

TEST_F(RenderTest, HeightZeroFillsTheBoxWithTheFontCell) {
    Picture(240, 60);
    AddText(view, 10, 10, 209, 41, "Hg Mx", kRed); // 32 rows: cell height 31
    view.DrawShapesInto(Image(), false, -1);

    const TLogFontA objectFont = *view.Shape(0).Font;
    auto reference = [&](int cellHeight) {
        auto b = std::make_unique<TIEBitmap>();
        b->Relocate(ieTBitmap);
        b->Setup(240, 60, ie24RGB);
        FillImage(*b, kWhite);
        TCanvas& c = b->AsVclBitmap()->Canvas();
        TLogFontA lf = objectFont;
        lf.lfHeight = cellHeight;
        lf.lfQuality = ANTIALIASED_QUALITY;
        const HFONT old = c.SelectFont(CreateFontIndirectA(lf));
        const TSize extent = c.TextExtent("Hg Mx");
        EXPECT_EQ(extent.cy, cellHeight);
        c.SetTextColor(kRed);
        c.Brush().Style = bsClear;
        const int v = static_cast<int>(std::trunc(31.0 - extent.cy)) / 2;
        c.TextRect(Rect(10, 10, 209, 41), 10, 10 + v, "Hg Mx");
        c.SelectFont(old);
        return b;
    };
    EXPECT_TRUE(test::SamePixels(Image(), *reference(31)));
    EXPECT_FALSE(test::SamePixels(Image(), *reference(32))); // the comparison can tell
}

TEST_F(RenderTest, AnOutlineMovesLeftAlignedTextByThePenRoom) {
    struct Case {
        int penWidth;
        int shift; // Round((PenWidth + 1) x zoom)
    } cases[] = {{1, 2}, {2, 3}, {4, 5}};
    for (const Case& c : cases) {
        auto draw = [&](uint8_t penStyle) {
            REzoreZuDidu v;
            v.CurrentBitmap().Setup(300, 60, ie24RGB);
            FillImage(v.CurrentBitmap(), kWhite);
            const int h = AddText(v, 10, 10, 259, 49, "Hello", kRed, -24);
            v.Shape(h).PenStyle = penStyle;
            v.Shape(h).PenWidth = c.penWidth;
            v.DrawShapesInto(v.CurrentBitmap(), false, -1);
            auto copy = std::make_unique<TIEBitmap>();
            copy->CopyFrom(v.CurrentBitmap());
            return copy;
        };
        auto clear = draw(psClear);
        auto outlined = draw(psSolid);
        int differences = 0, ink = 0;
        for (int y = 18; y < 42; ++y)
            for (int x = 20; x < 240; ++x) {
                differences += outlined->GetRGB(x, y) == clear->GetRGB(x - c.shift, y) ? 0 : 1;
                ink += clear->GetRGB(x, y) == kWhite ? 0 : 1;
            }
        EXPECT_GT(ink, 100);
        EXPECT_EQ(differences, 0) << "pen width " << c.penWidth;
    }
}

TEST_F(RenderTest, TextIsCutAtTheBoxWithoutItsLastColumnAndRow) {
    Picture(120, 80);
    AddText(view, 10, 10, 60, 41, "g\xC3\x85Wg\xC3\x85Wg", kRed,
            -40); // deeper, taller and wider than the box
    view.DrawShapesInto(Image(), false, -1);
    const TRect changed = ChangedBounds(Image(), kWhite);
    EXPECT_GE(changed.Left, 10);
    EXPECT_EQ(changed.Top, 10);
    EXPECT_EQ(changed.Right, 60);  // column 60 (x2) untouched, 59 inked
    EXPECT_EQ(changed.Bottom, 41); // row 41 (y2) untouched, 40 inked
}

TEST_F(RenderTest, PositiveEscapementNeedsNoRoomOnTheLeft) {
    // The text turns counter-clockwise about its cell's top-left corner, so
    // a left-aligned text starts at the box's left edge.
    Picture(400, 200);
    const int h = AddText(view, 20, 20, 380, 180, "MMMMMM", kRed, -30);
    view.Shape(h).Font->lfEscapement = 300;
    view.DrawShapesInto(Image(), false, -1);
    const TRect changed = ChangedBounds(Image(), kWhite);
    // The offset of the plain rule, |sin 30 x H| = 17 pixels, would start it near 37.
    EXPECT_GE(changed.Left, 20);
    EXPECT_LE(changed.Left, 28);
    // It rises to the right: the last letters end higher than the first.
    EXPECT_LT(changed.Top, 60);
}

TEST_F(RenderTest, OnlyTranslucentShadowedOrHighlightedObjectsUseTheBuffer) {
    struct Case {
        uint8_t kind;
        int opacity;
        bool shadow;
        bool highlight;
        bool buffered;
    } cases[] = {
        {vkText, 255, false, false, false}, {vkText, 254, false, false, true},
        {vkText, 255, true, false, true},   {vkBox, 128, false, false, false},
        {vkBox, 255, false, true, true},    {vkEllipse, 255, true, false, true},
    };
    for (const Case& c : cases) {
        REzoreZuDidu v;
        v.CurrentBitmap().Setup(100, 60, ie24RGB);
        FillImage(v.CurrentBitmap(), kWhite);
        const int h = AddText(v, 10, 10, 80, 41, "Text", kRed);
        TVectShape& s = v.Shape(h);
        s.Kind = c.kind;
        s.Opacity = c.opacity;
        s.Shadow->Enabled = c.shadow ? 1 : 0;
        s.Highlight = c.highlight ? 1 : 0;
        s.FillStyle = bsSolid;
        s.FillColor = 0x00FF00;
        v.DrawShapesInto(v.CurrentBitmap(), false, -1);
        EXPECT_EQ(v.ObjectBuffer().Width() > 0, c.buffered)
            << "kind " << int{c.kind} << " opacity " << c.opacity;
        if (c.kind == vkBox && !c.highlight) {
            // Drawn directly: the platform draws opaque whatever the opacity.
            EXPECT_EQ(v.CurrentBitmap().GetRGB(40, 25), MakeRGB(0, 255, 0));
        }
    }
}

TEST_F(RenderTest, TranslucentTextBlendsThroughTheBuffer) {
    auto draw = [](int opacity) {
        auto v = std::make_unique<REzoreZuDidu>();
        v->CurrentBitmap().Setup(100, 60, ie24RGB);
        FillImage(v->CurrentBitmap(), kWhite);
        const int h = AddText(*v, 5, 5, 94, 54, "Hm", kRed, -40);
        v->Shape(h).Opacity = opacity;
        v->DrawShapesInto(v->CurrentBitmap(), false, -1);
        return v;
    };
    auto opaque = draw(255), half = draw(128);
    int full = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x) {
            const TRGB o = opaque->CurrentBitmap().GetRGB(x, y);
            const TRGB t = half->CurrentBitmap().GetRGB(x, y);
            if (o == kWhite) {
                ASSERT_EQ(t, kWhite) << x << "," << y;
            } else if (o == MakeRGB(255, 0, 0)) {
                ++full; // fully covered: half red over white
                ASSERT_EQ(t.r, 255);
                ASSERT_NEAR(t.g, 127, 1);
                ASSERT_NEAR(t.b, 127, 1);
            }
        }
    EXPECT_GT(full, 50);
}

TEST_F(RenderTest, HighlightAndsThePixelsWithTheFillColour) {
    Picture(60, 40);
    for (int x = 0; x < 60; ++x)
        for (int y = 0; y < 40; ++y)
            Image().SetRGB(x, y,
                           MakeRGB(static_cast<uint8_t>(x * 4), 0xF0, static_cast<uint8_t>(y * 6)));
    view.SetShapeKind(-1, vkBox);
    TVectShape& t = view.Shape(-1);
    t.Left = 10;
    t.Top = 5;
    t.Right = 40;
    t.Bottom = 30;
    t.Highlight = 1;
    t.FillColor = 0x00F0F0CC; // blue F0, green F0, red CC
    t.PenWidth = 7;           // a highlight draws with a one-pixel pen
    view.AddShape();
    TIEBitmap before;
    before.CopyFrom(Image());
    view.DrawShapesInto(Image(), false, -1);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            const TRGB was = before.GetRGB(x, y);
            const bool inside = x >= 10 && x <= 40 && y >= 5 && y <= 30;
            const TRGB want = inside ? MakeRGB(was.r & 0xCC, was.g & 0xF0, was.b & 0xF0) : was;
            ASSERT_EQ(Image().GetRGB(x, y), want) << x << "," << y;
        }
    EXPECT_EQ(view.Shape(0).PenWidth, 1);
}

// A black square with a soft shadow on white: the shadow's profile to the
// left of the square's left edge, at rows through its middle.
std::vector<int> ShadowProfile(bool antialias, int offsetX) {
    REzoreZuDidu v;
    v.CurrentBitmap().Setup(120, 120, ie24RGB);
    FillImage(v.CurrentBitmap(), kWhite);
    v.SetShapeKind(-1, vkBox);
    TVectShape& t = v.Shape(-1);
    t.Left = 40;
    t.Top = 40;
    t.Right = 79;
    t.Bottom = 79;
    t.PenStyle = psClear;
    t.FillStyle = bsSolid;
    t.FillColor = 0x00FF0000; // blue
    t.Shadow->Enabled = 1;
    t.Shadow->OffsetX = offsetX;
    v.AddShape();
    v.SetSupersampleShapes(1);
    v.DrawShapesInto(v.CurrentBitmap(), antialias, -1);
    std::vector<int> profile;
    for (int d = 1; d <= 8; ++d)
        profile.push_back(v.CurrentBitmap().GetRGB(40 - d, 60).g);
    return profile;
}

TEST_F(RenderTest, SupersampledShadowKeepsItsSizeInImagePixels) {
    // At K = 2 the radius is 6 and the offset 2 x OffsetX buffer pixels: the
    // same size in image pixels as at K = 1.
    const std::vector<int> single = ShadowProfile(false, 0);
    const std::vector<int> doubled = ShadowProfile(true, 0);
    ASSERT_LT(single[1], 220);                 // 2 pixels out: clearly shadowed
    for (size_t i = 1; i < single.size(); ++i) // beyond the edge pixel, which the filter softens
        EXPECT_NEAR(doubled[i], single[i], 3) << "distance " << i + 1;
    // Moved right by 4 image pixels, the shadow leaves the left side.
    const std::vector<int> moved = ShadowProfile(true, 4);
    EXPECT_GT(moved[1], single[1] + 40);
    EXPECT_EQ(SoftShadowMargin(0, 0, 3.0 * 2), 30);
}

TEST_F(RenderTest, EveryKindDrawsInItsBox) {
    struct Case {
        uint8_t kind;
        TPoint inked;
        TPoint blank;
    } cases[] = {
        {vkLine, {30, 30}, {30, 50}},     // (20,20)-(40,40)
        {vkBox, {20, 30}, {30, 30}},      // outline only
        {vkEllipse, {30, 20}, {21, 21}},  // top middle inked, corner not
        {vkArc, {30, 20}, {30, 40}},      // 0 ... pi: the upper half
        {vkPicture, {21, 21}, {45, 45}},  // no picture: crossed rectangle
        {vkPolyline, {30, 30}, {21, 39}}, // a diagonal scaled from its base
    };
    for (const Case& c : cases) {
        REzoreZuDidu v;
        v.CurrentBitmap().Setup(60, 60, ie24RGB);
        FillImage(v.CurrentBitmap(), kWhite);
        v.SetShapeKind(-1, c.kind);
        TVectShape& t = v.Shape(-1);
        t.Left = t.Top = 20;
        t.Right = t.Bottom = 40;
        t.PenColor = kRed;
        t.ArcStart = 0;
        t.ArcEnd = 3.14159265358979;
        t.PolyPoints = {{0, 0}, {100, 100}};
        t.PolyBase = Rect(0, 0, 100, 100);
        if (c.kind == vkPicture) {
            v.Pictures().Release(t.PictureIndex);
            t.PictureIndex = -1;
        }
        v.AddShape();
        v.DrawShapesInto(v.CurrentBitmap(), false, -1);
        TIEBitmap& b = v.CurrentBitmap();
        EXPECT_NE(b.GetRGB(c.inked.X, c.inked.Y), kWhite) << "kind " << int{c.kind};
        EXPECT_EQ(b.GetRGB(c.blank.X, c.blank.Y), kWhite) << "kind " << int{c.kind};
        EXPECT_TRUE(ChangedBounds(b, kWhite).Right <= 42) << "kind " << int{c.kind};
    }
}

TEST_F(RenderTest, WideLinesHaveRoundCapsAndArrowHeads) {
    Picture(100, 60);
    view.SetShapeKind(-1, vkLine);
    TVectShape& t = view.Shape(-1);
    t.Left = 20;
    t.Top = 30;
    t.Right = 80;
    t.Bottom = 30;
    t.PenWidth = 9;
    t.PenColor = kRed;
    t.EndArrow = 1;
    t.ArrowWidth = 20;
    t.ArrowLength = 10;
    t.FillStyle = bsSolid;
    t.FillColor = 0x00FF00;
    view.AddShape();
    view.DrawShapesInto(Image(), false, -1);
    EXPECT_NE(Image().GetRGB(17, 30), kWhite);             // the round cap reaches past the start
    EXPECT_EQ(Image().GetRGB(17, 26), kWhite);             // but not its corner
    EXPECT_EQ(Image().GetRGB(72, 36), MakeRGB(0, 255, 0)); // the head, filled, wider than the line
}

TEST_F(RenderTest, PicturesStretchWithTheirOpacity) {
    Picture(80, 80);
    TIEBitmap red(4, 4, ie24RGB);
    FillImage(red, MakeRGB(255, 0, 0));
    view.SetShapeKind(-1, vkPicture);
    view.SetShapeBitmap(-1, red);
    TVectShape& t = view.Shape(-1);
    t.Left = 10;
    t.Top = 10;
    t.Right = 49;
    t.Bottom = 29;
    t.Opacity = 128;
    view.AddShape();
    view.DrawShapesInto(Image(), false, -1);
    EXPECT_EQ(ChangedBounds(Image(), kWhite), Rect(10, 10, 50, 30));
    const TRGB p = Image().GetRGB(30, 20);
    EXPECT_EQ(p.r, 255);
    EXPECT_NEAR(p.g, 127, 1);
}

// --- The screen pass -------------------------------------------------------------------

class ManualTimerHost : public TIEViewHost {
public:
    void ViewChanged() override {}
    void ShowViewCursor(int) override {}
    std::unique_ptr<TIETimer> CreateTimer() override {
        auto timer = std::make_unique<TIEManualTimer>();
        Timer = timer.get();
        return timer;
    }
    void WakeViewThread() override {}
    TIEManualTimer* Timer = nullptr;
};

TEST_F(RenderTest, ScreenPassSkipsObjectsOutsideTheVisiblePicture) {
    Picture(400, 400);
    view.SetClientSize(100, 100);
    AddText(view, 10, 10, 60, 30, "seen", kRed);
    AddText(view, 300, 300, 350, 330, "hidden", kRed);
    view.Update();
    EXPECT_EQ(view.ShapesDrawn(), 1);
    EXPECT_NE(ChangedBounds(view.BackBuffer(), kWhite).Right, 0);
    view.SetViewXY(290, 290);
    EXPECT_EQ(view.ShapesDrawn(), 1);
    view.SetZoom(25); // everything fits
    EXPECT_EQ(view.ShapesDrawn(), 2);
}

TEST_F(RenderTest, ScreenPassMapsObjectsWithTheZoom) {
    Picture(200, 100);
    view.SetClientSize(400, 200);
    view.SetZoom(200);
    view.SetSupersampleShapes(0);
    view.SetShapeKind(-1, vkBox);
    TVectShape& t = view.Shape(-1);
    t.Left = 10;
    t.Top = 10;
    t.Right = 29;
    t.Bottom = 19;
    t.FillStyle = bsSolid;
    t.FillColor = 0x00FF00;
    t.PenStyle = psClear;
    view.AddShape();
    // Corners map point by point (the right edge is map(29), not map(30) - 1),
    // and without a pen the platform fills its rectangle short of the right
    // and bottom edges, as its own rectangles do.
    const TRect changed = ChangedBounds(view.BackBuffer(), kWhite);
    EXPECT_EQ(changed,
              Rect(view.XBmp2Scr(10), view.YBmp2Scr(10), view.XBmp2Scr(29), view.YBmp2Scr(19)));
}

TEST_F(RenderTest, ScreenPassWithTheWindowedBufferMatchesTheWholeBuffer) {
    struct Case {
        double zoom;
        int viewX, viewY;
    } cases[] = {{100, 0, 0}, {250, 37, 21}, {33, 0, 0}};
    for (const Case& c : cases) {
        REzoreZuDidu limited, whole;
        whole.LimitObjectBuffer = false;
        for (REzoreZuDidu* v : {&limited, &whole}) {
            v->CurrentBitmap().Setup(320, 160, ie24RGB);
            test::PaintGradient(v->CurrentBitmap());
            test::AddAssortedObjects(*v);
            v->SetClientSize(300, 150);
            v->SetZoom(c.zoom);
            v->SetViewXY(c.viewX, c.viewY);
            v->Update();
        }
        EXPECT_GT(limited.ShapesDrawn(), 0);
        EXPECT_EQ(test::DifferentPixels(limited.BackBuffer(), whole.BackBuffer()), 0)
            << "zoom " << c.zoom;
    }
}

TEST_F(RenderTest, FastDrawingWhileThePrimaryButtonIsDown) {
    ManualTimerHost host;
    view.SetHost(&host);
    Picture(100, 100);
    view.SetClientSize(100, 100);
    const int h = AddText(view, 10, 10, 90, 41, "shadow", kRed);
    view.Shape(h).Shadow->Enabled = 1;
    TIEMouseEvent press;
    view.MouseDown(press);
    view.Update();
    ASSERT_NE(host.Timer, nullptr);
    EXPECT_TRUE(view.FastDrawing());
    EXPECT_TRUE(host.Timer->Active());
    EXPECT_EQ(host.Timer->Interval(), 50);
    host.Timer->Tick(); // still pressed
    EXPECT_TRUE(view.FastDrawing());
    view.MouseUp(press);
    host.Timer->Tick();
    EXPECT_FALSE(view.FastDrawing());
    EXPECT_FALSE(host.Timer->Active());
    view.SetHost(nullptr);
}

TEST_F(RenderTest, FastDrawingDrawsShadowedObjectsDirectly) {
    Picture(100, 100);
    view.SetClientSize(100, 100);
    const int h = AddText(view, 10, 10, 90, 41, "shadow", kRed);
    view.Shape(h).Shadow->Enabled = 1;
    view.MouseDown(TIEMouseEvent{});
    view.Update();
    EXPECT_EQ(view.ObjectBuffer().Width(), 0);
    // Merging is never fast.
    view.DrawShapesInto(Image(), false, -1);
    EXPECT_GT(view.ObjectBuffer().Width(), 0);
    EXPECT_TRUE(view.FastDrawing());
}

TEST_F(RenderTest, DrawEventsSeeTheMappedBoxAndCanTakeOver) {
    Picture(100, 60);
    const int h = AddText(view, 10, 10, 80, 41, "Text", kRed);
    int before = 0, after = 0;
    TRect box;
    view.OnBeforeDrawObject = [&](REzoreZuDidu&, int hobj, TPlatformBitmap&, const TRect& r,
                                  bool alpha, bool& handled) {
        ++before;
        box = r;
        EXPECT_EQ(hobj, h);
        EXPECT_FALSE(alpha);
        handled = true;
    };
    view.OnAfterDrawObject = [&](REzoreZuDidu&, int, TPlatformBitmap&, const TRect&, bool, bool&) {
        ++after;
    };
    view.DrawShapesInto(Image(), false, -1);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(box, Rect(10, 10, 80, 41));
    EXPECT_EQ(ChangedBounds(Image(), kWhite), TRect{}); // the handler drew nothing
    EXPECT_EQ(view.Shape(h).DrawnBounds, Rect(10, 10, 80, 41));
}

} // namespace
} // namespace vellinor
