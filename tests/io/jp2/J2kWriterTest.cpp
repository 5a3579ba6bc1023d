#include "io/TIEImageIO.h"
#include "io/jp2/J2kCodec.h"
#include "io/jp2/J2kFixtures.h"
#include "io/jp2/J2kHeader.h"
#include "platform/Stream.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace vellinor::test {
namespace {

std::vector<uint8_t> Write(TIEBitmap& bitmap, TIOParamsVals& params, int formatIndex) {
    TMemoryStream stream;
    TProgressProbe progress;
    WriteJ2kStream(stream, bitmap, params, formatIndex, progress.Rec);
    EXPECT_FALSE(progress.Aborted);
    return stream.Data();
}

TJ2kHeader HeaderOf(const std::vector<uint8_t>& bytes) {
    TSpanStream stream{std::span<const uint8_t>(bytes)};
    TJ2kHeader header;
    EXPECT_TRUE(ReadJ2kHeader(stream, header));
    return header;
}

double Psnr(TIEBitmap& a, TIEBitmap& b) {
    double sum = 0;
    for (int y = 0; y < a.Height(); ++y) {
        const uint8_t* p = a.Row(y);
        const uint8_t* q = b.Row(y);
        for (int i = 0; i < 3 * a.Width(); ++i)
            sum += (p[i] - q[i]) * (p[i] - q[i]);
    }
    const double mse = sum / (3.0 * a.Width() * a.Height());
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

bool SamePixels(TIEBitmap& a, TIEBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.PixelFormat() != b.PixelFormat())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.Row(y), b.Row(y), static_cast<size_t>(a.PackedRowBytes())) != 0)
            return false;
    return true;
}

TEST(J2kWriter, RateOneRoundTripsLosslessly) {
    TIEBitmap source;
    FillPattern(source, 37, 23);
    source.SetRGB(5, 5, TRGB{255, 0, 7});
    for (int formatIndex : {j2kJp2File, j2kCodeStream}) {
        TIOParamsVals params;
        params.J2000Rate = 1.0;
        const std::vector<uint8_t> bytes = Write(source, params, formatIndex);
        EXPECT_EQ(HeaderOf(bytes).Container,
                  formatIndex == j2kJp2File ? TJ2kContainer::Jp2 : TJ2kContainer::CodeStream);
        TIEBitmap back;
        TIOParamsVals readParams;
        ASSERT_TRUE(ReadBytes(bytes, back, readParams));
        EXPECT_TRUE(SamePixels(source, back)) << formatIndex;
        EXPECT_FALSE(back.HasAlphaPlane());
    }
}

TEST(J2kWriter, RateOneTenthStaysNearTheOriginalAndWithinItsSize) {
    TIEBitmap source;
    FillPattern(source, 96, 64);
    TIOParamsVals params;
    params.J2000Rate = 0.1;
    const std::vector<uint8_t> bytes = Write(source, params, j2kCodeStream);
    const double uncompressed = 96.0 * 64 * 3;
    EXPECT_LE(bytes.size(), 0.1 * uncompressed * 1.1);
    TIEBitmap back;
    TIOParamsVals readParams;
    ASSERT_TRUE(ReadBytes(bytes, back, readParams));
    EXPECT_GT(Psnr(source, back), 35.0);
    EXPECT_FALSE(SamePixels(source, back));
}

TEST(J2kWriter, SmallerRatesGiveSmallerStreams) {
    // Noise, so that no rate is reached before the picture is exhausted.
    TIEBitmap source(128, 128, ie24RGB);
    uint32_t seed = 12345;
    for (int y = 0; y < 128; ++y) {
        uint8_t* row = source.Row(y);
        for (int i = 0; i < 3 * 128; ++i) {
            seed = seed * 1664525u + 1013904223u;
            row[i] = static_cast<uint8_t>(seed >> 24);
        }
    }
    const double uncompressed = 128.0 * 128 * 3;
    size_t previous = SIZE_MAX;
    for (double rate : {1.0, 0.5, 0.1, 0.01}) {
        TIOParamsVals params;
        params.J2000Rate = rate;
        const std::vector<uint8_t> bytes = Write(source, params, j2kCodeStream);
        EXPECT_LT(bytes.size(), previous) << rate;
        if (rate < 1) EXPECT_LE(bytes.size(), rate * uncompressed * 1.05) << rate;
        previous = bytes.size();
        TIEBitmap back;
        TIOParamsVals readParams;
        EXPECT_TRUE(ReadBytes(bytes, back, readParams)) << rate;
    }
    // Rate 0: the smallest stream the encoder makes, still a picture.
    TIOParamsVals params;
    params.J2000Rate = 0;
    const std::vector<uint8_t> smallest = Write(source, params, j2kCodeStream);
    EXPECT_LE(smallest.size(), previous);
    TIEBitmap back;
    TIOParamsVals readParams;
    EXPECT_TRUE(ReadBytes(smallest, back, readParams));
    EXPECT_EQ(back.Width(), 128);
}

TEST(J2kWriter, BlackAndWhiteWritesOneComponentOfPrecisionOne) {
    TIEBitmap source(19, 7, ie1g);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 19; ++x)
            source.SetBit(x, y, (x * 3 + y) % 5 == 0);
    for (int formatIndex : {j2kJp2File, j2kCodeStream}) {
        TIOParamsVals params;
        params.J2000ColorSpace = 1;
        params.BitsPerSample = 8;
        const std::vector<uint8_t> bytes = Write(source, params, formatIndex);
        EXPECT_EQ(params.BitsPerSample, 1);
        EXPECT_EQ(params.J2000ColorSpace, 0);
        const TJ2kHeader header = HeaderOf(bytes);
        ASSERT_EQ(header.Components.size(), 1u);
        EXPECT_EQ(header.Components[0].Precision, 1u);
        TIEBitmap back;
        TIOParamsVals readParams;
        ASSERT_TRUE(ReadBytes(bytes, back, readParams));
        EXPECT_TRUE(SamePixels(source, back));
    }
}

TEST(J2kWriter, GreyComesFromTheWeightsAndIsScaledToMaxval) {
    struct TCase {
        int Bits;   // BitsPerSample in the record
        TRGB Color; // b, g, r
        uint32_t Precision;
        int32_t Sample; // grey = (21 r + 71 g + 8 b) / 100, written grey x maxval / 255
    };
    const TCase cases[] = {
        {8, {0, 0, 200}, 8, 42},   // 4200 / 100
        {8, {10, 100, 50}, 8, 82}, // (1050 + 7100 + 80) / 100
        {8, {255, 255, 255}, 8, 255},
        {12, {100, 100, 100}, 12, 1605}, // 100 x 4095 / 255 = 1605.9
        {16, {0, 200, 0}, 16, 36494},    // 142 x 65535 / 255 = 36494.4
        {16, {255, 255, 255}, 16, 65535},
        // A depth below 8 left by a reader would throw colours away: 8 bits.
        {1, {100, 100, 100}, 8, 100},
        {4, {100, 100, 100}, 8, 100},
    };
    for (const TCase& c : cases) {
        TIEBitmap source(3, 2, ie24RGB);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                source.SetRGB(x, y, c.Color);
        TIOParamsVals params;
        params.J2000ColorSpace = 0;
        params.BitsPerSample = c.Bits;
        const std::vector<uint8_t> bytes = Write(source, params, j2kJp2File);
        const std::vector<TDecodedComponent> components = DecodeComponents(bytes);
        ASSERT_EQ(components.size(), 1u) << c.Bits;
        EXPECT_EQ(components[0].Precision, c.Precision) << c.Bits;
        EXPECT_EQ(components[0].Samples[5], c.Sample) << c.Bits;
        TIEBitmap back;
        TIOParamsVals readParams;
        ASSERT_TRUE(ReadBytes(bytes, back, readParams));
        EXPECT_EQ(readParams.BitsPerSample, int(c.Precision));
        EXPECT_EQ(readParams.SamplesPerPixel, 1);
    }
}

TEST(J2kWriter, ColourComponentsAreScaledToMaxval) {
    TIEBitmap source(2, 1, ie24RGB);
    source.SetRGB(0, 0, TRGB{1, 128, 255});
    source.SetRGB(1, 0, TRGB{0, 77, 254});
    TIOParamsVals params;
    params.BitsPerSample = 10;
    params.J2000ColorSpace = 2; // written like RGB
    const std::vector<TDecodedComponent> c = DecodeComponents(Write(source, params, j2kCodeStream));
    ASSERT_EQ(c.size(), 3u);
    // Red, green, blue; v x 1023 / 255 truncated.
    EXPECT_EQ(c[0].Samples, (std::vector<int32_t>{1023, 1018}));
    EXPECT_EQ(c[1].Samples, (std::vector<int32_t>{513, 308}));
    EXPECT_EQ(c[2].Samples, (std::vector<int32_t>{4, 0}));
}

TEST(J2kWriter, TransparencyAddsAnOpacityComponent) {
    TIEBitmap source;
    FillPattern(source, 9, 9);
    for (int formatIndex : {j2kJp2File, j2kCodeStream}) {
        TIOParamsVals params;
        const std::vector<uint8_t> opaque = Write(source, params, formatIndex);
        EXPECT_EQ(HeaderOf(opaque).Components.size(), 3u);
        source.AlphaPlane(); // all 255: still three components
        EXPECT_EQ(HeaderOf(Write(source, params, formatIndex)).Components.size(), 3u);
        source.SetAlpha(4, 4, 0);
        source.SetAlpha(8, 0, 100);
        const std::vector<uint8_t> bytes = Write(source, params, formatIndex);
        EXPECT_EQ(HeaderOf(bytes).Components.size(), 4u);
        TIEBitmap back;
        TIOParamsVals readParams;
        ASSERT_TRUE(ReadBytes(bytes, back, readParams));
        ASSERT_TRUE(back.HasAlphaPlane());
        EXPECT_EQ(back.GetAlpha(4, 4), 0);
        EXPECT_EQ(back.GetAlpha(8, 0), 100);
        EXPECT_EQ(back.GetAlpha(0, 0), 255);
        EXPECT_TRUE(SamePixels(source, back));
        source.DropAlphaPlane();
    }
}

TEST(J2kWriter, ProgressionOrderReachesTheCodingStyle) {
    TIEBitmap source;
    FillPattern(source, 16, 16);
    for (uint8_t order : {0, 1}) {
        TIOParamsVals params;
        params.J2000ProgressionOrder = order;
        const std::vector<uint8_t> bytes = Write(source, params, j2kCodeStream);
        const int64_t cod = FindMarker(bytes, 0xFF52);
        ASSERT_GE(cod, 0);
        // COD: marker, length, Scod, then the progression order.
        EXPECT_EQ(bytes[size_t(cod) + 5], order);
    }
}

TEST(J2kWriter, FailureToWriteRaisesTheAbortFlag) {
    TIEBitmap source;
    FillPattern(source, 32, 32);
    std::vector<uint8_t> tooSmall(64);
    TSpanStream stream{std::span<uint8_t>(tooSmall)};
    TIOParamsVals params;
    TProgressProbe progress;
    WriteJ2kStream(stream, source, params, j2kJp2File, progress.Rec);
    EXPECT_TRUE(progress.Aborted);
}

TEST(J2kWriter, TinyPicturesAndOtherPixelFormatsAreWritten) {
    TIEBitmap one(1, 1, ie24RGB);
    one.SetRGB(0, 0, TRGB{9, 8, 7});
    TIEBitmap gray(5, 3, ie8g);
    gray.FillAll(77);
    for (TIEBitmap* source : {&one, &gray}) {
        TIOParamsVals params;
        const std::vector<uint8_t> bytes = Write(*source, params, j2kJp2File);
        TIEBitmap back;
        TIOParamsVals readParams;
        ASSERT_TRUE(ReadBytes(bytes, back, readParams));
        EXPECT_EQ(back.Width(), source->Width());
        EXPECT_EQ(back.GetRGB(0, 0).r, source->ReadAsRGB(0, 0).r);
    }
}

// The options dialog's preview: encode into memory through the front end,
// then decode from there.
TEST(J2kWriter, FrontEndRoundTripsThroughMemory) {
    for (TIOFormatId format : {iofJP2, iofJ2K}) {
        TIEImageIO io;
        FillPattern(*io.IEBitmap(), 20, 10);
        io.Params().J2000Rate = 1;
        TMemoryStream stream;
        io.SaveStreamByFormat(stream, format);
        ASSERT_FALSE(io.AbortFlag);
        ASSERT_GT(stream.Size(), 0);
        stream.SetPosition(0);
        TIEImageIO reader;
        reader.LoadStreamDetect(stream);
        ASSERT_FALSE(reader.AbortFlag);
        EXPECT_EQ(reader.Params().FileFormat, format);
        EXPECT_TRUE(SamePixels(*io.IEBitmap(), *reader.IEBitmap()));
    }
}

} // namespace
} // namespace vellinor::test
