// Pixel format conversions: the rules of the conversion table, the two ways to
// black and white, the storage kinds and the failure paths.

#include "StorageKinds.h"
#include "image/ColorConversions.h"
#include "image/TIEBitmap.h"
#include "platform/PlatformBitmap.h"
#include "platform/SystemInfo.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

namespace vellinor {
namespace {

TIEBitmap OnePixel(TIEPixelFormat format) {
    return TIEBitmap(1, 1, format);
}

TCMYK GetCMYK(TIEBitmap& b, int x, int y) {
    TCMYK c;
    std::memcpy(&c, b.Row(y) + 4 * x, 4);
    return c;
}

TCIELab GetLab(TIEBitmap& b, int x, int y) {
    TCIELab c;
    std::memcpy(&c, b.Row(y) + 3 * x, 3);
    return c;
}

TEST(ConvertTo, GrayWeightsOfThePrimaries) {
    TIEBitmap b(3, 1, ie24RGB);
    b.SetRGB(0, 0, MakeRGB(255, 0, 0));
    b.SetRGB(1, 0, MakeRGB(0, 255, 0));
    b.SetRGB(2, 0, MakeRGB(0, 0, 255));
    b.ConvertTo(ie8g);
    ASSERT_EQ(b.PixelFormat(), ie8g);
    EXPECT_EQ(b.GetByte(0, 0), 53);
    EXPECT_EQ(b.GetByte(1, 0), 181);
    EXPECT_EQ(b.GetByte(2, 0), 20);
}

TEST(ConvertTo, CmykOfBlackAndWhiteAndBack) {
    TIEBitmap b(2, 1, ie24RGB);
    b.SetRGB(1, 0, MakeRGB(255, 255, 255));
    b.ConvertTo(ieCMYK);
    EXPECT_EQ(GetCMYK(b, 0, 0), (TCMYK{0, 0, 0, 1}));
    EXPECT_EQ(GetCMYK(b, 1, 0), (TCMYK{255, 255, 255, 255}));
    b.ConvertTo(ie24RGB);
    EXPECT_EQ(b.GetRGB(0, 0), MakeRGB(0, 0, 0));
    EXPECT_EQ(b.GetRGB(1, 0), MakeRGB(255, 255, 255));
}

// Every source format, one pixel, to every other format: the values the rules
// of the conversion table give.
struct TableCase {
    const char* name;
    TIEPixelFormat from;
    TIEPixelFormat to;
    void (*fill)(TIEBitmap&);
    void (*check)(TIEBitmap&);
};

void RGB200_100_50(TIEBitmap& b) {
    b.SetRGB(0, 0, MakeRGB(200, 100, 50));
}

const TableCase kTable[] = {
    {"rgb to gray16", ie24RGB, ie16g, RGB200_100_50,
     [](TIEBitmap& b) { EXPECT_EQ(b.GetWord(0, 0), 30184); }},
    {"rgb to float", ie24RGB, ie32f, RGB200_100_50,
     [](TIEBitmap& b) {
         EXPECT_FLOAT_EQ(b.GetFloat(0, 0), (0.2126 * 200 + 0.7152 * 100 + 0.0722 * 50) / 255);
     }},
    {"rgb to rgb48", ie24RGB, ieRGB48, RGB200_100_50,
     [](TIEBitmap& b) {
         EXPECT_EQ(b.GetRGB48(0, 0), (TRGB48{51400, 25700, 12850}));
     }},
    {"rgb to rgb32", ie24RGB, ie32RGB, RGB200_100_50,
     [](TIEBitmap& b) { EXPECT_EQ(b.GetDword(0, 0), 0xFFC86432u); }},
    {"rgb to cmyk", ie24RGB, ieCMYK, RGB200_100_50,
     [](TIEBitmap& b) {
         EXPECT_EQ(GetCMYK(b, 0, 0), (TCMYK{255, 127, 63, 200}));
     }},
    {"cmyk to rgb", ieCMYK, ie24RGB, [](TIEBitmap& b) { b.SetDword(0, 0, 0xC83F7FFFu); },
     [](TIEBitmap& b) { EXPECT_EQ(b.GetRGB(0, 0), MakeRGB(200, 99, 49)); }},
    {"cmyk to rgb32", ieCMYK, ie32RGB, [](TIEBitmap& b) { b.SetDword(0, 0, 0xC83F7FFFu); },
     [](TIEBitmap& b) { EXPECT_EQ(b.GetDword(0, 0), 0xFFC86331u); }},
    {"cmyk to gray through rgb", ieCMYK, ie8g, [](TIEBitmap& b) { b.SetDword(0, 0, 0xC83F7FFFu); },
     [](TIEBitmap& b) { EXPECT_EQ(b.GetByte(0, 0), (21 * 200 + 71 * 99 + 8 * 49) / 100); }},
    {"rgb32 to rgb drops the fourth byte", ie32RGB, ie24RGB,
     [](TIEBitmap& b) { b.SetDword(0, 0, 0x7F030201u); },
     [](TIEBitmap& b) { EXPECT_EQ(b.GetRGB(0, 0), MakeRGB(3, 2, 1)); }},
    {"rgb32 to gray16 through rgb", ie32RGB, ie16g,
     [](TIEBitmap& b) { b.SetDword(0, 0, 0x00FFFFFFu); },
     [](TIEBitmap& b) { EXPECT_EQ(b.GetWord(0, 0), 65535); }},
    {"gray to gray16", ie8g, ie16g, [](TIEBitmap& b) { b.SetByte(0, 0, 200); },
     [](TIEBitmap& b) { EXPECT_EQ(b.GetWord(0, 0), 200 * 257); }},
    {"gray to float", ie8g, ie32f, [](TIEBitmap& b) { b.SetByte(0, 0, 51); },
     [](TIEBitmap& b) { EXPECT_FLOAT_EQ(b.GetFloat(0, 0), 0.2f); }},
    {"gray to rgb32", ie8g, ie32RGB, [](TIEBitmap& b) { b.SetByte(0, 0, 7); },
     [](TIEBitmap& b) { EXPECT_EQ(b.GetDword(0, 0), 0xFF070707u); }},
    {"gray16 to gray keeps the high byte", ie16g, ie8g,
     [](TIEBitmap& b) { b.SetWord(0, 0, 0x12FF); },
     [](TIEBitmap& b) { EXPECT_EQ(b.GetByte(0, 0), 0x12); }},
    {"gray16 to float", ie16g, ie32f, [](TIEBitmap& b) { b.SetWord(0, 0, 13107); },
     [](TIEBitmap& b) { EXPECT_FLOAT_EQ(b.GetFloat(0, 0), 0.2f); }},
    {"gray16 to rgb48 keeps all bits", ie16g, ieRGB48,
     [](TIEBitmap& b) { b.SetWord(0, 0, 0x1234); },
     [](TIEBitmap& b) {
         EXPECT_EQ(b.GetRGB48(0, 0), (TRGB48{0x1234, 0x1234, 0x1234}));
     }},
    {"gray16 to palette", ie16g, ie8p, [](TIEBitmap& b) { b.SetWord(0, 0, 0xAB01); },
     [](TIEBitmap& b) {
         EXPECT_EQ(b.GetByte(0, 0), 0xAB);
         EXPECT_EQ(b.GetPaletteColor(0xAB), MakeRGB(0xAB, 0xAB, 0xAB));
         EXPECT_EQ(b.GetPaletteColor(255), MakeRGB(255, 255, 255));
     }},
    {"float to gray16", ie32f, ie16g, [](TIEBitmap& b) { b.SetFloat(0, 0, 0.5f); },
     [](TIEBitmap& b) { EXPECT_EQ(b.GetWord(0, 0), 32767); }},
    {"float to rgb48", ie32f, ieRGB48, [](TIEBitmap& b) { b.SetFloat(0, 0, 0.5f); },
     [](TIEBitmap& b) {
         EXPECT_EQ(b.GetRGB48(0, 0), (TRGB48{32767, 32767, 32767}));
     }},
    {"float above one is white", ie32f, ie8g, [](TIEBitmap& b) { b.SetFloat(0, 0, 1.5f); },
     [](TIEBitmap& b) { EXPECT_EQ(b.GetByte(0, 0), 255); }},
    {"float not a number is black", ie32f, ie24RGB,
     [](TIEBitmap& b) { b.SetFloat(0, 0, std::numeric_limits<float>::quiet_NaN()); },
     [](TIEBitmap& b) { EXPECT_EQ(b.GetRGB(0, 0), MakeRGB(0, 0, 0)); }},
    {"float to palette", ie32f, ie8p, [](TIEBitmap& b) { b.SetFloat(0, 0, 0.999f); },
     [](TIEBitmap& b) {
         EXPECT_EQ(b.GetByte(0, 0), 254);
         EXPECT_EQ(b.GetPaletteColor(254), MakeRGB(254, 254, 254));
     }},
    {"rgb48 to gray16 on the words", ieRGB48, ie16g,
     [](TIEBitmap& b) {
         b.SetRGB48(0, 0, TRGB48{1000, 2000, 3000});
     },
     [](TIEBitmap& b) {
         EXPECT_EQ(b.GetWord(0, 0), (1000 * 212 + 2000 * 713 + 3000 * 75) / 1000);
     }},
    {"rgb48 white to float is one", ieRGB48, ie32f,
     [](TIEBitmap& b) {
         b.SetRGB48(0, 0, TRGB48{65535, 65535, 65535});
     },
     [](TIEBitmap& b) { EXPECT_FLOAT_EQ(b.GetFloat(0, 0), 1.0f); }},
    {"rgb48 to gray from the high bytes", ieRGB48, ie8g,
     [](TIEBitmap& b) {
         b.SetRGB48(0, 0, TRGB48{0xFF00, 0x00FF, 0x00FF});
     },
     [](TIEBitmap& b) { EXPECT_EQ(b.GetByte(0, 0), 53); }},
    {"palette through its colour", ie8p, ie16g,
     [](TIEBitmap& b) {
         b.SetPaletteColor(9, MakeRGB(200, 100, 50));
         b.SetByte(0, 0, 9);
     },
     [](TIEBitmap& b) { EXPECT_EQ(b.GetWord(0, 0), 30184); }},
    {"palette to rgb48", ie8p, ieRGB48,
     [](TIEBitmap& b) {
         b.SetPaletteColor(9, MakeRGB(200, 100, 50));
         b.SetByte(0, 0, 9);
     },
     [](TIEBitmap& b) {
         EXPECT_EQ(b.GetRGB48(0, 0), (TRGB48{51400, 25700, 12850}));
     }},
    {"one bit to palette", ie1g, ie8p, [](TIEBitmap& b) { b.SetBit(0, 0, true); },
     [](TIEBitmap& b) {
         EXPECT_EQ(b.GetByte(0, 0), 1);
         EXPECT_EQ(b.GetPaletteColor(0), MakeRGB(0, 0, 0));
         EXPECT_EQ(b.GetPaletteColor(1), MakeRGB(255, 255, 255));
     }},
    {"one bit to gray16", ie1g, ie16g, [](TIEBitmap& b) { b.SetBit(0, 0, true); },
     [](TIEBitmap& b) { EXPECT_EQ(b.GetWord(0, 0), 65535); }},
    {"one bit to float", ie1g, ie32f, [](TIEBitmap& b) { b.SetBit(0, 0, true); },
     [](TIEBitmap& b) { EXPECT_EQ(b.GetFloat(0, 0), 1.0f); }},
    {"one bit to rgb32", ie1g, ie32RGB, [](TIEBitmap& b) { b.SetBit(0, 0, true); },
     [](TIEBitmap& b) { EXPECT_EQ(b.GetDword(0, 0), 0xFFFFFFFFu); }},
    // Into ieCMYK and ieCIELab every source goes through ie24RGB.
    {"one bit to cmyk", ie1g, ieCMYK, [](TIEBitmap&) {},
     [](TIEBitmap& b) {
         EXPECT_EQ(GetCMYK(b, 0, 0), (TCMYK{0, 0, 0, 1}));
     }},
    {"one bit to lab", ie1g, ieCIELab, [](TIEBitmap& b) { b.SetBit(0, 0, true); },
     [](TIEBitmap& b) {
         EXPECT_EQ(GetLab(b, 0, 0), RGB2CIELab(MakeRGB(255, 255, 255)));
         EXPECT_EQ(GetLab(b, 0, 0).l, 250);
     }},
    {"gray16 to lab", ie16g, ieCIELab, [](TIEBitmap& b) { b.SetWord(0, 0, 0x80FF); },
     [](TIEBitmap& b) { EXPECT_EQ(GetLab(b, 0, 0), RGB2CIELab(MakeRGB(128, 128, 128))); }},
    {"lab to rgb uses L = byte x 100 / 255", ieCIELab, ie24RGB,
     [](TIEBitmap& b) { std::memset(b.Row(0), 0, 3), b.Row(0)[0] = 255; },
     [](TIEBitmap& b) { EXPECT_EQ(b.GetRGB(0, 0), MakeRGB(255, 255, 255)); }},
    {"lab to cmyk through rgb", ieCIELab, ieCMYK, [](TIEBitmap& b) { std::memset(b.Row(0), 0, 3); },
     [](TIEBitmap& b) {
         EXPECT_EQ(GetCMYK(b, 0, 0), (TCMYK{0, 0, 0, 1}));
     }},
};

TEST(ConvertTo, ConversionTable) {
    for (const TableCase& c : kTable) {
        SCOPED_TRACE(c.name);
        TIEBitmap b = OnePixel(c.from);
        c.fill(b);
        b.ConvertTo(c.to);
        ASSERT_EQ(b.PixelFormat(), c.to);
        c.check(b);
    }
}

TEST(ConvertTo, GrayRoundTripsAreExact) {
    TIEBitmap b(256, 1, ie8g);
    for (int x = 0; x < 256; ++x)
        b.SetByte(x, 0, static_cast<uint8_t>(x));
    for (TIEPixelFormat via : {ie16g, ie32f, ie24RGB, ieRGB48, ie32RGB, ie8p}) {
        TIEBitmap copy;
        copy.CopyFrom(b);
        copy.ConvertTo(via);
        copy.ConvertTo(ie8g);
        for (int x = 0; x < 256; ++x)
            ASSERT_EQ(copy.GetByte(x, 0), x) << PixelFormatName(via);
    }
}

TEST(ConvertToBlackAndWhite, ThresholdSplitsHalfBlackHalfWhite) {
    TIEBitmap b(10, 4, ie24RGB);
    b.FillArea(5, 0, 9, 3, static_cast<double>(clWhite));
    ASSERT_EQ(b.DitherMethod, ieThreshold);
    b.ConvertTo(ie1g);
    ASSERT_EQ(b.PixelFormat(), ie1g);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(b.GetBit(x, y), x >= 5) << x << "," << y;
}

TEST(ConvertToBlackAndWhite, ThresholdIsTheGrayOfTheAverageColour) {
    // Averages red 150, green 50, blue 0: threshold (3150 + 3550) div 100 = 67,
    // so gray 124 is white although it is darker than the middle.
    TIEBitmap b(2, 1, ie24RGB);
    b.SetRGB(0, 0, MakeRGB(45, 0, 0));    // gray 9
    b.SetRGB(1, 0, MakeRGB(255, 100, 0)); // gray 124
    b.ConvertTo(ie1g);
    EXPECT_FALSE(b.GetBit(0, 0));
    EXPECT_TRUE(b.GetBit(1, 0));
    // A pixel exactly at the threshold is white.
    TIEBitmap g(3, 1, ie8g);
    g.SetByte(0, 0, 10);
    g.SetByte(1, 0, 50);
    g.SetByte(2, 0, 90);
    g.ConvertTo(ie1g);
    EXPECT_FALSE(g.GetBit(0, 0));
    EXPECT_TRUE(g.GetBit(1, 0));
    EXPECT_TRUE(g.GetBit(2, 0));
}

TEST(ConvertToBlackAndWhite, UniformPicturesKeepTheirSide) {
    for (const auto& [value, white] : {std::pair{0.0, false}, std::pair{255.0, true},
                                       std::pair{60.0, false}, std::pair{200.0, true}}) {
        TIEBitmap b(9, 3, ie8g);
        b.FillAll(value);
        b.ConvertTo(ie1g);
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(b.GetBit(x, 2), white) << value;
    }
}

// The matrix as published, first index the column.
constexpr int kMatrix[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21},
};

TEST(ConvertToBlackAndWhite, OrderedDitherIndexesTheMatrixByColumnFirst) {
    // Gray 160 is level 40; a 16 x 16 picture repeats the matrix.
    TIEBitmap b(16, 16, ie8g);
    b.FillAll(160);
    b.DitherMethod = ieOrdered;
    b.ConvertTo(ie1g);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(b.GetBit(x, y), kMatrix[x % 8][y % 8] < 40) << x << "," << y;
    EXPECT_FALSE(b.GetBit(1, 0)); // 48
    EXPECT_TRUE(b.GetBit(0, 1));  // 32
}

TEST(ConvertToBlackAndWhite, OrderedDitherOfGray16UsesTheTopSixBits) {
    // M[6][3] = 39: white from level 40 = 40 x 1024 on, black just below.
    for (const auto& [word, white] :
         {std::pair{40 * 1024, true}, std::pair{40 * 1024 - 1, false}}) {
        TIEBitmap b(8, 8, ie16g);
        b.FillAll(word);
        b.DitherMethod = ieOrdered;
        b.ConvertTo(ie1g);
        EXPECT_EQ(b.GetBit(6, 3), white) << word;
    }
    // Level 0 leaves everything black, level 63 all but the 63 entry white.
    TIEBitmap rgb(8, 8, ie24RGB);
    rgb.FillAll(static_cast<double>(clWhite));
    rgb.DitherMethod = ieOrdered;
    rgb.ConvertTo(ie1g);
    int black = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            black += rgb.GetBit(x, y) ? 0 : 1;
    EXPECT_EQ(black, 1);
    EXPECT_FALSE(rgb.GetBit(7, 0));
}

TEST(ConvertTo, OneBitRowsWithAnOddWidthAndPaletteSources) {
    TIEBitmap p(11, 2, ie8p);
    p.SetPaletteColor(1, MakeRGB(255, 255, 255));
    p.SetByte(10, 1, 1);
    p.ConvertTo(ie1g);
    ASSERT_EQ(p.PixelFormat(), ie1g);
    EXPECT_TRUE(p.GetBit(10, 1));
    EXPECT_FALSE(p.GetBit(9, 1));
    EXPECT_EQ(p.Row(1)[1] & 0x1F, 0); // bits past the width stay clear
}

TEST(ConvertTo, SameFormatNullTargetAndAlphaPlane) {
    TIEBitmap b(3, 2, ie24RGB);
    b.SetRGB(2, 1, MakeRGB(1, 2, 3));
    b.SetAlpha(2, 1, 77);
    const uint8_t* row = b.Row(1);
    b.ConvertTo(ie24RGB);
    EXPECT_EQ(b.Row(1), row); // nothing was done
    b.ConvertTo(ie32RGB);
    EXPECT_EQ(b.GetDword(2, 1), 0xFF010203u);
    EXPECT_EQ(b.GetAlpha(2, 1), 77);
    EXPECT_EQ(b.AlphaPlane()->Width(), 3);
    b.ConvertTo(ieNull);
    EXPECT_TRUE(b.IsVoid());
    EXPECT_FALSE(b.HasAlphaPlane());
}

TEST(ConvertTo, KeepsThePictureWhenNoStorageCanBeHad) {
    TIEBitmap b(20, 10, ie24RGB);
    b.SetRGB(19, 9, MakeRGB(9, 8, 7));
    SetLargestBlockOverride(0);
    SetTemporaryFolderOverride("/nonexistent-folder-for-vellinor-tests/");
    b.ConvertTo(ie32RGB);
    SetTemporaryFolderOverride("");
    SetLargestBlockOverride(std::nullopt);
    ASSERT_EQ(b.PixelFormat(), ie24RGB);
    EXPECT_EQ(b.GetRGB(19, 9), MakeRGB(9, 8, 7));
}

TEST(ConvertPixelsFrom, LeavesTheSourceAndCopiesItsAlphaPlane) {
    TIEBitmap source(4, 2, ie32RGB);
    source.SetDword(3, 1, 0x11223344u);
    source.SetAlpha(3, 1, 5);
    TIEBitmap gray(4, 2, ie8g);
    gray.ConvertPixelsFrom(source);
    EXPECT_EQ(gray.GetByte(3, 1), GrayLevel(0x22, 0x33, 0x44));
    EXPECT_EQ(gray.GetAlpha(3, 1), 5);
    EXPECT_EQ(source.PixelFormat(), ie32RGB);
    EXPECT_EQ(source.GetDword(3, 1), 0x11223344u);
    ASSERT_TRUE(source.HasAlphaPlane());
    EXPECT_EQ(source.GetAlpha(3, 1), 5);

    // Other sizes and platform-held targets are left alone.
    TIEBitmap other(5, 2, ie8g);
    other.FillAll(9);
    other.ConvertPixelsFrom(source);
    EXPECT_EQ(other.GetByte(3, 1), 9);
    TIEBitmap platform;
    platform.Relocate(ieTBitmap);
    platform.Setup(4, 2, ie24RGB);
    platform.ConvertPixelsFrom(source);
    EXPECT_EQ(platform.GetRGB(3, 1), MakeRGB(0, 0, 0));
}

TEST(ConvertOnPlatform, WrappedBitmapSeesTheConversion) {
    TPlatformBitmap wrapped(10, 3, 24);
    wrapped.SetPixelRGB(9, 2, MakeRGB(255, 255, 255));
    wrapped.SetPixelRGB(8, 2, MakeRGB(255, 0, 0));
    TIEBitmap b;
    b.WrapVclBitmap(&wrapped, true);
    b.SetAlpha(9, 2, 3);
    b.ConvertTo(ie8g);
    EXPECT_EQ(b.Location(), ieTBitmap);
    EXPECT_EQ(b.PixelFormat(), ie8g);
    EXPECT_EQ(wrapped.BitCount(), 8);
    EXPECT_EQ(b.GetByte(8, 2), 53);
    EXPECT_EQ(b.GetAlpha(9, 2), 3);
    b.ConvertTo(ie1g);
    EXPECT_EQ(wrapped.BitCount(), 1);
    EXPECT_TRUE(b.GetBit(9, 2));
    EXPECT_FALSE(b.GetBit(0, 0));
    b.ConvertTo(ie24RGB);
    EXPECT_EQ(wrapped.BitCount(), 24);
    EXPECT_EQ(wrapped.GetPixelRGB(9, 2), MakeRGB(255, 255, 255));
}

TEST(ConvertOnPlatform, FormatsThePlatformCannotHoldMoveToMemory) {
    TIEBitmap b;
    b.Relocate(ieTBitmap);
    b.Setup(3, 3, ie24RGB);
    b.SetRGB(1, 1, MakeRGB(200, 100, 50));
    b.SetAlpha(1, 1, 8);
    b.ConvertTo(ieCMYK);
    EXPECT_EQ(b.PixelFormat(), ieCMYK);
    EXPECT_NE(b.Location(), ieTBitmap);
    EXPECT_EQ(GetCMYK(b, 1, 1), (TCMYK{255, 127, 63, 200}));
    EXPECT_EQ(b.GetAlpha(1, 1), 8);

    // An ie16g target is held as ie8g there.
    TIEBitmap g;
    g.Relocate(ieTBitmap);
    g.Setup(2, 1, ie24RGB);
    g.SetRGB(1, 0, MakeRGB(255, 255, 255));
    g.ConvertTo(ie16g);
    EXPECT_EQ(g.Location(), ieTBitmap);
    EXPECT_EQ(g.PixelFormat(), ie8g);
    EXPECT_EQ(g.GetByte(1, 0), 255);

    // An empty platform bitmap only takes the depth.
    TIEBitmap empty;
    empty.Relocate(ieTBitmap);
    ASSERT_NE(empty.AsVclBitmap(), nullptr);
    empty.ConvertTo(ie1g);
    EXPECT_EQ(empty.AsVclBitmap()->BitCount(), 1);
}

TEST(ReadAsRGB, ColourSpacesAreConvertedBack) {
    TIEBitmap cmyk(1, 1, ieCMYK);
    cmyk.SetDword(0, 0, 0xC83F7FFFu); // bytes 255, 127, 63, k 200
    EXPECT_EQ(cmyk.ReadAsRGB(0, 0), MakeRGB(200, 99, 49));
    TIEBitmap lab(2, 1, ieCIELab);
    lab.Row(0)[0] = 255; // L* 100, a = b = 0
    EXPECT_EQ(lab.ReadAsRGB(0, 0), MakeRGB(255, 255, 255));
    EXPECT_EQ(lab.ReadAsRGB(1, 0), MakeRGB(0, 0, 0));
    // Lab bytes of a colour come back close to it.
    TIEBitmap rgb(1, 1, ie24RGB);
    rgb.SetRGB(0, 0, MakeRGB(200, 100, 50));
    rgb.ConvertTo(ieCIELab);
    const TRGB back = rgb.ReadAsRGB(0, 0);
    EXPECT_NEAR(back.r, 200, 4);
    EXPECT_NEAR(back.g, 100, 4);
    EXPECT_NEAR(back.b, 50, 4);
}

TEST(CopyFromVclBitmap, ChannelPositionsOfPackedDepths) {
    struct Case {
        int bits;
        uint16_t word;
        TRGB expected;
    };
    for (const Case& c :
         {Case{15, 0x7C00, MakeRGB(248, 0, 0)}, Case{15, 0x03E0, MakeRGB(0, 248, 0)},
          Case{15, 0x001F, MakeRGB(0, 0, 248)}, Case{16, 0xF800, MakeRGB(248, 0, 0)},
          Case{16, 0x07E0, MakeRGB(0, 252, 0)}, Case{16, 0x001F, MakeRGB(0, 0, 248)},
          Case{16, 0xFFFF, MakeRGB(248, 252, 248)}}) {
        TPlatformBitmap platform(2, 1, c.bits);
        std::memcpy(platform.ScanLine(0) + 2, &c.word, 2);
        TIEBitmap b;
        b.CopyFromVclBitmap(platform);
        ASSERT_EQ(b.PixelFormat(), ie24RGB);
        EXPECT_EQ(b.GetRGB(1, 0), c.expected) << c.bits << " " << c.word;
        EXPECT_EQ(b.GetRGB(0, 0), MakeRGB(0, 0, 0));
        EXPECT_FALSE(b.Opaque);
    }
    // Four bits: the high nibble is the left pixel.
    TPlatformBitmap nibbles(3, 1, 4);
    nibbles.ScanLine(0)[0] = 0x9C; // VGA bright red, bright blue
    nibbles.ScanLine(0)[1] = 0xF0;
    TIEBitmap b;
    b.CopyFromVclBitmap(nibbles);
    ASSERT_EQ(b.PixelFormat(), ie8p);
    EXPECT_EQ(b.GetByte(0, 0), 9);
    EXPECT_EQ(b.GetByte(1, 0), 12);
    EXPECT_EQ(b.GetByte(2, 0), 15);
    EXPECT_EQ(b.ReadAsRGB(1, 0), MakeRGB(0, 0, 255));

    // Into a platform-held bitmap, depths other than 1, 24 and 32 become 24 bits.
    TPlatformBitmap packed(2, 1, 16);
    std::memcpy(packed.ScanLine(0), "\xFF\xFF", 2);
    TIEBitmap held;
    held.Relocate(ieTBitmap);
    held.CopyFromVclBitmap(packed);
    EXPECT_EQ(packed.BitCount(), 24);
    EXPECT_EQ(held.PixelFormat(), ie24RGB);
    EXPECT_EQ(held.GetRGB(0, 0), MakeRGB(248, 252, 248));
}

// ConvertTo works inside the bitmap's own block where it can; converting into
// a separate bitmap must give the same pixels for every pair of formats, also
// where wider pixels still fit the padding of the old rows.
TEST(ConvertTo, InPlaceAgreesWithConvertingIntoAnotherBitmap) {
    uint32_t seed = 1;
    for (int from = ie1g; from < kPixelFormatCount; ++from) {
        for (int to = ie1g; to < kPixelFormatCount; ++to) {
            for (int width : {1, 3, 5, 7}) {
                SCOPED_TRACE(::testing::Message()
                             << PixelFormatName(TIEPixelFormat(from)) << " -> "
                             << PixelFormatName(TIEPixelFormat(to)) << " width " << width);
                TIEBitmap source(width, 3, TIEPixelFormat(from));
                for (int y = 0; y < 3; ++y)
                    for (int64_t i = 0; i < source.PackedRowBytes(); ++i) {
                        seed = seed * 1664525u + 1013904223u;
                        source.Row(y)[i] = static_cast<uint8_t>(seed >> 24);
                    }
                if (from == ie32f) source.FillArea(0, 1, width - 1, 1, 0.25); // some real values
                TIEBitmap separate(width, 3, TIEPixelFormat(to));
                separate.ConvertPixelsFrom(source);
                source.ConvertTo(TIEPixelFormat(to));
                ASSERT_EQ(source.PixelFormat(), to);
                const auto bytes = static_cast<size_t>(source.PackedRowBytes());
                for (int y = 0; y < 3; ++y)
                    ASSERT_EQ(std::memcmp(source.Row(y), separate.Row(y), bytes), 0) << "row " << y;
            }
        }
    }
}

// Pictures of a megabyte and more are converted inside their own block, both
// to shorter and to longer rows.
TEST(ConvertTo, LargePicturesConvertedInTheirOwnBlock) {
    constexpr int kW = 1031, kH = 1021; // ie8g rows alone take more than a megabyte
    TIEBitmap b(kW, kH, ie24RGB);
    auto pattern = [](int x, int y) {
        return MakeRGB(static_cast<uint8_t>(x * 3 + y), static_cast<uint8_t>(x ^ y),
                       static_cast<uint8_t>(y * 5 - x));
    };
    for (int y = 0; y < kH; ++y) {
        auto* row = reinterpret_cast<TRGB*>(b.Row(y));
        for (int x = 0; x < kW; ++x)
            row[x] = pattern(x, y);
    }
    b.SetAlpha(kW - 1, kH - 1, 6);
    auto expectEverywhere = [&](auto&& expected) {
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                if (!expected(x, y)) {
                    ADD_FAILURE() << PixelFormatName(b.PixelFormat()) << " at " << x << "," << y;
                    return;
                }
    };
    b.ConvertTo(ie32RGB);
    expectEverywhere([&](int x, int y) {
        const TRGB c = pattern(x, y);
        return b.GetDword(x, y) == (0xFF000000u | c.r << 16 | c.g << 8 | c.b);
    });
    b.ConvertTo(ie24RGB);
    expectEverywhere([&](int x, int y) { return b.GetRGB(x, y) == pattern(x, y); });
    b.ConvertTo(ie8g);
    b.ConvertTo(ie16g); // widens through a copy of each row
    b.ConvertTo(ieRGB48);
    b.ConvertTo(ie8g);
    expectEverywhere([&](int x, int y) { return b.GetByte(x, y) == GrayLevel(pattern(x, y)); });
    EXPECT_EQ(b.GetAlpha(kW - 1, kH - 1), 6);
    EXPECT_EQ(b.Row(0), b.Row(kH - 1) + static_cast<ptrdiff_t>(b.RowBytes()) * (kH - 1));
}

// Conversions through every storage kind keep pixels and the alpha plane.
class ConvertStorage : public ::testing::TestWithParam<test::StorageKind> {
protected:
    test::StorageKindScope scope{GetParam()};
};

TEST_P(ConvertStorage, RoundTripsKeepPixelsAndAlpha) {
    constexpr int kW = 40, kH = 24;
    auto b = scope.Make(kW, kH, ie24RGB);
    ASSERT_FALSE(b->IsVoid());
    for (int y = 0; y < kH; ++y) {
        auto* row = reinterpret_cast<TRGB*>(b->Row(y));
        for (int x = 0; x < kW; ++x)
            row[x] = MakeRGB(static_cast<uint8_t>(x * 6), static_cast<uint8_t>(y * 10),
                             static_cast<uint8_t>(x ^ y));
    }
    b->SetAlpha(39, 23, 4);
    b->ConvertTo(ie32RGB);
    ASSERT_EQ(b->PixelFormat(), ie32RGB);
    b->ConvertTo(ie24RGB);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            ASSERT_EQ(b->GetRGB(x, y),
                      MakeRGB(static_cast<uint8_t>(x * 6), static_cast<uint8_t>(y * 10),
                              static_cast<uint8_t>(x ^ y)))
                << x << "," << y;
    EXPECT_EQ(b->GetAlpha(39, 23), 4);
    b->ConvertTo(ie8g);
    EXPECT_EQ(b->GetByte(10, 5), GrayLevel(60, 50, 10 ^ 5));
    b->ConvertTo(ie1g);
    EXPECT_EQ(b->PixelFormat(), ie1g);
    EXPECT_EQ(b->GetAlpha(39, 23), 4);
}

INSTANTIATE_TEST_SUITE_P(AllStorage, ConvertStorage,
                         ::testing::Values(test::StorageKind::Memory, test::StorageKind::Fragments,
                                           test::StorageKind::TempFileMapped,
                                           test::StorageKind::TempFileRowBuffers,
                                           test::StorageKind::PlatformBitmap),
                         [](const auto& info) { return test::StorageKindName(info.param); });

} // namespace
} // namespace vellinor
