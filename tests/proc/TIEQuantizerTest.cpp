// The quantizer's strategies, its lookups, and golden palettes that pin the
// arithmetic of NeuQuant and the box splitter.

#include "proc/TIEQuantizer.h"

#include "image/TIEBitmap.h"
#include "proc/BoxSplitter.h"
#include "proc/NeuQuant.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <vector>

namespace vellinor {
namespace {

const TRGB kUntouched = MakeRGB(1, 2, 3);

std::vector<TRGB> FreshPalette(size_t size = 256) {
    return std::vector<TRGB>(size, kUntouched);
}

// Smooth ramps crossed with a pattern: many colours, deterministic.
std::unique_ptr<TIEBitmap> Picture(int width, int height) {
    auto picture = std::make_unique<TIEBitmap>(width, height, ie24RGB);
    TIEBitmap& b = *picture;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b.SetRGB(x, y,
                     MakeRGB(static_cast<uint8_t>(x * 255 / std::max(width - 1, 1)),
                             static_cast<uint8_t>(y * 255 / std::max(height - 1, 1)),
                             static_cast<uint8_t>((x * 7 + y * 13) % 256)));
    return picture;
}

// Restores the process-wide settings a test changes.
class SettingsScope {
public:
    SettingsScope(int choice, int quality) {
        gQuantizerChoice = choice;
        gNeuQuantQuality = quality;
    }
    ~SettingsScope() {
        gQuantizerChoice = -1;
        gNeuQuantQuality = -1;
    }
};

TEST(TIEQuantizer, FewColoursAreTakenExactlyInOrderOfAppearance) {
    TIEBitmap b(20, 12, ie24RGB);
    std::vector<TRGB> order;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x) {
            const int i = (y * 20 + x) % 200;
            const TRGB c = MakeRGB(static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i),
                                   static_cast<uint8_t>(i * 3));
            if (y * 20 + x < 200) order.push_back(c);
            b.SetRGB(x, y, c);
        }
    auto palette = FreshPalette();
    TIEQuantizer q(b, palette, 256);
    EXPECT_EQ(q.Strategy(), TIEQuantizerStrategy::ExactColors);
    for (size_t i = 0; i < 200; ++i)
        ASSERT_EQ(palette[i], order[i]) << i;
    for (size_t i = 200; i < 256; ++i)
        ASSERT_EQ(palette[i], kUntouched) << i;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(palette[static_cast<size_t>(q.ColorToIndex(b.GetRGB(x, y)))], b.GetRGB(x, y));
    EXPECT_EQ(q.ColorToIndex(MakeRGB(0, 0, 1)), -1);
}

TEST(TIEQuantizer, TwoColoursLeaveTheOtherEntriesAlone) {
    TIEBitmap b(5, 5, ie24RGB);
    b.FillAll(static_cast<double>(0x0000FF)); // red
    b.SetRGB(4, 4, MakeRGB(0, 0, 255));
    auto palette = FreshPalette();
    TIEQuantizer q(b, palette, 256);
    EXPECT_EQ(palette[0], MakeRGB(255, 0, 0));
    EXPECT_EQ(palette[1], MakeRGB(0, 0, 255));
    for (size_t i = 2; i < 256; ++i)
        ASSERT_EQ(palette[i], kUntouched) << i;
    EXPECT_EQ(q.ColorToIndex(MakeRGB(0, 0, 255)), 1);
}

TEST(TIEQuantizer, GrayPictureGetsTheRamp) {
    TIEBitmap b(30, 2, ie24RGB);
    for (int x = 0; x < 30; ++x)
        b.SetRGB(x, 0, MakeRGB(x * 8, x * 8, x * 8));
    auto palette = FreshPalette();
    TIEQuantizer q(b, palette, 16);
    EXPECT_TRUE(q.IsGray());
    EXPECT_EQ(q.Strategy(), TIEQuantizerStrategy::GrayRamp);
    for (int i = 0; i < 16; ++i)
        ASSERT_EQ(palette[static_cast<size_t>(i)], MakeRGB(16 * i, 16 * i, 16 * i)) << i;
    EXPECT_EQ(palette[16], kUntouched);
    EXPECT_EQ(q.ColorToIndex(MakeRGB(37, 37, 37)), 2);
    EXPECT_EQ(q.ColorToIndex(MakeRGB(255, 255, 255)), 15);

    // Ramps of sizes that do not divide 256 truncate.
    TIEQuantizer three(b, palette, 3);
    EXPECT_EQ(palette[1], MakeRGB(85, 85, 85));
    EXPECT_EQ(palette[2], MakeRGB(170, 170, 170));
    // Formats without colour count as gray.
    TIEBitmap g(4, 4, ie8g);
    TIEQuantizer gray(g, palette, 4);
    EXPECT_TRUE(gray.IsGray());
    EXPECT_EQ(gray.ColorToIndex(MakeRGB(200, 0, 0)), 3);
}

TEST(TIEQuantizer, PaletteSourcesGiveTheirOwnPalette) {
    TIEBitmap p(3, 1, ie8p);
    for (int i = 0; i < 256; ++i)
        p.SetPaletteColor(i, MakeRGB(static_cast<uint8_t>(i), 0, 7));
    p.SetPaletteColor(9, MakeRGB(5, 0, 7)); // a second entry of colour 5
    auto palette = FreshPalette();
    TIEQuantizer q(p, palette, 16);
    EXPECT_FALSE(q.IsGray());
    EXPECT_EQ(q.Strategy(), TIEQuantizerStrategy::OwnPalette);
    EXPECT_EQ(palette[15], MakeRGB(15, 0, 7));
    EXPECT_EQ(palette[16], kUntouched);
    EXPECT_EQ(q.ColorToIndex(MakeRGB(5, 0, 7)), 5);     // the first equal entry
    EXPECT_EQ(q.ColorToIndex(MakeRGB(5, 0, 8)), 256);   // none: the palette size
    EXPECT_EQ(q.ColorToIndex(MakeRGB(200, 0, 7)), 200); // beyond N still found

    // Colour pictures in other formats get nothing.
    TIEBitmap other(2, 1, ie32RGB);
    other.SetDword(0, 0, 0x00FF0000u);
    auto untouched = FreshPalette();
    TIEQuantizer none(other, untouched, 16);
    EXPECT_EQ(none.Strategy(), TIEQuantizerStrategy::None);
    EXPECT_EQ(untouched[0], kUntouched);
    EXPECT_EQ(none.ColorToIndex(MakeRGB(255, 0, 0)), 0);
}

TEST(TIEQuantizer, ChoiceOfTheSearchingStrategy) {
    const auto bHolder = Picture(40, 40);
    TIEBitmap& b = *bHolder;
    auto palette = FreshPalette();
    EXPECT_EQ(TIEQuantizer(b, palette, 127).Strategy(), TIEQuantizerStrategy::BoxSplitter);
    EXPECT_EQ(TIEQuantizer(b, palette, 128).Strategy(), TIEQuantizerStrategy::NeuQuant);
    {
        SettingsScope boxes(1, -1);
        EXPECT_EQ(TIEQuantizer(b, palette, 256).Strategy(), TIEQuantizerStrategy::BoxSplitter);
    }
    {
        SettingsScope other(7, -1);
        EXPECT_EQ(TIEQuantizer(b, palette, 16).Strategy(), TIEQuantizerStrategy::NeuQuant);
    }
}

TEST(TIENeuQuant, SamplingFactor) {
    EXPECT_EQ(TIENeuQuant::SamplingFactor(100, 100, -1), 3); // round(2.70)
    EXPECT_EQ(TIENeuQuant::SamplingFactor(40, 49, -1), 1);   // 1960 pixels
    EXPECT_EQ(TIENeuQuant::SamplingFactor(560, 562, -1), 29);
    EXPECT_EQ(TIENeuQuant::SamplingFactor(562, 562, -1), 30);
    EXPECT_EQ(TIENeuQuant::SamplingFactor(6000, 4000, -1), 30);
    EXPECT_EQ(TIENeuQuant::SamplingFactor(100, 100, 0), 30);
    EXPECT_EQ(TIENeuQuant::SamplingFactor(100, 100, 100), 1);
    EXPECT_EQ(TIENeuQuant::SamplingFactor(100, 100, 50), 15); // trunc(14.5) + 1
    EXPECT_EQ(TIENeuQuant::SamplingFactor(100, 100, 101), 3); // out of range: automatic
}

TEST(TIENeuQuant, LookupFindsTheNearestPaletteColour) {
    const auto bHolder = Picture(64, 48);
    TIEBitmap& b = *bHolder;
    TIENeuQuant net(b, 256, 1);
    std::vector<TRGB> palette(256);
    net.WritePalette(palette);
    auto l1 = [](TRGB a, TRGB c) {
        return std::abs(a.r - c.r) + std::abs(a.g - c.g) + std::abs(a.b - c.b);
    };
    std::srand(7);
    for (int i = 0; i < 2000; ++i) {
        const TRGB c = MakeRGB(std::rand() % 256, std::rand() % 256, std::rand() % 256);
        int best = 1000;
        for (const TRGB& p : palette)
            best = std::min(best, l1(p, c));
        const int index = net.Lookup(c);
        ASSERT_GE(index, 0);
        ASSERT_EQ(l1(palette[static_cast<size_t>(index)], c), best);
    }
}

TEST(TIENeuQuant, PicturesSmallerThanTheSamplingStep) {
    const auto bHolder = Picture(5, 5);
    TIEBitmap& b = *bHolder;
    TIENeuQuant net(b, 4, 1);
    std::vector<TRGB> palette(4, kUntouched);
    net.WritePalette(palette);
    for (const TRGB& c : palette)
        EXPECT_NE(c, kUntouched);
    // A network of fewer than eight neurons has no neighbourhood.
    EXPECT_GE(net.Lookup(MakeRGB(255, 255, 255)), 0);
}

// One small fixed picture; a change in the arithmetic shows in these values.
TEST(TIENeuQuant, GoldenPalette) {
    const auto bHolder = Picture(64, 48);
    TIEBitmap& b = *bHolder;
    TIENeuQuant net(b, 16, TIENeuQuant::SamplingFactor(64, 48, -1));
    std::vector<TRGB> palette(16);
    net.WritePalette(palette);
    const std::vector<TRGB> golden = {
        MakeRGB(0, 0, 0),       MakeRGB(4, 4, 4),      MakeRGB(20, 15, 72),
        MakeRGB(118, 36, 35),   MakeRGB(111, 92, 162), MakeRGB(204, 180, 7),
        MakeRGB(198, 74, 11),   MakeRGB(35, 104, 58),  MakeRGB(36, 208, 51),
        MakeRGB(137, 229, 21),  MakeRGB(117, 141, 30), MakeRGB(227, 196, 191),
        MakeRGB(149, 187, 143), MakeRGB(210, 57, 156), MakeRGB(48, 41, 184),
        MakeRGB(43, 189, 175),
    };
    EXPECT_EQ(palette, golden);
}

TEST(TIEBoxSplitter, GoldenPaletteOfMultiplesOfEight) {
    const auto bHolder = Picture(64, 48);
    TIEBitmap& b = *bHolder;
    auto palette = FreshPalette();
    TIEQuantizer q(b, palette, 16);
    ASSERT_EQ(q.Strategy(), TIEQuantizerStrategy::BoxSplitter);
    for (size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(palette[i].r % 8, 0);
        EXPECT_EQ(palette[i].g % 8, 0);
        EXPECT_EQ(palette[i].b % 8, 0);
    }
    EXPECT_EQ(palette[16], kUntouched);
    const std::vector<TRGB> golden = {
        MakeRGB(56, 56, 56),   MakeRGB(48, 208, 56),  MakeRGB(216, 88, 56),   MakeRGB(88, 56, 216),
        MakeRGB(208, 208, 88), MakeRGB(144, 56, 72),  MakeRGB(88, 208, 216),  MakeRGB(216, 88, 208),
        MakeRGB(48, 80, 144),  MakeRGB(144, 224, 64), MakeRGB(208, 72, 144),  MakeRGB(56, 136, 56),
        MakeRGB(72, 144, 208), MakeRGB(144, 144, 96), MakeRGB(224, 232, 200), MakeRGB(64, 216, 144),
    };
    EXPECT_EQ(std::vector<TRGB>(palette.begin(), palette.begin() + 16), golden);
    // Every pixel's bin belongs to one box.
    std::set<int> used;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const int index = q.ColorToIndex(b.GetRGB(x, y));
            ASSERT_GE(index, 0);
            ASSERT_LT(index, 16);
            used.insert(index);
        }
    EXPECT_EQ(used.size(), 16u);
}

TEST(TIEBoxSplitter, StopsWhenNoBoxCanBeSplit) {
    // Three colours in three bins, asked for 16: three boxes.
    TIEBitmap b(3, 1, ie24RGB);
    b.SetRGB(0, 0, MakeRGB(0, 0, 0));
    b.SetRGB(1, 0, MakeRGB(100, 0, 0));
    b.SetRGB(2, 0, MakeRGB(200, 50, 0));
    TIEBoxSplitter boxes(b, 16);
    EXPECT_EQ(boxes.BoxCount(), 3);
    std::vector<TRGB> palette(3);
    boxes.WritePalette(palette);
    const std::set<int> indices = {boxes.Lookup(b.GetRGB(0, 0)), boxes.Lookup(b.GetRGB(1, 0)),
                                   boxes.Lookup(b.GetRGB(2, 0))};
    EXPECT_EQ(indices.size(), 3u);
    EXPECT_EQ(palette[static_cast<size_t>(boxes.Lookup(MakeRGB(100, 0, 0)))], MakeRGB(96, 0, 0));
}

TEST(ConvertToIndexed, PalettesFromColourPictures) {
    // Few colours come back exactly.
    TIEBitmap few(6, 3, ie24RGB);
    few.SetRGB(2, 1, MakeRGB(10, 20, 30));
    few.SetRGB(5, 2, MakeRGB(200, 20, 30));
    TIEBitmap original;
    original.CopyFrom(few);
    few.ConvertTo(ie8p);
    ASSERT_EQ(few.PixelFormat(), ie8p);
    EXPECT_EQ(few.GetByte(5, 2), 2);
    few.ConvertTo(ie24RGB);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(few.GetRGB(x, y), original.GetRGB(x, y));

    // PaletteUsed limits the colours; other formats go through ie24RGB.
    const auto manyHolder = Picture(64, 48);
    TIEBitmap& many = *manyHolder;
    many.ConvertTo(ie32RGB);
    many.PaletteUsed = 16;
    many.ConvertTo(ie8p);
    ASSERT_EQ(many.PixelFormat(), ie8p);
    std::set<int> indices;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            indices.insert(many.GetByte(x, y));
    EXPECT_EQ(indices.size(), 16u);
    EXPECT_LT(*indices.rbegin(), 16);
    const TRGB corner = many.ReadAsRGB(63, 47); // near (255, 255, 218)
    EXPECT_GT(corner.r, 200);
    EXPECT_GT(corner.g, 200);
}

} // namespace
} // namespace vellinor
