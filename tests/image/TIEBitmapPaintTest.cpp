// PaintTo: mapping, clipping, filters, alpha blending and every source format.

#include "image/TIEBitmapPaint.h"

#include "image/ColorConversions.h"
#include "image/TIEBitmap.h"
#include "platform/PlatformBitmap.h"
#include "tests/image/StorageKinds.h"

#include <gtest/gtest.h>

namespace vellinor {
namespace {

TRGB Gray(uint8_t v) {
    return TRGB{v, v, v};
}

void Fill(TIEBitmap& t, TRGB color) {
    for (int y = 0; y < t.Height(); ++y)
        for (int x = 0; x < t.Width(); ++x)
            t.SetRGB(x, y, color);
}

TEST(PaintTo, NearestSamplingFollowsTheScreenToBitmapRule) {
    // Columns 0..7 with grey 10 * x, shown at 37.5 % from origin 1.
    TIEBitmap source(8, 1, ie24RGB);
    for (int x = 0; x < 8; ++x)
        source.SetRGB(x, 0, Gray(static_cast<uint8_t>(10 * x)));
    TIEBitmap target(6, 1, ie24RGB);
    Fill(target, Gray(255));
    TIEPaintOptions o;
    o.OriginX = 1;
    o.ScaleX = 0.375;
    o.Target = {0, 0, 6, 1};
    source.PaintTo(target, o);
    // Target column t shows source floor((t - 1) / 0.375); columns outside the
    // footprint [1, 4) keep the fill.
    EXPECT_EQ(target.GetRGB(0, 0), Gray(255));
    EXPECT_EQ(target.GetRGB(1, 0), Gray(0));
    EXPECT_EQ(target.GetRGB(2, 0), Gray(20));
    EXPECT_EQ(target.GetRGB(3, 0), Gray(50));
    EXPECT_EQ(target.GetRGB(4, 0), Gray(255));
}

TEST(PaintTo, EnlargesIntoSquaresAndClipsToTheTargetRect) {
    TIEBitmap source(2, 2, ie24RGB);
    source.SetRGB(0, 0, MakeRGB(255, 0, 0));
    source.SetRGB(1, 0, MakeRGB(0, 255, 0));
    source.SetRGB(0, 1, MakeRGB(0, 0, 255));
    source.SetRGB(1, 1, MakeRGB(9, 9, 9));
    TIEBitmap target(6, 6, ie24RGB);
    Fill(target, Gray(1));
    TIEPaintOptions o;
    o.OriginX = -1; // the first source column is half cut off
    o.ScaleX = o.ScaleY = 2;
    o.Target = {0, 0, 6, 3}; // only the top three rows may change
    source.PaintTo(target, o);
    EXPECT_EQ(target.GetRGB(0, 0), MakeRGB(255, 0, 0));
    EXPECT_EQ(target.GetRGB(1, 0), MakeRGB(0, 255, 0));
    EXPECT_EQ(target.GetRGB(2, 1), MakeRGB(0, 255, 0));
    EXPECT_EQ(target.GetRGB(3, 0), Gray(1)); // right of the footprint
    EXPECT_EQ(target.GetRGB(0, 2), MakeRGB(0, 0, 255));
    EXPECT_EQ(target.GetRGB(0, 3), Gray(1)); // below the target rect
}

TEST(PaintTo, TriangleReductionAveragesWhereNearestAliases) {
    // Alternating black and white columns reduced to half width.
    TIEBitmap source(16, 4, ie24RGB);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x)
            source.SetRGB(x, y, Gray(x % 2 ? 255 : 0));
    const TIEPaintOptions o = PaintRectToRect({0, 0, 8, 2}, {0, 0, 16, 4}, rfTriangle);
    TIEBitmap filtered(8, 2, ie24RGB);
    Fill(filtered, Gray(7));
    source.PaintTo(filtered, o);
    for (int x = 1; x < 7; ++x) { // interior: both neighbours weigh alike
        const int v = filtered.GetRGB(x, 1).g;
        EXPECT_GE(v, 120) << x;
        EXPECT_LE(v, 135) << x;
    }
    TIEPaintOptions nearest = o;
    nearest.Filter = rfNone;
    TIEBitmap sampled(8, 2, ie24RGB);
    Fill(sampled, Gray(7));
    source.PaintTo(sampled, nearest);
    EXPECT_EQ(sampled.GetRGB(3, 1), Gray(0));
}

TEST(PaintTo, FilteringKeepsAUniformColourExactly) {
    TIEBitmap source(37, 23, ie24RGB);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x)
            source.SetRGB(x, y, MakeRGB(201, 13, 97));
    for (double scale : {0.13, 0.5, 0.77, 1.0, 2.5}) {
        TIEBitmap target(100, 60, ie24RGB);
        Fill(target, Gray(0));
        TIEPaintOptions o;
        o.ScaleX = o.ScaleY = scale;
        o.Target = {0, 0, 100, 60};
        o.Filter = rfTriangle;
        source.PaintTo(target, o);
        EXPECT_EQ(target.GetRGB(0, 0), MakeRGB(201, 13, 97)) << scale;
        const int last = static_cast<int>(36 * scale);
        EXPECT_EQ(target.GetRGB(last, static_cast<int>(22 * scale)), MakeRGB(201, 13, 97)) << scale;
    }
}

TEST(PaintTo, BlendsByAlphaPlaneAndOpacity) {
    TIEBitmap source(3, 1, ie24RGB);
    for (int x = 0; x < 3; ++x)
        source.SetRGB(x, 0, MakeRGB(200, 100, 50));
    source.SetAlpha(0, 0, 255);
    source.SetAlpha(1, 0, 128);
    source.SetAlpha(2, 0, 0);
    TIEBitmap target(3, 1, ie24RGB);
    Fill(target, Gray(0));
    source.PaintTo(target, PaintRectToRect({0, 0, 3, 1}, {0, 0, 3, 1}));
    EXPECT_EQ(target.GetRGB(0, 0), MakeRGB(200, 100, 50));
    EXPECT_EQ(target.GetRGB(1, 0), MakeRGB(100, 50, 25));
    EXPECT_EQ(target.GetRGB(2, 0), Gray(0));

    TIEBitmap copied(3, 1, ie24RGB);
    Fill(copied, Gray(0));
    TIEPaintOptions o = PaintRectToRect({0, 0, 3, 1}, {0, 0, 3, 1});
    o.UseAlpha = false;
    o.Opacity = 128;
    source.PaintTo(copied, o);
    EXPECT_EQ(copied.GetRGB(2, 0), MakeRGB(100, 50, 25));
}

TEST(PaintTo, ReadsOnlyTheSourceRect) {
    TIEBitmap source(4, 1, ie24RGB);
    for (int x = 0; x < 4; ++x)
        source.SetRGB(x, 0, Gray(x < 2 ? 50 : 250));
    // Columns 0-1 stretched over four target pixels with the filter: the
    // bright columns next to them must not bleed in.
    TIEBitmap target(4, 1, ie24RGB);
    Fill(target, Gray(0));
    source.PaintTo(target, PaintRectToRect({0, 0, 4, 1}, {0, 0, 2, 1}, rfTriangle));
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(target.GetRGB(x, 0), Gray(50)) << x;
}

struct FormatCase {
    const char* name;
    TIEPixelFormat format;
    std::function<void(TIEBitmap&)> fill;
    TRGB expected;
};

TEST(PaintTo, ShowsEveryPixelFormat) {
    const FormatCase cases[] = {
        {"ie1g", ie1g, [](TIEBitmap& b) { b.SetBit(0, 0, true); }, Gray(255)},
        {"ie8p", ie8p,
         [](TIEBitmap& b) {
             b.SetPaletteColor(7, MakeRGB(1, 2, 3));
             b.SetByte(0, 0, 7);
         },
         MakeRGB(1, 2, 3)},
        {"ie8g", ie8g, [](TIEBitmap& b) { b.SetByte(0, 0, 77); }, Gray(77)},
        {"ie16g", ie16g, [](TIEBitmap& b) { b.SetWord(0, 0, 0x8123); }, Gray(0x81)},
        {"ie32f", ie32f, [](TIEBitmap& b) { b.SetFloat(0, 0, 0.5f); }, Gray(127)},
        {"ie32f range", ie32f,
         [](TIEBitmap& b) {
             b.BlackValue = 100;
             b.WhiteValue = 200;
             b.SetFloat(0, 0, 150.f);
         },
         Gray(127)},
        {"ieRGB48", ieRGB48,
         [](TIEBitmap& b) {
             b.SetRGB48(0, 0, TRGB48{0x1000, 0x2000, 0x3000});
         },
         MakeRGB(0x10, 0x20, 0x30)},
        {"ie32RGB", ie32RGB, [](TIEBitmap& b) { b.SetDword(0, 0, 0xFF102030); },
         TRGB{0x30, 0x20, 0x10}},
        {"ieCMYK", ieCMYK, [](TIEBitmap& b) { b.SetDword(0, 0, 0xFFFF00FF); },
         CMYK2RGB(TCMYK{255, 0, 255, 255})},
        {"contrast", ie24RGB,
         [](TIEBitmap& b) {
             b.SetRGB(0, 0, Gray(160));
             b.Contrast = 100; // doubles the distance from 128
         },
         Gray(192)},
    };
    for (const FormatCase& c : cases) {
        TIEBitmap source(1, 1, c.format);
        c.fill(source);
        TIEBitmap target(1, 1, ie24RGB);
        Fill(target, Gray(3));
        source.PaintTo(target, PaintRectToRect({0, 0, 1, 1}, {0, 0, 1, 1}));
        EXPECT_EQ(target.GetRGB(0, 0), c.expected) << c.name;
    }
}

TEST(PaintTo, WorksFromEveryStorageAndIntoPlatformBitmaps) {
    using test::StorageKind;
    for (StorageKind kind : {StorageKind::Memory, StorageKind::TempFileMapped,
                             StorageKind::TempFileRowBuffers, StorageKind::PlatformBitmap}) {
        test::StorageKindScope scope(kind);
        auto source = scope.Make(4, 4, ie24RGB);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                source->SetRGB(x, y, Gray(static_cast<uint8_t>(60 * y)));
        // The filter needs several source rows at once.
        TPlatformBitmap target(2, 2, 24);
        source->PaintTo(target, PaintRectToRect({0, 0, 2, 2}, {0, 0, 4, 4}, rfTriangle));
        const int top = target.GetPixelRGB(0, 0).g, bottom = target.GetPixelRGB(0, 1).g;
        EXPECT_GT(top, 0) << test::StorageKindName(kind);
        EXPECT_LT(top, 90) << test::StorageKindName(kind);
        EXPECT_GT(bottom, 90) << test::StorageKindName(kind);
        EXPECT_LT(bottom, 180) << test::StorageKindName(kind);
    }
}

TEST(PaintTo, IgnoresTargetsItCannotWrite) {
    TIEBitmap source(2, 2, ie24RGB);
    source.SetRGB(0, 0, Gray(9));
    TIEBitmap gray(2, 2, ie8g);
    source.PaintTo(gray, PaintRectToRect({0, 0, 2, 2}, {0, 0, 2, 2}));
    EXPECT_EQ(gray.GetByte(0, 0), 0);
    source.PaintTo(source, PaintRectToRect({1, 1, 1, 1}, {0, 0, 1, 1}));
    EXPECT_EQ(source.GetRGB(1, 1), Gray(0));
    TIEPaintOptions bad = PaintRectToRect({0, 0, 2, 2}, {0, 0, 2, 2});
    bad.ScaleX = 0;
    TIEBitmap target(2, 2, ie24RGB);
    Fill(target, Gray(5));
    source.PaintTo(target, bad);
    EXPECT_EQ(target.GetRGB(0, 0), Gray(5));
}

} // namespace
} // namespace vellinor
