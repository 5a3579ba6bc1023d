// The view's layers: defaults, appending, selecting, merging with its
// compositing rules, and painting.

#include "image/TIEBitmap.h"
#include "proc/VEduzoDeRivi.h"
#include "view/DOrevaDeVeri.h"
#include "view/TIELayer.h"

#include <gtest/gtest.h>

namespace vellinor {
namespace {

TRGB Gray(uint8_t v) {
    return TRGB{v, v, v};
}

// A view whose layers are filled by the tests; the background is a colour
// that no layer uses.
class LayersTest : public ::testing::Test {
protected:
    LayersTest() { view.Background = 0x00102030; }
    // Layer index filled with one colour, at an offset, w x h.
    void Shape(int index, int w, int h, TRGB color, int x = 0, int y = 0) {
        TIELayer& layer = view.LayerAt(index);
        layer.LayerBitmap->Setup(w, h, ie24RGB);
        layer.LayerBitmap->FillAll(static_cast<double>(TRGB2TColor(color)));
        layer.OffsetX = x;
        layer.OffsetY = y;
    }
    TIEBitmap& Merged() { return view.CurrentBitmap(); }
    const TRGB kBackground = MakeRGB(0x30, 0x20, 0x10);
    DOrevaDeVeri view;
};

TEST_F(LayersTest, FreshViewHasThePictureAsLayerZeroWithTheDefaults) {
    ASSERT_EQ(view.LayerCount(), 1);
    EXPECT_EQ(view.CurrentLayerIndex(), 0);
    TIELayer& layer = view.CurrentLayer();
    EXPECT_EQ(layer.LayerBitmap, &view.CurrentBitmap());
    EXPECT_TRUE(layer.OwnsBitmap);
    EXPECT_EQ(layer.OffsetX, 0);
    EXPECT_EQ(layer.OffsetY, 0);
    EXPECT_EQ(layer.DisplayWidth, 0);
    EXPECT_EQ(layer.DisplayHeight, 0);
    EXPECT_EQ(layer.Opacity, 255);
    EXPECT_TRUE(layer.Shown);
    EXPECT_TRUE(layer.FrameShown);
    EXPECT_TRUE(layer.Pickable);
    EXPECT_FALSE(layer.Pinned);
    EXPECT_FALSE(layer.ActsAsMask);
    EXPECT_EQ(layer.BlendMode, 0);
    layer.SetRotation(720);
    EXPECT_EQ(layer.Rotation(), 0);
    layer.SetRotation(45);
    EXPECT_EQ(layer.Rotation(), 45);
}

TEST_F(LayersTest, AppendLayerGivesAnOpaqueBackgroundRectangleOfTheCurrentSize) {
    view.Background = clWhite;
    Shape(0, 30, 20, Gray(9));
    view.CurrentBitmap().AlphaPlane();
    EXPECT_EQ(view.AppendLayer(), 1);
    ASSERT_EQ(view.LayerCount(), 2);
    EXPECT_EQ(view.CurrentLayerIndex(), 1);
    TIEBitmap& layer = view.CurrentBitmap();
    EXPECT_EQ(&layer, view.LayerAt(1).LayerBitmap);
    EXPECT_EQ(layer.Width(), 30);
    EXPECT_EQ(layer.Height(), 20);
    EXPECT_EQ(layer.PixelFormat(), ie24RGB);
    EXPECT_EQ(layer.Location(), ieTBitmap); // like the picture: GDI can draw on it
    EXPECT_NE(view.LegacyVclBitmap(), nullptr);
    EXPECT_FALSE(layer.HasAlphaPlane());
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(layer.GetRGB(x, y), MakeRGB(255, 255, 255));
    EXPECT_EQ(view.LayerAt(0).LayerBitmap->GetRGB(5, 5), Gray(9));
    EXPECT_NE(view.LayerAt(0).LayerId, view.LayerAt(1).LayerId);
}

TEST_F(LayersTest, SelectLayerIgnoresBadIndexesAndPassesOverUnpickableLayers) {
    view.AppendLayer();
    view.AppendLayer();
    view.SelectLayer(7);
    view.SelectLayer(-1);
    EXPECT_EQ(view.CurrentLayerIndex(), 2);
    view.LayerAt(1).Pickable = false;
    view.SelectLayer(0);
    view.SelectLayer(1);
    EXPECT_EQ(view.CurrentLayerIndex(), 0);
    EXPECT_EQ(&view.CurrentBitmap(), view.LayerAt(0).LayerBitmap);
}

TEST_F(LayersTest, EqualLayersMergeWithTheLowerShowingThroughAlphaHoles) {
    Shape(0, 8, 6, Gray(10));
    view.AppendLayer();
    Shape(1, 8, 6, Gray(200));
    for (int x = 0; x < 8; ++x)
        view.CurrentBitmap().SetAlpha(x, 2, x % 2 ? 0 : 255);
    VEduzoDeRivi* proc = view.AttachedProc();
    view.MergeLayerPair(0, 1, true);

    ASSERT_EQ(view.LayerCount(), 1);
    EXPECT_EQ(view.CurrentLayerIndex(), 0);
    EXPECT_EQ(proc->IEBitmap(), &view.CurrentBitmap());
    ASSERT_EQ(Merged().Width(), 8);
    EXPECT_FALSE(Merged().HasAlphaPlane());
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(Merged().GetRGB(x, y), y == 2 && x % 2 ? Gray(10) : Gray(200));
}

TEST_F(LayersTest, OffsetLayersMergeIntoTheirCoveringRectangle) {
    Shape(0, 40, 40, Gray(1));
    view.AppendLayer();
    view.AppendLayer();
    view.AppendLayer();
    Shape(2, 10, 10, Gray(50), 5, 5);
    Shape(3, 10, 10, Gray(150), 15, 25);
    view.LayerAt(2).Pinned = true;
    view.LayerAt(2).Opacity = 200;
    view.MergeLayerPair(2, 3, true);

    ASSERT_EQ(view.LayerCount(), 3);
    EXPECT_EQ(view.CurrentLayerIndex(), 2);
    TIELayer& merged = view.CurrentLayer();
    EXPECT_EQ(merged.OffsetX, 5);
    EXPECT_EQ(merged.OffsetY, 5);
    EXPECT_TRUE(merged.Pinned);
    EXPECT_EQ(merged.Opacity, 255);
    ASSERT_EQ(Merged().Width(), 20);
    ASSERT_EQ(Merged().Height(), 30);
    ASSERT_TRUE(Merged().HasAlphaPlane());
    struct Probe {
        int x, y;
        TRGB color;
        int alpha;
    } probes[] = {
        {0, 0, Gray(50), 200},    // lower only, its opacity
        {15, 25, Gray(150), 255}, // upper only
        {15, 0, kBackground, 0},  // top-right corner: nobody
        {0, 25, kBackground, 0},  // bottom-left corner: nobody
        {9, 15, kBackground, 0},  // lower's columns, below it
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(Merged().GetRGB(p.x, p.y), p.color) << p.x << "," << p.y;
        EXPECT_EQ(Merged().GetAlpha(p.x, p.y), p.alpha) << p.x << "," << p.y;
    }
}

TEST_F(LayersTest, MergingIntoLayerZeroKeepsTheOrigin) {
    Shape(0, 10, 5, Gray(20), 10, 0);
    view.AppendLayer();
    Shape(1, 10, 5, Gray(220), 20, 3);
    view.MergeLayerPair(0, 1, true);
    EXPECT_EQ(view.CurrentLayer().OffsetX, 0);
    ASSERT_EQ(Merged().Width(), 30);
    ASSERT_EQ(Merged().Height(), 8);
    EXPECT_EQ(Merged().GetRGB(0, 0), kBackground);
    EXPECT_EQ(Merged().GetAlpha(9, 0), 0);
    EXPECT_EQ(Merged().GetRGB(10, 0), Gray(20));
    EXPECT_EQ(Merged().GetRGB(25, 4), Gray(220));
    EXPECT_EQ(Merged().GetAlpha(15, 6), 0);
}

TEST_F(LayersTest, PartialAlphaBlendsByTheFormulaRoundedToNearest) {
    // Columns: cU over cL with the upper opacity 128; then both half transparent.
    Shape(0, 3, 2, Gray(0));
    for (int x = 0; x < 3; ++x) {
        const uint8_t lower[] = {0, 255, 100};
        view.CurrentBitmap().SetRGB(x, 0, Gray(lower[x]));
        view.CurrentBitmap().SetRGB(x, 1, Gray(lower[x]));
        view.CurrentBitmap().SetAlpha(x, 1, 128);
    }
    view.AppendLayer();
    Shape(1, 3, 2, Gray(0));
    for (int x = 0; x < 3; ++x) {
        const uint8_t upper[] = {255, 0, 200};
        view.CurrentBitmap().SetRGB(x, 0, Gray(upper[x]));
        view.CurrentBitmap().SetRGB(x, 1, Gray(upper[x]));
    }
    view.LayerAt(1).Opacity = 128;
    view.MergeLayerPair(0, 1, true);
    // Row 0 over an opaque lower layer: 128, 127, round(150.196) = 150.
    EXPECT_EQ(Merged().GetRGB(0, 0), Gray(128));
    EXPECT_EQ(Merged().GetRGB(1, 0), Gray(127));
    EXPECT_EQ(Merged().GetRGB(2, 0), Gray(150));
    EXPECT_EQ(Merged().GetAlpha(2, 0), 255);
    // Row 1, both 128: A = 0.7519..., alpha 192; colour 255 x 0.502 / 0.752 = 170.
    EXPECT_EQ(Merged().GetAlpha(0, 1), 192);
    EXPECT_EQ(Merged().GetRGB(0, 1), Gray(170));
    EXPECT_EQ(Merged().GetRGB(1, 1), Gray(85));
}

TEST_F(LayersTest, MergingOneOverZeroKeepsLayerOne) {
    Shape(0, 4, 4, Gray(5));
    view.AppendLayer();
    Shape(1, 4, 4, Gray(250));
    view.LayerAt(1).Opacity = 0;
    view.MergeLayerPair(1, 0, false);
    ASSERT_EQ(view.LayerCount(), 2);
    EXPECT_EQ(view.CurrentLayerIndex(), 0);
    EXPECT_EQ(Merged().GetRGB(1, 1), Gray(5));
    EXPECT_EQ(view.LayerAt(1).LayerBitmap->GetRGB(1, 1), Gray(250));
}

TEST_F(LayersTest, MaskLayerLimitsTheUpperLayerAndGoesWithIt) {
    Shape(0, 6, 2, Gray(0));
    view.AppendLayer();
    Shape(1, 6, 2, Gray(240));
    view.AppendLayer();
    TIELayer& mask = view.LayerAt(2);
    mask.LayerBitmap->Setup(4, 2, ie8g);
    for (int x = 0; x < 4; ++x) {
        mask.LayerBitmap->SetByte(x, 0, x < 2 ? 0 : 255);
        mask.LayerBitmap->SetByte(x, 1, x < 2 ? 0 : 255);
    }
    mask.ActsAsMask = true;
    view.MergeLayerPair(0, 1, true);
    ASSERT_EQ(view.LayerCount(), 1);
    const TRGB expected[] = {Gray(0), Gray(0), Gray(240), Gray(240), Gray(0), Gray(0)};
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(Merged().GetRGB(x, 1), expected[x]) << x;
}

TEST_F(LayersTest, LayerShownAtAnotherSizeIsResampledFirst) {
    Shape(0, 6, 6, Gray(0));
    view.AppendLayer();
    Shape(1, 2, 2, Gray(90), 1, 1);
    view.LayerAt(1).DisplayWidth = 4;
    view.LayerAt(1).DisplayHeight = 4;
    view.ZoomFilter = rfNone;
    view.MergeLayerPair(0, 1, true);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 1 && x < 5 && y >= 1 && y < 5;
            EXPECT_EQ(Merged().GetRGB(x, y), inside ? Gray(90) : Gray(0)) << x << "," << y;
        }
}

TEST_F(LayersTest, BlackAndWhiteLayersMergeAsBlackAndWhite) {
    TIEBitmap& picture = view.CurrentBitmap();
    picture.Setup(8, 1, ie1g);
    for (int x = 0; x < 8; ++x)
        picture.SetBit(x, 0, x >= 4);
    view.AppendLayer();
    Shape(1, 8, 1, Gray(77));
    for (int x = 0; x < 8; ++x)
        view.CurrentBitmap().SetAlpha(x, 0, x % 2 ? 0 : 255);
    view.MergeLayerPair(0, 1, true);
    ASSERT_EQ(Merged().PixelFormat(), ie24RGB);
    const TRGB expected[] = {Gray(77), Gray(0),   Gray(77), Gray(0),
                             Gray(77), Gray(255), Gray(77), Gray(255)};
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(Merged().GetRGB(x, 0), expected[x]) << x;
}

TEST_F(LayersTest, ViewPaintsTheLayersBottomToTop) {
    Shape(0, 10, 10, Gray(30));
    view.AppendLayer();
    Shape(1, 4, 4, Gray(230), 5, 5);
    view.CurrentBitmap().SetAlpha(0, 0, 0);
    view.SelectLayer(0);
    view.SetClientSize(10, 10);
    view.Update();
    TIEBitmap& screen = view.BackBuffer();
    ASSERT_EQ(screen.Width(), 10);
    EXPECT_EQ(screen.GetRGB(2, 2), Gray(30));
    EXPECT_EQ(screen.GetRGB(5, 5), Gray(30)); // transparent corner of layer 1
    EXPECT_EQ(screen.GetRGB(6, 6), Gray(230));
    view.LayerAt(1).Shown = false;
    view.Update();
    EXPECT_EQ(screen.GetRGB(6, 6), Gray(30));
}

} // namespace
} // namespace vellinor
