#include "io/jp2/J2kCodec.h"
#include "io/jp2/J2kFixtures.h"
#include "io/jp2/J2kRows.h"
#include "io/jp2/YCbCrTables.h"
#include "platform/Stream.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace vellinor::test {
namespace {

TFixtureComponent Component(uint32_t width, uint32_t height, uint32_t precision,
                            int32_t (*sample)(uint32_t x, uint32_t y)) {
    TFixtureComponent c;
    c.Precision = precision;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            c.Samples.push_back(sample(x, y));
    return c;
}

TEST(J2kReader, Jp2LoadsAt300DpiWhateverItsResolutionBoxSays) {
    const auto gray = Component(8, 8, 8, [](uint32_t x, uint32_t y) { return int32_t(x * 30); });
    const std::vector<uint8_t> plain = EncodeFixture({gray}, 8, 8, OPJ_CLRSPC_GRAY, true);
    // Capture and display resolution of 2835 pixels per metre (72 dpi).
    const std::vector<uint8_t> resolution = {0x0B, 0x13, 0, 1, 0x0B, 0x13, 0, 1, 0, 0};
    const std::vector<uint8_t> file =
        AddToJp2Header(plain, MakeBox("res ", MakeBox("resc", resolution)));
    const std::vector<uint8_t> withDisplay =
        AddToJp2Header(plain, MakeBox("res ", MakeBox("resd", resolution)));
    for (const auto* bytes : {&file, &withDisplay}) {
        TIEBitmap bitmap;
        TIOParamsVals params;
        params.SetResolutionX(72);
        params.SetResolutionY(96);
        ASSERT_TRUE(ReadBytes(*bytes, bitmap, params));
        EXPECT_EQ(params.ResolutionX(), 300);
        EXPECT_EQ(params.ResolutionY(), 300);
        EXPECT_EQ(bitmap.Width(), 8);
        EXPECT_EQ(bitmap.GetRGB(7, 0).r, 210);
    }
}

TEST(J2kReader, TwelveBitGreyKeepsItsTopEightBits) {
    const auto gray = Component(16, 4, 12, [](uint32_t x, uint32_t y) {
        return int32_t(x * 255 + y * 17); // up to 4076 of 4095
    });
    TIEBitmap bitmap;
    TIOParamsVals params;
    ASSERT_TRUE(ReadBytes(EncodeFixture({gray}, 16, 4, OPJ_CLRSPC_GRAY, false), bitmap, params));
    EXPECT_EQ(params.BitsPerSample, 12);
    EXPECT_EQ(params.SamplesPerPixel, 1);
    ASSERT_EQ(bitmap.PixelFormat(), ie24RGB);
    for (uint32_t y = 0; y < 4; ++y) {
        for (uint32_t x = 0; x < 16; ++x) {
            const uint8_t expected = static_cast<uint8_t>((x * 255 + y * 17) >> 4);
            const TRGB pixel = bitmap.GetRGB(int(x), int(y));
            ASSERT_EQ(pixel.r, expected) << x << "," << y;
            ASSERT_EQ(pixel.g, expected);
            ASSERT_EQ(pixel.b, expected);
        }
    }
}

TEST(J2kReader, PrecisionIsReducedByTheShiftRule) {
    struct TCase {
        uint32_t Precision;
        bool Signed;
        int32_t Sample;
        uint8_t Expected;
    };
    const TCase cases[] = {
        {1, false, 1, 128},   {4, false, 15, 240},       {8, false, 77, 77},
        {9, false, 511, 255}, {16, false, 0x1234, 0x12}, {32, false, -1, 255},
        {8, true, -128, 0},   {8, true, 127, 255},       {12, true, 0, 128},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(J2kSampleTo8(c.Sample, c.Precision, c.Signed), c.Expected)
            << c.Precision << (c.Signed ? " signed " : " ") << c.Sample;
    }
}

TEST(J2kReader, SignedGreyIsMovedToTheUnsignedRange) {
    const auto gray = Component(4, 2, 8, [](uint32_t x, uint32_t y) {
        return int32_t(x * 80) - 128 + int32_t(y); // -128 .. 113
    });
    auto signedGray = gray;
    signedGray.Signed = true;
    TIEBitmap bitmap;
    TIOParamsVals params;
    ASSERT_TRUE(
        ReadBytes(EncodeFixture({signedGray}, 4, 2, OPJ_CLRSPC_GRAY, false), bitmap, params));
    EXPECT_EQ(bitmap.GetRGB(0, 0).g, 0);
    EXPECT_EQ(bitmap.GetRGB(3, 1).g, 241);
}

TEST(J2kReader, SubsampledYCbCrIsStretchedToFullSize) {
    constexpr uint32_t kWidth = 8, kHeight = 6;
    auto luma = Component(kWidth, kHeight, 8, [](uint32_t, uint32_t) { return 100; });
    // 4:2:0: one chroma sample per 2 x 2 pixels; Cb differs per sample.
    auto cb = Component(kWidth / 2, kHeight / 2, 8,
                        [](uint32_t x, uint32_t y) { return int32_t(60 + 30 * x + 5 * y); });
    auto cr = Component(kWidth / 2, kHeight / 2, 8, [](uint32_t, uint32_t) { return 200; });
    cb.Dx = cb.Dy = cr.Dx = cr.Dy = 2;
    for (bool jp2 : {true, false}) {
        std::vector<uint8_t> bytes =
            EncodeFixture({luma, cb, cr}, kWidth, kHeight, OPJ_CLRSPC_SYCC, jp2);
        TIEBitmap bitmap;
        TIOParamsVals params;
        ASSERT_TRUE(ReadBytes(bytes, bitmap, params)) << jp2;
        ASSERT_EQ(bitmap.Width(), int(kWidth));
        ASSERT_EQ(bitmap.Height(), int(kHeight));
        EXPECT_EQ(params.SamplesPerPixel, 3);
        if (!jp2) {
            // A bare code stream names no colour space: three components are RGB.
            EXPECT_EQ(bitmap.GetRGB(0, 0).r, 100);
            EXPECT_EQ(bitmap.GetRGB(1, 1).g, 60);
            EXPECT_EQ(bitmap.GetRGB(7, 5).b, 200);
            continue;
        }
        const TYCbCrTables& t = YCbCrTables();
        for (uint32_t y = 0; y < kHeight; ++y) {
            for (uint32_t x = 0; x < kWidth; ++x) {
                const int cbValue = 60 + 30 * int(x / 2) + 5 * int(y / 2);
                const TRGB pixel = bitmap.GetRGB(int(x), int(y));
                ASSERT_EQ(pixel.r, std::clamp(100 + t.CrR[200], 0, 255)) << x << "," << y;
                ASSERT_EQ(pixel.g, std::clamp(100 + t.CbG[cbValue] + t.CrG[200], 0, 255));
                ASSERT_EQ(pixel.b, std::clamp(100 + t.CbB[cbValue], 0, 255));
            }
        }
    }
}

TEST(J2kReader, OneBitGreyLoadsAsBlackAndWhite) {
    const auto bits =
        Component(10, 3, 1, [](uint32_t x, uint32_t y) { return int32_t((x + y) % 2); });
    TIEBitmap bitmap;
    TIOParamsVals params;
    ASSERT_TRUE(ReadBytes(EncodeFixture({bits}, 10, 3, OPJ_CLRSPC_GRAY, true), bitmap, params));
    ASSERT_EQ(bitmap.PixelFormat(), ie1g);
    EXPECT_EQ(params.BitsPerSample, 1);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(bitmap.GetBit(x, y), (x + y) % 2 == 1) << x << "," << y;
}

TEST(J2kReader, OpacityComponentBecomesTheAlphaPlane) {
    auto red = Component(4, 4, 8, [](uint32_t x, uint32_t) { return int32_t(x * 60); });
    auto green = Component(4, 4, 8, [](uint32_t, uint32_t) { return 10; });
    auto blue = Component(4, 4, 8, [](uint32_t, uint32_t) { return 20; });
    auto opacity = Component(4, 4, 8, [](uint32_t x, uint32_t y) { return int32_t(y * 85); });
    auto marked = opacity;
    marked.Alpha = 1;
    // Marked by a channel definition (JP2), or the one component beyond RGB.
    const std::vector<std::vector<uint8_t>> files = {
        EncodeFixture({red, green, blue, marked}, 4, 4, OPJ_CLRSPC_SRGB, true),
        EncodeFixture({red, green, blue, opacity}, 4, 4, OPJ_CLRSPC_SRGB, true),
        EncodeFixture({red, green, blue, opacity}, 4, 4, OPJ_CLRSPC_SRGB, false),
    };
    for (const auto& bytes : files) {
        TIEBitmap bitmap;
        TIOParamsVals params;
        ASSERT_TRUE(ReadBytes(bytes, bitmap, params));
        ASSERT_TRUE(bitmap.HasAlphaPlane());
        EXPECT_EQ(bitmap.GetAlpha(0, 0), 0);
        EXPECT_EQ(bitmap.GetAlpha(2, 3), 255);
        EXPECT_EQ(bitmap.GetRGB(3, 1).r, 180);
    }
    TIEBitmap opaque;
    TIOParamsVals params;
    ASSERT_TRUE(
        ReadBytes(EncodeFixture({red, green, blue}, 4, 4, OPJ_CLRSPC_SRGB, true), opaque, params));
    EXPECT_FALSE(opaque.HasAlphaPlane());
}

TEST(J2kReader, PreviewReportsTheHeaderAndLeavesTheBitmap) {
    const auto gray = Component(12, 5, 10, [](uint32_t x, uint32_t) { return int32_t(x); });
    TIEBitmap bitmap(3, 3, ie24RGB);
    TIOParamsVals params;
    ASSERT_TRUE(
        ReadBytes(EncodeFixture({gray}, 12, 5, OPJ_CLRSPC_GRAY, true), bitmap, params, true));
    EXPECT_EQ(params.Width, 12);
    EXPECT_EQ(params.Height, 5);
    EXPECT_EQ(params.StoredWidth, 12);
    EXPECT_EQ(params.BitsPerSample, 10);
    EXPECT_EQ(params.SamplesPerPixel, 1);
    EXPECT_EQ(bitmap.Width(), 3);
}

TEST(J2kReader, ReadsFromTheStreamPositionAndReportsEveryRow) {
    const auto gray =
        Component(5, 7, 8, [](uint32_t x, uint32_t y) { return int32_t(x + 10 * y); });
    const std::vector<uint8_t> file = EncodeFixture({gray}, 5, 7, OPJ_CLRSPC_GRAY, true);
    std::vector<uint8_t> bytes(100, 0xAB);
    bytes.insert(bytes.end(), file.begin(), file.end());
    TMemoryStream stream(bytes);
    stream.SetPosition(100);
    TIEBitmap bitmap;
    TIOParamsVals params;
    TProgressProbe progress;
    ReadJ2kStream(stream, bitmap, params, false, progress.Rec);
    ASSERT_FALSE(progress.Aborted);
    EXPECT_EQ(bitmap.GetRGB(4, 6).r, 64);
    const std::vector<int> expected = {0, 14, 28, 42, 57, 71, 85};
    EXPECT_EQ(progress.Reports, expected);
}

TEST(J2kReader, AbortDuringTheRowsStopsThem) {
    const auto gray = Component(4, 50, 8, [](uint32_t, uint32_t) { return 200; });
    const std::vector<uint8_t> file = EncodeFixture({gray}, 4, 50, OPJ_CLRSPC_GRAY, false);
    TSpanStream stream{std::span<const uint8_t>(file)};
    TIEBitmap bitmap;
    TIOParamsVals params;
    TProgressProbe progress;
    progress.Rec.ProgressProc = [&](void*, int percent) {
        progress.Reports.push_back(percent);
        if (progress.Reports.size() == 3) progress.Aborted = true;
    };
    ReadJ2kStream(stream, bitmap, params, false, progress.Rec);
    EXPECT_EQ(progress.Reports.size(), 3u);
    EXPECT_EQ(bitmap.GetRGB(0, 2).r, 200);
    EXPECT_EQ(bitmap.GetRGB(0, 3).r, 0);
}

// Streams the reader refuses; the bitmap must stay as it was.
TEST(J2kReader, RefusedStreamsLeaveTheBitmap) {
    const auto gray = Component(8, 8, 8, [](uint32_t x, uint32_t) { return int32_t(x); });
    const std::vector<uint8_t> good = EncodeFixture({gray}, 8, 8, OPJ_CLRSPC_GRAY, true);
    auto rgb = Component(8, 8, 8, [](uint32_t x, uint32_t) { return int32_t(x); });
    const std::vector<uint8_t> goodRgb =
        EncodeFixture({rgb, rgb, rgb}, 8, 8, OPJ_CLRSPC_SRGB, true);
    const std::vector<uint8_t> codeStream = EncodeFixture({gray}, 8, 8, OPJ_CLRSPC_GRAY, false);
    struct TCase {
        const char* Name;
        std::vector<uint8_t> Bytes;
    };
    std::vector<TCase> cases = {
        {"empty", {}},
        {"not JPEG 2000", {'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        {"signature only", std::vector<uint8_t>(good.begin(), good.begin() + 12)},
        {"code stream cut inside SIZ",
         std::vector<uint8_t>(codeStream.begin(), codeStream.begin() + 20)},
        {"CMYK colour space", WithEnumeratedColorSpace(goodRgb, 12)},
        {"CIELab colour space", WithEnumeratedColorSpace(goodRgb, 14)},
        {"RGB named for one component", WithEnumeratedColorSpace(good, 16)},
    };
    for (const TCase& c : cases) {
        TIEBitmap bitmap(2, 3, ie24RGB);
        bitmap.SetRGB(1, 1, TRGB{1, 2, 3});
        TIOParamsVals params;
        EXPECT_FALSE(ReadBytes(c.Bytes, bitmap, params)) << c.Name;
        EXPECT_EQ(bitmap.Width(), 2) << c.Name;
        EXPECT_EQ(bitmap.Height(), 3) << c.Name;
        EXPECT_EQ(bitmap.GetRGB(1, 1).g, 2) << c.Name;
    }
}

TEST(J2kReader, ProbesReadTheSignaturesAndRestoreThePosition) {
    const auto gray = Component(4, 4, 8, [](uint32_t, uint32_t) { return 1; });
    for (bool jp2 : {true, false}) {
        const std::vector<uint8_t> bytes = EncodeFixture({gray}, 4, 4, OPJ_CLRSPC_GRAY, jp2);
        TSpanStream stream{std::span<const uint8_t>(bytes)};
        EXPECT_EQ(IsJp2Stream(stream), jp2);
        EXPECT_EQ(stream.Position(), 0);
        EXPECT_EQ(IsJ2kStream(stream), !jp2);
        EXPECT_EQ(stream.Position(), 0);
    }
    const std::vector<uint8_t> almost = {0, 0, 0, 12, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87};
    TSpanStream shortStream{std::span<const uint8_t>(almost)};
    EXPECT_FALSE(IsJp2Stream(shortStream));
}

} // namespace
} // namespace vellinor::test
