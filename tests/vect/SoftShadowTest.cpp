// ApplySoftShadow against a plain reference of the same rules (full kernel,
// every pixel of the regions, exact integer composition), plus the margins,
// intensities and edge cases.

#include "vect/SoftShadow.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace vellinor {
namespace {

struct Picture {
    int w = 0, h = 0;
    std::vector<TRGB> pixels;
    std::vector<uint8_t> alpha;
    TRGB& Px(int x, int y) { return pixels[static_cast<size_t>(y) * w + x]; }
    uint8_t& A(int x, int y) { return alpha[static_cast<size_t>(y) * w + x]; }
};

struct Settings {
    int ox = 0, oy = 0;
    double radius = 3;
    int intensity = 100;
    TRGB colour{};
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The rules written out the slow way.
int ReferenceShadow(Picture& p, const Settings& s) {
    const bool box = s.radius == 0;
    const double r = box ? 2 : s.radius;
    const int margin = std::max(
        2 * std::max(std::abs(s.ox), std::abs(s.oy)) + static_cast<int>(std::trunc(r * 5)), 1);
    const int half = margin / 2;
    const std::vector<uint8_t> coverage = p.alpha;
    auto cx = [&](int v) { return std::clamp(v, 0, p.w - 1); };
    auto cy = [&](int v) { return std::clamp(v, 0, p.h - 1); };
    const int bl = cx(s.left - half), bt = cy(s.top - half), br = cx(s.right + half),
              bb = cy(s.bottom + half);
    if (box) {
        const std::vector<uint8_t> in = p.alpha;
        for (int y = bt; y <= bb; ++y)
            for (int x = bl; x <= br; ++x) {
                int sum = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        sum += in[static_cast<size_t>(cy(y + dy)) * p.w + cx(x + dx)];
                p.A(x, y) = static_cast<uint8_t>(sum / 9);
            }
    } else {
        double w[201], total = 0;
        for (int d = -100; d <= 100; ++d)
            total += w[d + 100] = std::exp(-std::pow(d / r, 2) / 2);
        long weight[201];
        for (int i = 0; i < 201; ++i)
            weight[i] = std::lround(std::nearbyint(w[i] / total * 65536));
        for (int y = bt; y <= bb; ++y) {
            std::vector<uint8_t> in;
            for (int x = bl; x <= br; ++x)
                in.push_back(p.A(x, y));
            for (int x = bl; x <= br; ++x) {
                long sum = 0;
                for (int d = -100; d <= 100; ++d)
                    sum +=
                        weight[d + 100] * in[static_cast<size_t>(std::clamp(x + d, bl, br) - bl)];
                p.A(x, y) = static_cast<uint8_t>(std::min((sum + 32768) >> 16, 255L));
            }
        }
        for (int x = bl; x <= br; ++x) {
            std::vector<uint8_t> in;
            for (int y = bt; y <= bb; ++y)
                in.push_back(p.A(x, y));
            for (int y = bt; y <= bb; ++y) {
                long sum = 0;
                for (int d = -100; d <= 100; ++d)
                    sum +=
                        weight[d + 100] * in[static_cast<size_t>(std::clamp(y + d, bt, bb) - bt)];
                p.A(x, y) = static_cast<uint8_t>(std::min((sum + 32768) >> 16, 255L));
            }
        }
    }
    if (s.ox != 0 || s.oy != 0) {
        std::vector<uint8_t> moved;
        for (int y = bt; y <= bb; ++y)
            for (int x = bl; x <= br; ++x) {
                moved.push_back(p.A(x, y));
                p.A(x, y) = 0;
            }
        size_t i = 0;
        for (int y = bt; y <= bb; ++y)
            for (int x = bl; x <= br; ++x, ++i) {
                const int tx = x + s.ox, ty = y + s.oy;
                if (tx >= 0 && tx < p.w && ty >= 0 && ty < p.h) p.A(tx, ty) = moved[i];
            }
    }
    const int intensity = std::clamp(s.intensity, 0, 100);
    const uint8_t colour[3] = {s.colour.b, s.colour.g, s.colour.r};
    for (int y = cy(s.top - margin); y <= cy(s.bottom + margin); ++y)
        for (int x = cx(s.left - margin); x <= cx(s.right + margin); ++x) {
            const int c = coverage[static_cast<size_t>(y) * p.w + x];
            const int sh = p.A(x, y);
            uint8_t* px = &p.Px(x, y).b;
            if (c == 0 && sh > 0) {
                p.Px(x, y) = s.colour;
                // s / N with N = (300 - 2 intensity) / 100, truncated.
                p.A(x, y) =
                    static_cast<uint8_t>(intensity == 100 ? sh : sh * 100 / (300 - 2 * intensity));
            } else if (c > 0 && c < 255) {
                for (int ch = 0; ch < 3; ++ch) {
                    const int shadowed = (colour[ch] * sh + (255 - sh) * px[ch]) / 255;
                    px[ch] = static_cast<uint8_t>((px[ch] * c + (255 - c) * shadowed) / 255);
                }
                p.A(x, y) = static_cast<uint8_t>(((255 - c) * sh + c * 255) / 255);
            } else {
                p.A(x, y) = static_cast<uint8_t>(c);
            }
        }
    return margin;
}

Picture RandomPicture(int w, int h, unsigned seed) {
    Picture p;
    p.w = w;
    p.h = h;
    std::srand(seed);
    for (int i = 0; i < w * h; ++i)
        p.pixels.push_back(MakeRGB(static_cast<uint8_t>(std::rand()),
                                   static_cast<uint8_t>(std::rand()),
                                   static_cast<uint8_t>(std::rand())));
    p.alpha.assign(static_cast<size_t>(w) * h, 0);
    // A few blobs of coverage with soft and hard edges.
    for (int blob = 0; blob < 5; ++blob) {
        const int bx = std::rand() % w, by = std::rand() % h, radius = 2 + std::rand() % 6;
        for (int y = std::max(0, by - radius); y < std::min(h, by + radius); ++y)
            for (int x = std::max(0, bx - radius); x < std::min(w, bx + radius); ++x) {
                const int d = std::abs(x - bx) + std::abs(y - by);
                p.A(x, y) =
                    static_cast<uint8_t>(d < radius / 2 ? 255 : std::min(255, std::rand() % 300));
            }
    }
    return p;
}

void ToBitmap(Picture& p, TIEBitmap& b) {
    b.Setup(p.w, p.h, ie24RGB);
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            b.SetRGB(x, y, p.Px(x, y));
            b.SetAlpha(x, y, p.A(x, y));
        }
}

uint32_t Rrggbb(TRGB c) {
    return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}

TEST(SoftShadowTest, MatchesTheReferenceRules) {
    const Settings cases[] = {
        {0, 0, 3.0, 100, MakeRGB(0, 0, 0), 20, 15, 50, 40},
        {4, -6, 3.0, 100, MakeRGB(10, 200, 30), 20, 15, 50, 40},
        {0, 0, 6.0, 50, MakeRGB(0, 0, 0), 0, 0, 30, 20},       // region at the corner
        {-3, 2, 1.5, 0, MakeRGB(255, 0, 0), 60, 50, 79, 59},   // against the far edges
        {0, 0, 0.0, 75, MakeRGB(0, 0, 255), 10, 10, 40, 30},   // box blur
        {5, 5, 0.0, 100, MakeRGB(0, 0, 0), 0, 0, 79, 59},      // box blur over everything
        {-40, 70, 2.0, 150, MakeRGB(9, 9, 9), 25, 20, 45, 35}, // moved out of the bitmap
        {0, 0, 0.3, -20, MakeRGB(0, 0, 0), 5, 5, 70, 50},      // a narrow kernel
        {1, 0, 12.0, 30, MakeRGB(1, 2, 3), 30, 20, 35, 25},    // reach beyond the blur region
    };
    unsigned seed = 1;
    for (const Settings& s : cases) {
        Picture expected = RandomPicture(80, 60, seed++);
        Picture input = expected;
        TIEBitmap bitmap;
        ToBitmap(input, bitmap);
        const int wantMargin = ReferenceShadow(expected, s);
        const int margin = ApplySoftShadow(bitmap, s.ox, s.oy, s.radius, s.intensity,
                                           Rrggbb(s.colour), s.left, s.top, s.right, s.bottom);
        EXPECT_EQ(margin, wantMargin);
        int wrong = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 80; ++x)
                wrong += bitmap.GetRGB(x, y) == expected.Px(x, y) &&
                                 bitmap.GetAlpha(x, y) == expected.A(x, y)
                             ? 0
                             : 1;
        EXPECT_EQ(wrong, 0) << "radius " << s.radius << " offset " << s.ox << "," << s.oy;
        EXPECT_FALSE(bitmap.AlphaPlane()->Opaque);
    }
}

TEST(SoftShadowTest, PartOfALargerBitmapGivesTheSamePixels) {
    // The object buffer holds only a window of the buffer it stands for.
    Picture whole = RandomPicture(80, 60, 42);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x)
            if (x < 16 || y < 8) whole.A(x, y) = 0; // nothing outside the window reaches in
    TIEBitmap full, part;
    ToBitmap(whole, full);
    part.Setup(64, 52, ie24RGB);
    full.CopyArea(part, 16, 8, 0, 0, 64, 52);
    full.CopyAlphaArea(part, 16, 8, 0, 0, 64, 52);
    TRect bounds;
    ApplySoftShadow(full, 2, 3, 3.0, 60, 0x204060, 40, 30, 70, 50);
    ApplySoftShadowInPart(part, 16, 8, 80, 60, 2, 3, 3.0, 60, MakeRGB(0x20, 0x40, 0x60), 40, 30, 70,
                          50, &bounds);
    int wrong = 0;
    for (int y = 0; y < 52; ++y)
        for (int x = 0; x < 64; ++x)
            wrong += full.GetRGB(x + 16, y + 8) == part.GetRGB(x, y) &&
                             full.GetAlpha(x + 16, y + 8) == part.GetAlpha(x, y)
                         ? 0
                         : 1;
    EXPECT_EQ(wrong, 0);
    // Outside the reported bounds the compose region's alpha is 0.
    for (int y = 9; y < 60; ++y)
        for (int x = 19; x < 80; ++x)
            if (!bounds.Contains({x, y})) {
                ASSERT_EQ(part.GetAlpha(x - 16, y - 8), 0) << x << "," << y;
            }
}

TEST(SoftShadowTest, Margins) {
    struct Case {
        int ox, oy;
        double radius;
        int margin;
    } cases[] = {
        {0, 0, 3.0, 15},  {4, -6, 3.0, 27}, {0, 0, 0.0, 10},
        {-7, 3, 0.0, 24}, {0, 0, 6.0, 30}, // the supersampled default: 15 image pixels
        {0, 0, 0.1, 1},                    // never below 1
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SoftShadowMargin(c.ox, c.oy, c.radius), c.margin)
            << c.ox << "," << c.oy << " r " << c.radius;
        TIEBitmap b(20, 20, ie24RGB);
        EXPECT_EQ(ApplySoftShadow(b, c.ox, c.oy, c.radius, 100, 0, 5, 5, 10, 10), c.margin);
    }
}

TEST(SoftShadowTest, DefaultsBlurSevenPixelsAroundAndComposeFifteen) {
    TIEBitmap b(80, 80, ie24RGB);
    const TRGB paper = MakeRGB(250, 240, 230);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x) {
            b.SetRGB(x, y, paper);
            b.SetAlpha(x, y, 0);
        }
    for (int y = 38; y <= 42; ++y)
        for (int x = 38; x <= 42; ++x)
            b.SetAlpha(x, y, 255);
    // A stray coverage pixel beyond the compose region stays as it was.
    b.SetAlpha(40, 60, 90);
    ApplySoftShadow(b, 0, 0, 3.0, 100, 0, 38, 38, 42, 42);
    int minX = 80, maxX = -1;
    for (int x = 0; x < 80; ++x)
        if (b.GetAlpha(x, 40) != 0) {
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
        }
    EXPECT_EQ(minX, 38 - 7);
    EXPECT_EQ(maxX, 42 + 7);
    EXPECT_EQ(b.GetRGB(31, 40), MakeRGB(0, 0, 0)); // pure shadow takes the colour
    EXPECT_EQ(b.GetRGB(30, 40), paper);
    EXPECT_EQ(b.GetAlpha(40, 60), 90);
    // The covered pixels keep colour and full alpha over their own shadow.
    EXPECT_EQ(b.GetRGB(40, 40), paper);
    EXPECT_EQ(b.GetAlpha(40, 40), 255);
}

TEST(SoftShadowTest, IntensityDividesThePureShadow) {
    auto shadowAt = [](int intensity) {
        TIEBitmap b(40, 40, ie24RGB);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x)
                b.SetAlpha(x, y, x >= 18 && x <= 21 && y >= 18 && y <= 21 ? 255 : 0);
        ApplySoftShadow(b, 0, 0, 3.0, intensity, 0, 18, 18, 21, 21);
        std::vector<int> row;
        for (int x = 10; x < 18; ++x)
            row.push_back(b.GetAlpha(x, 20));
        return row;
    };
    const std::vector<int> full = shadowAt(100);
    ASSERT_GT(full.back(), 30);
    const std::vector<int> half = shadowAt(50), none = shadowAt(0);
    for (size_t i = 0; i < full.size(); ++i) {
        EXPECT_EQ(half[i], full[i] / 2);
        EXPECT_EQ(none[i], full[i] / 3);
    }
    EXPECT_EQ(shadowAt(250), full);
    EXPECT_EQ(shadowAt(-5), none);
}

TEST(SoftShadowTest, OneBitBitmapsGetBlackShadowPixels) {
    TIEBitmap b(30, 30, ie1g);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            b.SetBit(x, y, true);
            b.SetAlpha(x, y, x >= 12 && x < 18 && y >= 12 && y < 18 ? 200 : 0);
        }
    ApplySoftShadow(b, 3, 0, 1.0, 100, 0xFFFFFF, 12, 12, 17, 17);
    EXPECT_FALSE(b.GetBit(19, 14)); // pure shadow: set to 0
    EXPECT_TRUE(b.GetBit(14, 14));  // covered: unchanged
    EXPECT_EQ(b.GetAlpha(14, 14), 200);
    EXPECT_TRUE(b.GetBit(2, 2));
}

} // namespace
} // namespace vellinor
