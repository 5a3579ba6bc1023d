// Merging objects into the image: the pixel formats, the alpha plane, repeated
// merges, several objects, the notifications, and that the shortcuts (the
// object buffer's window, the band of rows) give the pixels of the full way.

#include "DefaultCopyright.h"
#include "VectTestSupport.h"
#include "vect/REzoreZuDidu.h"

#include <gtest/gtest.h>

namespace vellinor {
namespace {

using test::AddAssortedObjects;
using test::AddDefaultCopyright;
using test::ChangedBounds;
using test::FillImage;
using test::PaintGradient;
using test::SamePixels;

const TRGB kSky = MakeRGB(150, 180, 220);

class MergeTest : public ::testing::Test {
protected:
    void Picture(int width, int height) {
        view.CurrentBitmap().Setup(width, height, ie24RGB);
        PaintGradient(view.CurrentBitmap());
    }
    REzoreZuDidu view;
};

TEST_F(MergeTest, GlyphsGoIntoTheColourAndNotIntoTheAlphaPlane) {
    for (TIELocation location : {ieTBitmap, ieMemory}) {
        REzoreZuDidu v;
        TIEBitmap& b = v.CurrentBitmap();
        b.Discard();
        b.Relocate(location);
        b.Setup(300, 120, ie24RGB);
        FillImage(b, kSky);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 300; ++x)
                b.SetAlpha(x, y, static_cast<uint8_t>((x * 7 + y) & 0xFF));
        AddDefaultCopyright(v, "photo.jpg", "Copyright", false);
        v.MergeShapes(false);
        EXPECT_EQ(b.Location(), location);
        EXPECT_EQ(b.PixelFormat(), ie24RGB);
        const TRect changed = ChangedBounds(b, kSky);
        EXPECT_FALSE(changed.IsEmpty());
        EXPECT_GE(changed.Top, 60); // inside the box: 60 ... 91
        EXPECT_LE(changed.Bottom, 92);
        int wrongAlpha = 0;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 300; ++x)
                wrongAlpha += b.GetAlpha(x, y) == ((x * 7 + y) & 0xFF) ? 0 : 1;
        EXPECT_EQ(wrongAlpha, 0) << "location " << int{location};
    }
}

TEST_F(MergeTest, MergingTwiceDarkensAShadowedObject) {
    Picture(300, 120);
    AddDefaultCopyright(view, "photo.jpg");
    auto brightness = [&] {
        long sum = 0;
        for (int y = 40; y < 110; ++y)
            for (int x = 60; x < 300; ++x) {
                const TRGB p = view.CurrentBitmap().GetRGB(x, y);
                sum += p.r + p.g + p.b;
            }
        return sum;
    };
    const long original = brightness();
    view.MergeShapes(true);
    const long once = brightness();
    view.MergeShapes(true);
    const long twice = brightness();
    EXPECT_LT(once, original);
    EXPECT_LT(twice, once);
    EXPECT_EQ(view.ShapeCount(), 1); // the objects stay
}

TEST_F(MergeTest, OtherFormatsMakeTheRoundTripAndKeepTheirFormat) {
    struct Case {
        TIEPixelFormat format;
    } cases[] = {{ie8p}, {ie8g}, {ie1g}, {ie32RGB}};
    for (const Case& c : cases) {
        REzoreZuDidu v;
        TIEBitmap& b = v.CurrentBitmap();
        b.Setup(200, 100, ie24RGB);
        PaintGradient(b);
        b.ConvertTo(c.format);
        ASSERT_EQ(b.PixelFormat(), c.format);
        b.AlphaPlane()->FillAll(77);
        TIEBitmap before;
        before.CopyFrom(b);
        const int h = AddDefaultCopyright(v, "a.bmp", "WWWW", false);
        v.Shape(h).PenColor = 0x000000; // black glyphs show in every format
        v.MergeShapes(false);
        EXPECT_EQ(b.PixelFormat(), c.format) << PixelFormatName(c.format);
        EXPECT_GT(test::DifferentPixels(before, b), 20) << PixelFormatName(c.format);
        EXPECT_EQ(b.GetAlpha(10, 10), 77);
    }
}

TEST_F(MergeTest, BothObjectsAreDrawnAndTheWorkflowRemovesHandleZero) {
    Picture(400, 200);
    AddDefaultCopyright(view, "photo.jpg", "First");
    view.SetShapeTop(-1, 20); // the second stamping lands higher
    const int second = view.AddShape();
    ASSERT_EQ(second, 1);
    int imageChanges = 0;
    view.OnImageChange = [&](DOrevaDeVeri&) { ++imageChanges; };
    TIEBitmap before;
    before.CopyFrom(view.CurrentBitmap());
    view.MergeShapes(true);
    EXPECT_EQ(imageChanges, 1);
    auto changedRows = [&](int top, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 400; ++x)
                n += before.GetRGB(x, y) == view.CurrentBitmap().GetRGB(x, y) ? 0 : 1;
        return n;
    };
    EXPECT_GT(changedRows(140, 172), 100); // the first object
    EXPECT_GT(changedRows(20, 52), 100);   // the second
    view.RemoveShape(view.SelectedShape(-1));
    EXPECT_EQ(view.ShapeCount(), 1);
    EXPECT_EQ(view.ShapeAt(0), 1);
}

TEST_F(MergeTest, TheAntialiasArgumentChoosesTheSupersampledPath) {
    Picture(300, 120);
    AddDefaultCopyright(view, "photo.jpg", "Copyright", false);
    view.SetSupersampleShapes(0);
    TIEBitmap original;
    original.CopyFrom(view.CurrentBitmap());
    view.MergeShapes(true);
    EXPECT_EQ(view.ObjectBuffer().Width(), 600); // twice the picture
    EXPECT_EQ(view.SupersampleShapes(), 0);      // given back
    TIEBitmap smooth;
    smooth.CopyFrom(view.CurrentBitmap());
    view.CurrentBitmap().CopyFrom(original);
    view.MergeShapes(false); // opaque, no shadow: drawn directly
    EXPECT_FALSE(SamePixels(smooth, view.CurrentBitmap()));
}

TEST_F(MergeTest, TheWindowedBufferGivesThePixelsOfTheWholeBuffer) {
    for (bool antialias : {false, true}) {
        for (uint8_t supersample : {0, 1}) {
            REzoreZuDidu limited, whole;
            for (REzoreZuDidu* v : {&limited, &whole}) {
                v->CurrentBitmap().Setup(320, 160, ie24RGB);
                PaintGradient(v->CurrentBitmap());
                AddAssortedObjects(*v);
                v->SetSupersampleShapes(supersample);
            }
            whole.LimitObjectBuffer = false;
            limited.MergeShapes(antialias);
            whole.MergeShapes(antialias);
            EXPECT_EQ(whole.ObjectBuffer().Width(), antialias ? 640 : 320);
            EXPECT_LT(
                limited.ObjectBuffer().Window().Width() * limited.ObjectBuffer().Window().Height(),
                whole.ObjectBuffer().Window().Width() * whole.ObjectBuffer().Window().Height());
            EXPECT_EQ(test::DifferentPixels(limited.CurrentBitmap(), whole.CurrentBitmap()), 0)
                << "antialias " << antialias << " supersample " << int{supersample};
        }
    }
}

TEST_F(MergeTest, ABandOfRowsGivesThePixelsOfTheRoundTrip) {
    for (bool antialias : {false, true}) {
        REzoreZuDidu direct, band;
        band.CurrentBitmap().Discard();
        band.CurrentBitmap().Relocate(ieMemory);
        for (REzoreZuDidu* v : {&direct, &band}) {
            v->CurrentBitmap().Setup(320, 400, ie24RGB);
            PaintGradient(v->CurrentBitmap());
            AddDefaultCopyright(*v, "photo.jpg");
        }
        ASSERT_EQ(band.CurrentBitmap().Location(), ieMemory);
        direct.MergeShapes(antialias);
        band.MergeShapes(antialias);
        EXPECT_EQ(test::DifferentPixels(direct.CurrentBitmap(), band.CurrentBitmap()), 0);
        // Objects all over the picture: the band is the whole height, or the
        // full round trip takes over; the pixels are the same either way.
        REzoreZuDidu spread, spreadBand;
        spreadBand.CurrentBitmap().Discard();
        spreadBand.CurrentBitmap().Relocate(ieMemory);
        for (REzoreZuDidu* v : {&spread, &spreadBand}) {
            v->CurrentBitmap().Setup(320, 160, ie24RGB);
            PaintGradient(v->CurrentBitmap());
            AddAssortedObjects(*v);
        }
        spread.MergeShapes(antialias);
        spreadBand.MergeShapes(antialias);
        EXPECT_EQ(test::DifferentPixels(spread.CurrentBitmap(), spreadBand.CurrentBitmap()), 0);
    }
}

TEST_F(MergeTest, MergingWithoutObjectsChangesNothing) {
    Picture(50, 40);
    TIEBitmap before;
    before.CopyFrom(view.CurrentBitmap());
    view.MergeShapes(true);
    EXPECT_TRUE(SamePixels(before, view.CurrentBitmap()));
    // A paletted picture makes the round trip all the same and keeps its colours.
    TIEBitmap& b = view.CurrentBitmap();
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x)
            b.SetRGB(x, y,
                     MakeRGB(static_cast<uint8_t>(40 * (x / 10)),
                             static_cast<uint8_t>(60 * (y / 10)), 99));
    b.ConvertTo(ie8p);
    TIEBitmap paletted;
    paletted.CopyFrom(b);
    view.MergeShapes(false);
    ASSERT_EQ(b.PixelFormat(), ie8p);
    EXPECT_EQ(test::DifferentPixels(paletted, b), 0);
}

} // namespace
} // namespace vellinor
