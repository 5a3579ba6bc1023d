// The PCX reader: each layout, the palettes, resolutions, parameters, and
// what bad headers and short data do.

#include "io/TIOParamsVals.h"
#include "tests/io/pcx/PcxFixture.h"

#include <gtest/gtest.h>
#include <vector>

namespace vellinor {
namespace {

using testing::ReadPcx;
using testing::TFlagged;
using testing::TPcxFixture;
using Bytes = std::vector<uint8_t>;

TRGB ShortColor(int i) {
    return MakeRGB(static_cast<uint8_t>(16 * i), static_cast<uint8_t>(255 - 16 * i),
                   static_cast<uint8_t>(i + 1));
}

TPcxFixture WithSixteenColors(TPcxFixture f) {
    for (int i = 0; i < 16; ++i) {
        const TRGB c = ShortColor(i);
        f.SetShortColor(i, c.r, c.g, c.b);
    }
    return f;
}

TEST(PcxReader, FourOneBitPlanesReadAsSixteenColours) {
    TPcxFixture f = WithSixteenColors({});
    f.Encoding = 0;
    f.BitsPerPixel = 1;
    f.Planes = 4;
    f.Width = 10;
    f.BytesPerLine = 2;
    // Pixel x has index (x + 3) mod 16; plane p holds bit p of it.
    for (int p = 0; p < 4; ++p) {
        Bytes line(2, 0);
        for (int x = 0; x < 10; ++x)
            if ((((x + 3) % 16) >> p) & 1) line[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        f.Data.insert(f.Data.end(), line.begin(), line.end());
    }
    auto r = ReadPcx(f.Bytes());
    ASSERT_FALSE(r->Aborted());
    EXPECT_EQ(r->Bitmap.PixelFormat(), ie24RGB);
    EXPECT_EQ(r->Params.BitsPerSample, 4);
    EXPECT_EQ(r->Params.SamplesPerPixel, 1);
    ASSERT_EQ(r->Params.PaletteCount(), 16);
    EXPECT_EQ(r->Params.Palette[5], ShortColor(5));
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(r->Bitmap.GetRGB(x, 0), ShortColor((x + 3) % 16)) << x;
}

TEST(PcxReader, EightBitFileTakesItsPaletteFromTheEnd) {
    TPcxFixture f = WithSixteenColors({}); // a header palette that must not be used
    f.Width = 3;
    f.Height = 2;
    f.BytesPerLine = 4;
    f.Data = {0, 1, 2, 0, 0xC3, 3, 0};
    f.LongPalette.assign(768, 0);
    for (int i = 0; i < 4; ++i) {
        f.LongPalette[static_cast<size_t>(3 * i)] = static_cast<uint8_t>(10 + i);     // red
        f.LongPalette[static_cast<size_t>(3 * i + 2)] = static_cast<uint8_t>(90 + i); // blue
    }
    auto r = ReadPcx(f.Bytes());
    ASSERT_FALSE(r->Aborted());
    EXPECT_EQ(r->Params.BitsPerSample, 8);
    EXPECT_EQ(r->Params.SamplesPerPixel, 1);
    ASSERT_EQ(r->Params.PaletteCount(), 256);
    EXPECT_EQ(r->Params.Palette[2], MakeRGB(12, 0, 92));
    EXPECT_EQ(r->Bitmap.GetRGB(0, 0), MakeRGB(10, 0, 90));
    EXPECT_EQ(r->Bitmap.GetRGB(2, 0), MakeRGB(12, 0, 92));
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(r->Bitmap.GetRGB(x, 1), MakeRGB(13, 0, 93));
}

TEST(PcxReader, PaletteThatWouldLieBeforeTheHeaderIsNotReadFromThere) {
    // A short 8-bit file (no room for a palette) behind bytes that would be
    // taken as its palette if the reader looked 768 bytes before the end.
    TPcxFixture f;
    f.Width = 2;
    f.BytesPerLine = 2;
    f.Data = {0xC1, 200, 7};
    Bytes buffer(1000, 0x77);
    const Bytes pcx = f.Bytes();
    buffer.insert(buffer.end(), pcx.begin(), pcx.end());
    TSpanStream stream{std::span<const uint8_t>(buffer)};
    stream.Seek(1000, TSeekOrigin::soBeginning);
    TIEBitmap bitmap;
    TIOParamsVals params;
    TFlagged run;
    ReadPcxStream(stream, bitmap, params, false, run.Progress, static_cast<int64_t>(pcx.size()));
    ASSERT_FALSE(run.Aborted);
    // Without a palette the bytes are grey levels.
    EXPECT_EQ(bitmap.GetRGB(0, 0), MakeRGB(200, 200, 200));
    EXPECT_EQ(bitmap.GetRGB(1, 0), MakeRGB(7, 7, 7));
}

TEST(PcxReader, OtherSinglePlaneAndThreePlaneLayouts) {
    // 1 bit: ie1g, bit 1 white whatever the header palette says; the bits
    // past the width are not kept.
    TPcxFixture bw;
    bw.BitsPerPixel = 1;
    bw.Width = 10;
    bw.BytesPerLine = 2;
    bw.Data = {0xA5, 0xC1, 0xFF};
    auto r1 = ReadPcx(bw.Bytes());
    ASSERT_FALSE(r1->Aborted());
    ASSERT_EQ(r1->Bitmap.PixelFormat(), ie1g);
    EXPECT_EQ(r1->Params.PaletteCount(), 2);
    const bool expected[10] = {1, 0, 1, 0, 0, 1, 0, 1, 1, 1};
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(r1->Bitmap.GetBit(x, 0), expected[x]) << x;
    EXPECT_EQ(r1->Bitmap.Row(0)[1], 0xC0);

    // 4 bits, one plane: high nibble first, through the header palette.
    TPcxFixture nib = WithSixteenColors({});
    nib.BitsPerPixel = 4;
    nib.Width = 3;
    nib.BytesPerLine = 2;
    nib.Data = {0x1F, 0x70};
    auto r4 = ReadPcx(nib.Bytes());
    ASSERT_FALSE(r4->Aborted());
    EXPECT_EQ(r4->Params.BitsPerSample, 4);
    EXPECT_EQ(r4->Params.PaletteCount(), 16);
    EXPECT_EQ(r4->Bitmap.GetRGB(0, 0), ShortColor(1));
    EXPECT_EQ(r4->Bitmap.GetRGB(1, 0), ShortColor(15));
    EXPECT_EQ(r4->Bitmap.GetRGB(2, 0), ShortColor(7));

    // Three 8-bit planes, red, green, blue; a run of 12 crosses from the red
    // line (10, 11, 12, 12) into the green one (12, 21, 22, 0).
    TPcxFixture rgb;
    rgb.Planes = 3;
    rgb.Width = 3;
    rgb.BytesPerLine = 4;
    rgb.Data = {10, 11, 0xC3, 12, 21, 22, 0, 30, 31, 32, 0};
    auto r24 = ReadPcx(rgb.Bytes());
    ASSERT_FALSE(r24->Aborted());
    EXPECT_EQ(r24->Params.SamplesPerPixel, 3);
    EXPECT_EQ(r24->Params.PaletteCount(), 0);
    EXPECT_EQ(r24->Bitmap.GetRGB(0, 0), MakeRGB(10, 12, 30));
    EXPECT_EQ(r24->Bitmap.GetRGB(1, 0), MakeRGB(11, 21, 31));
    EXPECT_EQ(r24->Bitmap.GetRGB(2, 0), MakeRGB(12, 22, 32));
}

TEST(PcxReader, ResolutionsWithAZeroBecomeTheDefaultTogether) {
    struct TCase {
        uint16_t X, Y;
        int32_t ExpectedX, ExpectedY;
    };
    const TCase cases[] = {
        {72, 0, DefaultResolution, DefaultResolution},
        {0, 96, DefaultResolution, DefaultResolution},
        {72, 96, 72, 96},
    };
    for (const TCase& c : cases) {
        TPcxFixture f;
        f.HorizontalDpi = c.X;
        f.VerticalDpi = c.Y;
        f.Data = {1, 2};
        auto r = ReadPcx(f.Bytes());
        ASSERT_FALSE(r->Aborted());
        EXPECT_EQ(r->Params.ResolutionX(), c.ExpectedX) << c.X << " x " << c.Y;
        EXPECT_EQ(r->Params.ResolutionY(), c.ExpectedY) << c.X << " x " << c.Y;
    }
}

TEST(PcxReader, ReportsSizeVersionAndFrameCount) {
    TPcxFixture f;
    f.Version = 3;
    f.Width = 5;
    f.Height = 4;
    f.BytesPerLine = 6;
    auto r = ReadPcx(f.Bytes(), true);
    ASSERT_FALSE(r->Aborted());
    EXPECT_TRUE(r->Bitmap.IsVoid()); // parameters only
    EXPECT_EQ(r->Params.Width, 5);
    EXPECT_EQ(r->Params.Height, 4);
    EXPECT_EQ(r->Params.StoredWidth, 5);
    EXPECT_EQ(r->Params.StoredHeight, 4);
    EXPECT_EQ(r->Params.PcxVersion, 3);
    EXPECT_EQ(r->Params.FrameCount(), 1);
}

TEST(PcxReader, RefusesBadHeadersAndLeavesTheBitmap) {
    struct TCase {
        const char* Name;
        TPcxFixture Fixture;
    };
    auto with = [](auto change) {
        TPcxFixture f;
        f.Data = {1, 2};
        change(f);
        return f;
    };
    const TCase cases[] = {
        {"manufacturer", with([](TPcxFixture& f) { f.Manufacturer = 11; })},
        {"bits above 8", with([](TPcxFixture& f) { f.BitsPerPixel = 16; })},
        {"encoding 2", with([](TPcxFixture& f) { f.Encoding = 2; })},
        {"inverted window", with([](TPcxFixture& f) { f.XMin = 5; })},
        {"2 bits", with([](TPcxFixture& f) { f.BitsPerPixel = 2; })},
        {"1 bit, 2 planes", with([](TPcxFixture& f) {
             f.BitsPerPixel = 1;
             f.Planes = 2;
         })},
        {"8 bits, 4 planes", with([](TPcxFixture& f) { f.Planes = 4; })},
        {"lines shorter than the width", with([](TPcxFixture& f) { f.BytesPerLine = 1; })},
        {"huge and no data", with([](TPcxFixture& f) {
             f.Planes = 3;
             f.Width = f.Height = f.BytesPerLine = 20000;
         })},
    };
    for (const TCase& c : cases) {
        auto r = std::make_unique<testing::TPcxRead>();
        r->Bitmap.Setup(1, 1, ie8g);
        const Bytes bytes = c.Fixture.Bytes();
        TMemoryStream stream(bytes);
        ReadPcxStream(stream, r->Bitmap, r->Params, false, r->Run.Progress,
                      static_cast<int64_t>(bytes.size()));
        EXPECT_TRUE(r->Aborted()) << c.Name;
        EXPECT_EQ(r->Bitmap.PixelFormat(), ie8g) << c.Name;
        EXPECT_EQ(r->Bitmap.Width(), 1) << c.Name;
    }
    // A stream shorter than the header.
    auto r = ReadPcx(Bytes{10, 5, 1, 8});
    EXPECT_TRUE(r->Aborted());
}

TEST(PcxReader, ShortDataLeavesTheMissingRowsBlack) {
    TPcxFixture f;
    f.Planes = 3;
    f.Width = 2;
    f.Height = 3;
    f.BytesPerLine = 2;
    f.Data = {0xC6, 255}; // only the first row, all white
    auto r = ReadPcx(f.Bytes());
    ASSERT_FALSE(r->Aborted());
    EXPECT_EQ(r->Bitmap.GetRGB(1, 0), MakeRGB(255, 255, 255));
    for (int y = 1; y < 3; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(r->Bitmap.GetRGB(x, y), MakeRGB(0, 0, 0)) << x << "," << y;
}

TEST(PcxReader, ReportsProgressPerRowAndStopsOnAbort) {
    TPcxFixture f;
    f.Height = 4;
    f.Data = {0xC8, 9};
    const Bytes bytes = f.Bytes();
    TMemoryStream stream(bytes);
    TIEBitmap bitmap;
    TIOParamsVals params;
    TFlagged run;
    std::vector<int> percents;
    run.Progress.ProgressProc = [&](void*, int percent) {
        percents.push_back(percent);
        if (percent >= 50) run.Aborted = true;
    };
    ReadPcxStream(stream, bitmap, params, false, run.Progress, static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(percents, (std::vector<int>{0, 25, 50}));
    EXPECT_TRUE(run.Aborted);
}

} // namespace
} // namespace vellinor
