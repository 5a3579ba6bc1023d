// The PCX writer: depth choice, header fields, line lengths, palettes, and
// write -> read round trips at every depth, raw and RLE.

#include "io/pcx/PcxHeader.h"
#include "io/pcx/PcxLineCoder.h"
#include "platform/BufferedStream.h"
#include "tests/io/pcx/PcxFixture.h"

#include <gtest/gtest.h>
#include <vector>

namespace vellinor {
namespace {

using testing::ReadPcx;
using testing::TFlagged;
using testing::WritePcx;
using Bytes = std::vector<uint8_t>;

// A width x height picture whose pixel (x, y) is colors[(3x + 2y) mod n].
void Paint(TIEBitmap& bitmap, int width, int height, const std::vector<TRGB>& colors) {
    bitmap.Setup(width, height, ie24RGB);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetRGB(x, y, colors[static_cast<size_t>(3 * x + 2 * y) % colors.size()]);
}

std::vector<TRGB> Colors(int n) {
    std::vector<TRGB> colors;
    for (int i = 0; i < n; ++i)
        colors.push_back(MakeRGB(static_cast<uint8_t>(i * 37), static_cast<uint8_t>(255 - i * 11),
                                 static_cast<uint8_t>(i * 101 % 256)));
    return colors;
}

TPcxHeader HeaderOf(const Bytes& file) {
    return TPcxHeader::Parse(std::span<const uint8_t, kPcxHeaderSize>(file.data(), kPcxHeaderSize));
}

void SetDepth(TIOParamsVals& params, int bits, int samples, int compression) {
    params.BitsPerSample = bits;
    params.SamplesPerPixel = samples;
    params.PcxCompression = static_cast<uint8_t>(compression);
}

TEST(PcxWriter, RoundTripsEveryDepthRawAndRle) {
    struct TCase {
        int Bits, Samples, Colors;
        uint8_t FileBits, FilePlanes;
    };
    const TCase cases[] = {
        {4, 1, 16, 4, 1},
        {8, 1, 200, 8, 1},
        {8, 3, 1000, 8, 3},
    };
    for (const TCase& c : cases) {
        for (const int compression : {0, 1}) {
            SCOPED_TRACE(::testing::Message()
                         << c.Bits << " x " << c.Samples << ", compression " << compression);
            TIEBitmap source;
            Paint(source, 37, 9, Colors(c.Colors));
            TIOParamsVals params;
            SetDepth(params, c.Bits, c.Samples, compression);
            bool aborted = true;
            const Bytes file = WritePcx(source, params, &aborted);
            ASSERT_FALSE(aborted);
            const TPcxHeader h = HeaderOf(file);
            EXPECT_EQ(h.Encoding, compression);
            EXPECT_EQ(h.BitsPerPixel, c.FileBits);
            EXPECT_EQ(h.Planes, c.FilePlanes);
            EXPECT_EQ(h.BytesPerLine % 2, 0);
            auto r = ReadPcx(file);
            ASSERT_FALSE(r->Aborted());
            ASSERT_EQ(r->Bitmap.Width(), 37);
            ASSERT_EQ(r->Bitmap.Height(), 9);
            for (int y = 0; y < 9; ++y)
                for (int x = 0; x < 37; ++x)
                    ASSERT_EQ(r->Bitmap.GetRGB(x, y), source.GetRGB(x, y)) << x << "," << y;
        }
    }
}

TEST(PcxWriter, OneBitRoundTripsRawAndRle) {
    TIEBitmap source(19, 5, ie1g);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 19; ++x)
            source.SetBit(x, y, (x * x + y) % 3 == 0);
    for (const int compression : {0, 1}) {
        TIOParamsVals params;
        SetDepth(params, 1, 1, compression);
        const Bytes file = WritePcx(source, params);
        const TPcxHeader h = HeaderOf(file);
        EXPECT_EQ(h.BitsPerPixel, 1);
        EXPECT_EQ(h.BytesPerLine, 4); // ceil(19 / 8) = 3, made even
        EXPECT_EQ(file[16 + 3], 255); // entry 1 white
        auto r = ReadPcx(file);
        ASSERT_FALSE(r->Aborted());
        ASSERT_EQ(r->Bitmap.PixelFormat(), ie1g);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 19; ++x)
                ASSERT_EQ(r->Bitmap.GetBit(x, y), source.GetBit(x, y)) << x << "," << y;
    }
}

TEST(PcxWriter, TwoColourPictureKeepsItsColoursInTheHeaderPalette) {
    const TRGB dark = MakeRGB(0, 0, 128), light = MakeRGB(250, 200, 0);
    TIEBitmap source;
    Paint(source, 9, 3, {light, dark});
    TIOParamsVals params;
    SetDepth(params, 1, 1, 1);
    const Bytes file = WritePcx(source, params);
    auto r = ReadPcx(file);
    ASSERT_FALSE(r->Aborted());
    ASSERT_EQ(r->Params.PaletteCount(), 2);
    EXPECT_EQ(r->Params.Palette[0], dark); // the darker colour is 0
    EXPECT_EQ(r->Params.Palette[1], light);
    EXPECT_TRUE(r->Bitmap.GetBit(0, 0));  // light
    EXPECT_FALSE(r->Bitmap.GetBit(1, 0)); // dark
}

TEST(PcxWriter, OddWidthTwentyFourBitLinesAreEvenWithATrailingZero) {
    // Every sample differs from its neighbour and stays below 192, so each
    // plane line encodes as its 5 samples and the extra 0.
    TIEBitmap source(5, 2, ie24RGB);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            source.SetRGB(x, y,
                          MakeRGB(static_cast<uint8_t>(10 + x), static_cast<uint8_t>(20 + x),
                                  static_cast<uint8_t>(30 + x)));
    TIOParamsVals params;
    SetDepth(params, 8, 3, 1);
    const Bytes file = WritePcx(source, params);
    const TPcxHeader h = HeaderOf(file);
    EXPECT_EQ(h.Planes, 3);
    EXPECT_EQ(h.BytesPerLine, 6);
    EXPECT_EQ(h.PaletteInfo, 0);
    const Bytes red = {10, 11, 12, 13, 14, 0}, green = {20, 21, 22, 23, 24, 0},
                blue = {30, 31, 32, 33, 34, 0};
    Bytes expected;
    for (int y = 0; y < 2; ++y)
        for (const Bytes* line : {&red, &green, &blue})
            expected.insert(expected.end(), line->begin(), line->end());
    EXPECT_EQ(Bytes(file.begin() + kPcxHeaderSize, file.end()), expected);
}

TEST(PcxWriter, HeaderCarriesVersionResolutionAndWindow) {
    TIEBitmap source;
    Paint(source, 300, 2, Colors(3));
    TIOParamsVals params;
    params.PcxVersion = 3;
    params.SetResolutionX(72 + 65536); // only the low 16 bits fit
    params.SetResolutionY(150);
    const Bytes file = WritePcx(source, params);
    const TPcxHeader h = HeaderOf(file);
    EXPECT_EQ(h.Manufacturer, 10);
    EXPECT_EQ(h.Version, 3);
    EXPECT_EQ(h.XMin, 0);
    EXPECT_EQ(h.XMax, 299);
    EXPECT_EQ(h.YMax, 1);
    EXPECT_EQ(h.HorizontalDpi, 72);
    EXPECT_EQ(h.VerticalDpi, 150);
}

TEST(PcxWriter, EightBitFileEndsWithMarkerAndPalette) {
    const std::vector<TRGB> colors = {MakeRGB(1, 2, 3), MakeRGB(200, 100, 50)};
    TIEBitmap source;
    Paint(source, 4, 4, colors);
    TIOParamsVals params;
    SetDepth(params, 8, 1, 1);
    const Bytes file = WritePcx(source, params);
    ASSERT_GE(file.size(), size_t{kPcxHeaderSize + 769});
    const size_t at = file.size() - 769;
    EXPECT_EQ(file[at], 12);
    // The picture's exact colours, in order of appearance, red first.
    EXPECT_EQ(Bytes(file.begin() + at + 1, file.begin() + at + 7), (Bytes{1, 2, 3, 200, 100, 50}));
}

TEST(PcxWriter, DepthsTheFormatLacksGoToTheNextOneThatHoldsThem) {
    struct TCase {
        int Bits, Samples;
        uint8_t FileBits, FilePlanes;
    };
    const TCase cases[] = {{2, 1, 4, 1}, {16, 1, 8, 3}, {8, 4, 8, 3}, {0, 0, 8, 3}};
    for (const TCase& c : cases) {
        TIEBitmap source;
        Paint(source, 3, 3, Colors(5));
        TIOParamsVals params;
        SetDepth(params, c.Bits, c.Samples, 1);
        const TPcxHeader h = HeaderOf(WritePcx(source, params));
        EXPECT_EQ(h.BitsPerPixel, c.FileBits) << c.Bits << " x " << c.Samples;
        EXPECT_EQ(h.Planes, c.FilePlanes) << c.Bits << " x " << c.Samples;
    }
}

TEST(PcxWriter, CountingStreamSeesTheSameBytesAsAMemoryStream) {
    TIEBitmap source;
    Paint(source, 41, 17, Colors(300));
    for (const int bits : {1, 4, 8}) {
        TIOParamsVals params;
        SetDepth(params, bits, bits == 8 ? 3 : 1, 1);
        const Bytes file = WritePcx(source, params);
        TCountingStream counter;
        TFlagged run;
        WritePcxStream(counter, source, params, run.Progress);
        EXPECT_FALSE(run.Aborted);
        EXPECT_EQ(counter.Size(), static_cast<int64_t>(file.size())) << bits;
    }
}

TEST(PcxWriter, RefusesPicturesTheHeaderCannotDescribe) {
    TIEBitmap empty;
    TIOParamsVals params;
    bool aborted = false;
    WritePcx(empty, params, &aborted);
    EXPECT_TRUE(aborted);

    // 65535 bytes per line made even no longer fits 16 bits.
    TIEBitmap wide(65535, 1, ie24RGB);
    aborted = false;
    const Bytes file = WritePcx(wide, params, &aborted);
    EXPECT_TRUE(aborted);
    EXPECT_TRUE(file.empty());
}

} // namespace
} // namespace vellinor
