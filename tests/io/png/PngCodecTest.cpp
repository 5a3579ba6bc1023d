// The PNG codec through the front end, on memory streams: round trips of
// each output kind, the reader's colour types, transparency, resolution,
// damaged files and the writer's failures.

#include "io/png/PngCodec.h"

#include "image/TIEBitmap.h"
#include "io/TIEImageIO.h"
#include "platform/BufferedStream.h"
#include "platform/Stream.h"
#include "tests/io/png/PngTestFiles.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace vellinor {
namespace {

using pngtest::MakePng;
using pngtest::TPngSpec;

std::vector<uint8_t> Save(TIEImageIO& io) {
    TMemoryStream stream;
    io.SaveStreamByFormat(stream, iofPNG);
    EXPECT_FALSE(io.AbortFlag);
    return stream.Data();
}

void Load(TIEImageIO& io, const std::vector<uint8_t>& bytes) {
    io.LoadBuffer(bytes, iofPNG);
}

// Many colours, deterministic.
void PaintColours(TIEBitmap& b) {
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            b.SetRGB(x, y, MakeRGB(x * 9 % 256, y * 13 % 256, (x * y) % 256));
}

bool SamePixels(TIEBitmap& a, TIEBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (!(a.ReadAsRGB(x, y) == b.ReadAsRGB(x, y))) return false;
    return true;
}

struct TRoundTripCase {
    const char* Name;
    int SamplesPerPixel;
    int BitsPerSample;
    void (*Paint)(TIEBitmap&);
    int ColorType; // stored in the file
    int Depth;
};

void PaintFewColours(TIEBitmap& b) {
    const TRGB colours[] = {MakeRGB(200, 10, 10), MakeRGB(10, 200, 10), MakeRGB(10, 10, 200),
                            MakeRGB(250, 250, 0)};
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            b.SetRGB(x, y, colours[(x / 3 + y) % 4]);
}

void PaintGrey(TIEBitmap& b) {
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            const auto v = static_cast<uint8_t>((x * 7 + y * 3) % 256);
            b.SetRGB(x, y, MakeRGB(v, v, v));
        }
}

void PaintTwoColours(TIEBitmap& b) {
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            b.SetRGB(x, y, (x + y) % 3 == 0 ? MakeRGB(250, 240, 10) : MakeRGB(20, 30, 90));
}

class PngRoundTrip : public ::testing::TestWithParam<TRoundTripCase> {};

TEST_P(PngRoundTrip, KeepsEveryPixel) {
    const TRoundTripCase& c = GetParam();
    TIEImageIO io;
    TIEBitmap& bitmap = *io.IEBitmap();
    bitmap.Setup(37, 11, ie24RGB);
    c.Paint(bitmap);
    TIEBitmap original;
    original.CopyFrom(bitmap);
    io.Params().SamplesPerPixel = c.SamplesPerPixel;
    io.Params().BitsPerSample = c.BitsPerSample;
    const std::vector<uint8_t> file = Save(io);
    EXPECT_EQ(pngtest::StoredColorType(file), c.ColorType);
    EXPECT_EQ(pngtest::StoredDepth(file), c.Depth);
    Load(io, file);
    ASSERT_FALSE(io.AbortFlag);
    EXPECT_TRUE(SamePixels(original, *io.IEBitmap()));
    EXPECT_FALSE(io.IEBitmap()->HasAlphaPlane());
}

INSTANTIATE_TEST_SUITE_P(
    EachOutputKind, PngRoundTrip,
    ::testing::Values(TRoundTripCase{"Rgb", 3, 8, PaintColours, PNG_COLOR_TYPE_RGB, 8},
                      TRoundTripCase{"Palette", 1, 8, PaintFewColours, PNG_COLOR_TYPE_PALETTE, 8},
                      TRoundTripCase{"Grey", 1, 8, PaintGrey, PNG_COLOR_TYPE_GRAY, 8},
                      TRoundTripCase{"GreyFromDepth4", 1, 4, PaintGrey, PNG_COLOR_TYPE_GRAY, 8}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(PngCodec, TwoColourPictureWritesTheDarkerColourAsZero) {
    TIEImageIO io;
    TIEBitmap& bitmap = *io.IEBitmap();
    bitmap.Setup(9, 4, ie24RGB);
    PaintTwoColours(bitmap);
    io.Params().SamplesPerPixel = 1;
    io.Params().BitsPerSample = 1;
    Load(io, Save(io));
    ASSERT_EQ(io.IEBitmap()->PixelFormat(), ie1g);
    // (0,0) is the light colour, (1,0) the dark one.
    EXPECT_TRUE(io.IEBitmap()->GetBit(0, 0));
    EXPECT_FALSE(io.IEBitmap()->GetBit(1, 0));
}

TEST(PngCodec, RgbaRoundTripKeepsAlpha) {
    TIEImageIO io;
    TIEBitmap& bitmap = *io.IEBitmap();
    bitmap.Setup(20, 7, ie24RGB);
    PaintColours(bitmap);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 20; ++x)
            bitmap.SetAlpha(x, y, static_cast<uint8_t>(x * 12 + y));
    TIEBitmap original;
    original.CopyFrom(bitmap);
    const std::vector<uint8_t> file = Save(io);
    EXPECT_EQ(pngtest::StoredColorType(file), PNG_COLOR_TYPE_RGB_ALPHA);
    Load(io, file);
    ASSERT_FALSE(io.AbortFlag);
    TIEBitmap& loaded = *io.IEBitmap();
    EXPECT_TRUE(SamePixels(original, loaded));
    ASSERT_TRUE(loaded.HasAlphaPlane());
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(loaded.GetAlpha(x, y), x * 12 + y);
    EXPECT_EQ(io.Params().SamplesPerPixel, 4);
    // Saving the loaded picture writes RGBA again.
    EXPECT_EQ(pngtest::StoredColorType(Save(io)), PNG_COLOR_TYPE_RGB_ALPHA);
}

TEST(PngCodec, PaletteWithMaskMakesEntryZeroTransparent) {
    TIEImageIO io;
    TIEBitmap& bitmap = *io.IEBitmap();
    bitmap.Setup(12, 5, ie24RGB);
    PaintFewColours(bitmap);
    for (int x = 0; x < 12; ++x)
        bitmap.SetAlpha(x, 2, 0);
    io.Params().SamplesPerPixel = 1;
    io.Params().BitsPerSample = 8;
    const std::vector<uint8_t> file = Save(io);
    EXPECT_EQ(pngtest::StoredColorType(file), PNG_COLOR_TYPE_PALETTE);
    TIEBitmap original;
    original.CopyFrom(bitmap);
    Load(io, file);
    TIEBitmap& loaded = *io.IEBitmap();
    ASSERT_TRUE(loaded.HasAlphaPlane());
    for (int x = 0; x < 12; ++x) {
        EXPECT_EQ(loaded.GetAlpha(x, 2), 0);
        EXPECT_EQ(loaded.GetAlpha(x, 1), 255);
        EXPECT_EQ(loaded.ReadAsRGB(x, 1), original.ReadAsRGB(x, 1));
    }
}

TEST(PngCodec, InterlacedFileRoundTrips) {
    TIEImageIO io;
    io.IEBitmap()->Setup(33, 19, ie24RGB);
    PaintColours(*io.IEBitmap());
    for (int x = 0; x < 33; ++x)
        io.IEBitmap()->SetAlpha(x, 3, 77);
    TIEBitmap original;
    original.CopyFrom(*io.IEBitmap());
    io.Params().PngInterlaced = true;
    const std::vector<uint8_t> file = Save(io);
    io.Params().PngInterlaced = false;
    Load(io, file);
    ASSERT_FALSE(io.AbortFlag);
    EXPECT_TRUE(io.Params().PngInterlaced);
    EXPECT_TRUE(SamePixels(original, *io.IEBitmap()));
    EXPECT_EQ(io.IEBitmap()->GetAlpha(5, 3), 77);
    EXPECT_EQ(io.IEBitmap()->GetAlpha(5, 4), 255);
}

TEST(PngCodec, FourBitGreyLoadsAsRgbWithItsDepth) {
    TPngSpec spec;
    spec.ColorType = PNG_COLOR_TYPE_GRAY;
    spec.Depth = 4;
    spec.Width = 4;
    spec.Height = 1;
    spec.Rows = {{0x0F, 0x5A}}; // 0, 15, 5, 10
    TIEImageIO io;
    Load(io, MakePng(spec));
    ASSERT_FALSE(io.AbortFlag);
    EXPECT_EQ(io.IEBitmap()->PixelFormat(), ie24RGB);
    EXPECT_EQ(io.Params().BitsPerSample, 4);
    EXPECT_EQ(io.Params().SamplesPerPixel, 1);
    const int expected[] = {0, 255, 85, 170};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(io.IEBitmap()->ReadAsRGB(x, 0), MakeRGB(expected[x], expected[x], expected[x]));
}

TEST(PngCodec, PaletteWithTrnsLoadsWithAlpha) {
    for (const int depth : {1, 4, 8}) {
        TPngSpec spec;
        spec.ColorType = PNG_COLOR_TYPE_PALETTE;
        spec.Depth = depth;
        spec.Width = 8;
        spec.Height = 1;
        spec.Palette = {{10, 20, 30}, {200, 100, 50}};
        spec.PaletteAlpha = {0, 128};
        // Pixels alternate between entries 1 and 0.
        if (depth == 1) spec.Rows = {{0xAA}};
        if (depth == 4) spec.Rows = {{0x10, 0x10, 0x10, 0x10}};
        if (depth == 8) spec.Rows = {{1, 0, 1, 0, 1, 0, 1, 0}};
        TIEImageIO io;
        Load(io, MakePng(spec));
        ASSERT_FALSE(io.AbortFlag) << depth;
        TIEBitmap& b = *io.IEBitmap();
        ASSERT_TRUE(b.HasAlphaPlane()) << depth;
        EXPECT_EQ(b.GetAlpha(0, 0), 128) << depth;
        EXPECT_EQ(b.GetAlpha(1, 0), 0) << depth;
        EXPECT_EQ(b.ReadAsRGB(0, 0), MakeRGB(200, 100, 50)) << depth;
        EXPECT_EQ(io.Params().PaletteCount(), 2);
    }
}

TEST(PngCodec, NativeFormatKeepsPaletteAndSixteenBitGrey) {
    TPngSpec palette;
    palette.ColorType = PNG_COLOR_TYPE_PALETTE;
    palette.Width = 3;
    palette.Height = 1;
    palette.Palette = {{10, 20, 30}, {200, 100, 50}, {1, 2, 3}};
    palette.PaletteAlpha = {255, 0};
    palette.Rows = {{2, 1, 0}};
    TIEImageIO io;
    io.SetNativePixelFormat(true);
    Load(io, MakePng(palette));
    ASSERT_FALSE(io.AbortFlag);
    TIEBitmap& b = *io.IEBitmap();
    ASSERT_EQ(b.PixelFormat(), ie8p);
    EXPECT_EQ(b.GetByte(0, 0), 2);
    EXPECT_EQ(b.GetPaletteColor(1), MakeRGB(200, 100, 50));
    ASSERT_TRUE(b.HasAlphaPlane());
    EXPECT_EQ(b.GetAlpha(1, 0), 0);
    EXPECT_EQ(b.GetAlpha(0, 0), 255);

    TPngSpec grey;
    grey.ColorType = PNG_COLOR_TYPE_GRAY;
    grey.Depth = 16;
    grey.Width = 2;
    grey.Height = 1;
    grey.Rows = {{0x12, 0x34, 0xFF, 0x01}};
    Load(io, MakePng(grey));
    ASSERT_FALSE(io.AbortFlag);
    ASSERT_EQ(io.IEBitmap()->PixelFormat(), ie16g);
    EXPECT_EQ(io.IEBitmap()->GetWord(0, 0), 0x1234);
    EXPECT_EQ(io.IEBitmap()->GetWord(1, 0), 0xFF01);
}

TEST(PngCodec, ResolutionFromPhysOrDefault) {
    TPngSpec spec;
    spec.Width = 1;
    spec.Height = 1;
    spec.Rows = {{1, 2, 3}};
    TIEImageIO io;
    Load(io, MakePng(spec));
    EXPECT_EQ(io.Params().ResolutionX(), 300);
    spec.PixelsPerMetre = 2835; // 72.009 dpi
    Load(io, MakePng(spec));
    EXPECT_EQ(io.Params().ResolutionX(), 72);
    spec.PixelsPerMetre = 11811;
    Load(io, MakePng(spec));
    EXPECT_EQ(io.Params().ResolutionY(), 300);
}

TEST(PngCodec, TextBackgroundAndResolutionRoundTrip) {
    TIEImageIO io;
    io.IEBitmap()->Setup(3, 3, ie24RGB);
    PaintColours(*io.IEBitmap());
    TIOParamsVals& params = io.Params();
    params.PngTextKeys = {"Title", "Author", ""};
    params.PngTextValues = {"A picture", "Somebody", "left out: no keyword"};
    params.PngBackground = MakeRGB(1, 2, 3);
    params.SetResolutionX(150);
    params.SetResolutionY(96);
    const std::vector<uint8_t> file = Save(io);
    params.PngBackground = TRGB{};
    Load(io, file);
    ASSERT_FALSE(io.AbortFlag);
    EXPECT_EQ(params.PngTextKeys, (std::vector<std::string>{"Title", "Author"}));
    EXPECT_EQ(params.PngTextValues, (std::vector<std::string>{"A picture", "Somebody"}));
    EXPECT_EQ(params.PngBackground, MakeRGB(1, 2, 3));
    EXPECT_EQ(params.ResolutionX(), 150);
    EXPECT_EQ(params.ResolutionY(), 96);
}

TEST(PngCodec, TruncatedFileKeepsDecodedRowsAndZeroesTheRest) {
    TIEImageIO io;
    io.IEBitmap()->Setup(64, 64, ie24RGB);
    PaintColours(*io.IEBitmap());
    io.Params().PngCompression = 0;
    std::vector<uint8_t> file = Save(io);
    file.resize(file.size() / 2);
    Load(io, file);
    EXPECT_TRUE(io.AbortFlag);
    TIEBitmap& b = *io.IEBitmap();
    ASSERT_EQ(b.Height(), 64);
    EXPECT_EQ(b.ReadAsRGB(5, 2), MakeRGB(45, 26, 10));
    EXPECT_EQ(b.ReadAsRGB(63, 20), MakeRGB(55, 4, 236));
    EXPECT_EQ(b.ReadAsRGB(5, 63), TRGB{});
}

TEST(PngCodec, CorruptFilesFailWithoutThrowing) {
    TIEImageIO io;
    io.IEBitmap()->Setup(8, 8, ie24RGB);
    std::vector<uint8_t> file = Save(io);
    for (size_t at : {size_t{0}, size_t{12}, size_t{20}, file.size() - 10}) {
        std::vector<uint8_t> bad = file;
        bad[at] ^= 0x55;
        EXPECT_NO_THROW(Load(io, bad));
        EXPECT_TRUE(io.AbortFlag) << at;
    }
    EXPECT_NO_THROW(Load(io, {}));
    EXPECT_TRUE(io.AbortFlag);
}

TEST(PngCodec, ParametersOnlyLeaveTheBitmap) {
    TPngSpec spec;
    spec.Width = 2;
    spec.Height = 1;
    spec.Rows = {{1, 2, 3, 4, 5, 6}};
    const std::vector<uint8_t> file = MakePng(spec);
    TIEImageIO io;
    io.IEBitmap()->Setup(5, 5, ie8g);
    TSpanStream stream(std::span<const uint8_t>(file.data(), file.size()));
    io.ReadStreamParamsByFormat(stream, iofPNG);
    EXPECT_FALSE(io.AbortFlag);
    EXPECT_EQ(io.Params().Width, 2);
    EXPECT_EQ(io.IEBitmap()->Width(), 5);
}

TEST(PngCodec, WriterErrorRaisesAndLeavesTheOldFile) {
    const auto path = std::filesystem::temp_directory_path() / "vellinor-png-writer-error.png";
    {
        std::ofstream old(path, std::ios::binary);
        old << "old contents";
    }
    TIEImageIO io;
    // Wider than libpng accepts.
    ASSERT_TRUE(io.IEBitmap()->Setup(1'000'001, 1, ie24RGB));
    EXPECT_THROW(io.SaveFile(path.string()), EInvalidGraphic);
    std::ifstream in(path, std::ios::binary);
    const std::string contents{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(contents, "old contents");
    std::filesystem::remove(path);
}

TEST(PngCodec, RefusingStreamRaisesTheAbortFlag) {
    TIEImageIO io;
    io.IEBitmap()->Setup(40, 40, ie24RGB);
    PaintColours(*io.IEBitmap());
    std::vector<uint8_t> small(100);
    TSpanStream stream(std::span<uint8_t>(small.data(), small.size()));
    io.SaveStreamByFormat(stream, iofPNG);
    EXPECT_TRUE(io.AbortFlag);
}

TEST(PngCodec, CountingStreamGivesTheSizeOfTheFile) {
    TIEImageIO io;
    io.IEBitmap()->Setup(40, 40, ie24RGB);
    PaintColours(*io.IEBitmap());
    TCountingStream counting;
    io.SaveStreamByFormat(counting, iofPNG);
    EXPECT_FALSE(io.AbortFlag);
    EXPECT_EQ(counting.Size(), static_cast<int64_t>(Save(io).size()));
}

TEST(PngCodec, ProgressRisesToOneHundred) {
    TIEImageIO io;
    io.IEBitmap()->Setup(10, 50, ie24RGB);
    const std::vector<uint8_t> file = Save(io);
    std::vector<int> seen;
    io.OnProgress = [&](TIEImageIO&, int percent) { seen.push_back(percent); };
    Load(io, file);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 100);
    EXPECT_GT(seen.size(), 10u);
}

TEST(PngCodec, ProbeRecognisesTheSignatureAndRestoresThePosition) {
    TIEImageIO io;
    io.IEBitmap()->Setup(1, 1, ie24RGB);
    std::vector<uint8_t> file = Save(io);
    TMemoryStream stream(file);
    EXPECT_TRUE(IsPngStream(stream));
    EXPECT_EQ(stream.Position(), 0);
    file[1] = 'X';
    TMemoryStream other(file);
    EXPECT_FALSE(IsPngStream(other));
}

} // namespace
} // namespace vellinor
