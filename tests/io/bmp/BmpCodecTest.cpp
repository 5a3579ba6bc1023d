// The BMP reader and writer: header kinds, bit counts, RLE, palettes, alpha,
// the writer's choices, and the guards against hostile headers.

#include "io/bmp/BmpCodec.h"

#include "image/TIEBitmap.h"
#include "image/TIEMask.h"
#include "io/TIEImageIO.h"
#include "io/bmp/BmpRle.h"
#include "platform/Stream.h"
#include "tests/io/bmp/BmpFixture.h"

#include <gtest/gtest.h>
#include <random>

namespace vellinor {
namespace {

using testing::TBmpFixture;

std::vector<uint8_t> Quad(uint8_t r, uint8_t g, uint8_t b) {
    return {b, g, r, 0};
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Loads through the front end, as LoadFile does.
struct TLoaded {
    TIEImageIO io;
    TIEBitmap& Bitmap() { return *io.IEBitmap(); }
};

std::unique_ptr<TLoaded> Load(const std::vector<uint8_t>& bytes, bool keepAlpha = false,
                              bool native = false) {
    auto loaded = std::make_unique<TLoaded>();
    loaded->io.Params().BmpKeepAlpha = keepAlpha;
    loaded->io.SetNativePixelFormat(native);
    loaded->io.LoadBuffer(bytes, iofBMP);
    return loaded;
}

std::vector<uint8_t> Save(TIEBitmap& bitmap, TIOParamsVals& params, bool keepAlpha = false) {
    TMemoryStream out;
    bool abort = false;
    TIOProgressRec progress;
    progress.AbortFlagRef = &abort;
    WriteBmpStream(out, bitmap, params, keepAlpha, progress);
    EXPECT_FALSE(abort);
    return out.Data();
}

void ExpectSamePixels(TIEBitmap& a, TIEBitmap& b) {
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            ASSERT_EQ(a.ReadAsRGB(x, y), b.ReadAsRGB(x, y)) << x << "," << y;
}

// 2 x 2, 32 bits, bottom-up rows: bottom (red a1, green a2), top (blue a3, white a4).
TBmpFixture ThirtyTwoBit(uint8_t a1, uint8_t a2, uint8_t a3, uint8_t a4) {
    TBmpFixture f;
    f.BitCount = 32;
    f.Pixels = {0, 0, 255, a1, 0, 255, 0, a2, 255, 0, 0, a3, 255, 255, 255, a4};
    return f;
}

TEST(BmpReader, TopDownEqualsBottomUpIncludingAlpha) {
    TBmpFixture bottomUp = ThirtyTwoBit(10, 20, 30, 40);
    TBmpFixture topDown = bottomUp;
    topDown.Height = -2;
    // The same picture with the rows in the other order.
    topDown.Pixels = {255, 0, 0, 30, 255, 255, 255, 40, 0, 0, 255, 10, 0, 255, 0, 20};
    auto a = Load(bottomUp.Bytes(), true);
    auto b = Load(topDown.Bytes(), true);
    ASSERT_FALSE(a->io.AbortFlag);
    ASSERT_FALSE(b->io.AbortFlag);
    ExpectSamePixels(a->Bitmap(), b->Bitmap());
    EXPECT_EQ(a->Bitmap().ReadAsRGB(0, 1), MakeRGB(255, 0, 0));
    EXPECT_EQ(a->Bitmap().ReadAsRGB(1, 0), MakeRGB(255, 255, 255));
    ASSERT_TRUE(a->Bitmap().HasAlphaPlane());
    ASSERT_TRUE(b->Bitmap().HasAlphaPlane());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(a->Bitmap().GetAlpha(x, y), b->Bitmap().GetAlpha(x, y));
    EXPECT_EQ(a->Bitmap().GetAlpha(0, 1), 10);
    EXPECT_EQ(a->Bitmap().GetAlpha(1, 0), 40);
    EXPECT_EQ(a->io.Params().BitsPerSample, 8);
    EXPECT_EQ(a->io.Params().SamplesPerPixel, 4);
}

TEST(BmpReader, FourthBytesAllZeroOrAllOpaqueGiveNoAlpha) {
    for (uint8_t value : {uint8_t{0}, uint8_t{255}}) {
        auto loaded = Load(ThirtyTwoBit(value, value, value, value).Bytes(), true);
        ASSERT_FALSE(loaded->io.AbortFlag);
        EXPECT_FALSE(loaded->Bitmap().HasAlphaPlane()) << int(value);
        EXPECT_EQ(loaded->Bitmap().ReadAsRGB(0, 0), MakeRGB(0, 0, 255));
    }
    // Without BmpKeepAlpha the fourth byte is ignored.
    EXPECT_FALSE(Load(ThirtyTwoBit(1, 2, 3, 4).Bytes(), false)->Bitmap().HasAlphaPlane());
}

TEST(BmpReader, OneBitPalettes) {
    TBmpFixture f;
    f.BitCount = 1;
    f.Width = 3;
    f.Height = 1;
    f.Pixels = {0b10100000, 0, 0, 0};
    struct TCase {
        TRGB Entry0, Entry1;
        TIEPixelFormat Format;
        TRGB Left, Middle;
    };
    const TRGB black = MakeRGB(0, 0, 0), white = MakeRGB(255, 255, 255);
    const TRGB red = MakeRGB(255, 0, 0), blue = MakeRGB(0, 0, 255);
    const TCase cases[] = {
        {black, white, ie1g, white, black}, // unchanged
        {white, black, ie1g, black, white}, // inverted so that 1 means white
        {red, blue, ie24RGB, blue, red},    // any other pair keeps its colours
    };
    for (const TCase& c : cases) {
        f.Palette = Concat(
            {Quad(c.Entry0.r, c.Entry0.g, c.Entry0.b), Quad(c.Entry1.r, c.Entry1.g, c.Entry1.b)});
        auto loaded = Load(f.Bytes());
        ASSERT_FALSE(loaded->io.AbortFlag);
        TIEBitmap& b = loaded->Bitmap();
        EXPECT_EQ(b.PixelFormat(), c.Format);
        EXPECT_EQ(b.ReadAsRGB(0, 0), c.Left);
        EXPECT_EQ(b.ReadAsRGB(1, 0), c.Middle);
        EXPECT_EQ(b.ReadAsRGB(2, 0), c.Left);
    }
    // Natively, the coloured pair is an indexed picture with the file's palette.
    auto native = Load(f.Bytes(), false, true);
    EXPECT_EQ(native->Bitmap().PixelFormat(), ie8p);
    EXPECT_EQ(native->Bitmap().ReadAsRGB(0, 0), blue);
    EXPECT_EQ(native->Bitmap().GetPaletteColor(0), red);
}

TEST(BmpReader, LongHeadersAreFollowedByTheirPalette) {
    for (int headerSize : {52, 56, 64, 108, 124}) {
        TBmpFixture f;
        f.HeaderSize = headerSize;
        f.BitCount = 8;
        f.Width = 2;
        f.Height = 1;
        f.ColorsUsed = 2;
        f.Palette = Concat({Quad(10, 20, 30), Quad(200, 100, 50)});
        f.Pixels = {1, 0, 0, 0};
        auto loaded = Load(f.Bytes());
        ASSERT_FALSE(loaded->io.AbortFlag) << headerSize;
        EXPECT_EQ(loaded->Bitmap().ReadAsRGB(0, 0), MakeRGB(200, 100, 50)) << headerSize;
        EXPECT_EQ(loaded->Bitmap().ReadAsRGB(1, 0), MakeRGB(10, 20, 30)) << headerSize;
        EXPECT_EQ(loaded->io.Params().PaletteCount(), 2);
        EXPECT_EQ(loaded->io.Params().BmpVersion, headerSize == 64 ? 3 : 0);
    }
}

TEST(BmpReader, CoreHeaderWithThreeBytePalette) {
    TBmpFixture f;
    f.HeaderSize = 12;
    f.BitCount = 1;
    f.Width = 1;
    f.Height = 1;
    f.Palette = {0, 0, 255, 0, 255, 0}; // red, green
    f.Pixels = {0x80, 0, 0, 0};
    auto loaded = Load(f.Bytes());
    ASSERT_FALSE(loaded->io.AbortFlag);
    EXPECT_EQ(loaded->io.Params().BmpVersion, 2);
    EXPECT_EQ(loaded->Bitmap().ReadAsRGB(0, 0), MakeRGB(0, 255, 0));
}

TEST(BmpReader, SixteenBitsFiveFiveFiveAndBitFields) {
    TBmpFixture f;
    f.BitCount = 16;
    f.Width = 2;
    f.Height = 1;
    f.Pixels = {0x00, 0x7C, 0x1F, 0x00}; // 555: red, blue
    auto loaded = Load(f.Bytes());
    EXPECT_EQ(loaded->Bitmap().ReadAsRGB(0, 0), MakeRGB(248, 0, 0));
    EXPECT_EQ(loaded->Bitmap().ReadAsRGB(1, 0), MakeRGB(0, 0, 248));
    EXPECT_EQ(loaded->io.Params().BitsPerSample, 5);
    f.Compression = 3;
    f.Masks = {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0}; // 565
    f.Pixels = {0xE0, 0x07, 0x00, 0xF8};                           // green, red
    loaded = Load(f.Bytes());
    EXPECT_EQ(loaded->Bitmap().ReadAsRGB(0, 0), MakeRGB(0, 252, 0));
    EXPECT_EQ(loaded->Bitmap().ReadAsRGB(1, 0), MakeRGB(248, 0, 0));
}

TEST(BmpReader, RleDeltaContinuesToTheRight) {
    TBmpFixture f;
    f.BitCount = 8;
    f.Compression = 1;
    f.Width = 6;
    f.Height = 2;
    f.ColorsUsed = 3;
    f.Palette = Concat({Quad(0, 0, 0), Quad(255, 0, 0), Quad(0, 255, 0)});
    // Bottom row: 2 x index 1, delta (2, 0), 1 x index 2; end of line; top
    // row: absolute run 1 2 1; end of bitmap.
    f.Pixels = {2, 1, 0, 2, 2, 0, 1, 2, 0, 0, 0, 3, 1, 2, 1, 0, 0, 1};
    auto loaded = Load(f.Bytes());
    ASSERT_FALSE(loaded->io.AbortFlag);
    TIEBitmap& b = loaded->Bitmap();
    const TRGB black = MakeRGB(0, 0, 0), red = MakeRGB(255, 0, 0), green = MakeRGB(0, 255, 0);
    const TRGB bottom[6] = {red, red, black, black, green, black};
    const TRGB top[6] = {red, green, red, black, black, black};
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(b.ReadAsRGB(x, 1), bottom[x]) << x;
        EXPECT_EQ(b.ReadAsRGB(x, 0), top[x]) << x;
    }
    EXPECT_EQ(loaded->io.Params().BmpCompression, 1);
}

TEST(BmpReader, Rle4RunsAlternateNibbles) {
    TBmpFixture f;
    f.BitCount = 4;
    f.Compression = 2;
    f.Width = 5;
    f.Height = 1;
    f.ColorsUsed = 2;
    f.Palette = Concat({Quad(0, 0, 0), Quad(255, 255, 255)});
    f.Pixels = {5, 0x10, 0, 1};
    auto loaded = Load(f.Bytes(), false, true);
    ASSERT_FALSE(loaded->io.AbortFlag);
    const uint8_t expected[5] = {1, 0, 1, 0, 1};
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(loaded->Bitmap().Row(0)[x], expected[x]);
}

TEST(BmpReader, ZeroSizeGivesParametersOnly) {
    TBmpFixture f;
    f.Width = 0;
    f.Height = 5;
    TIEImageIO io;
    io.IEBitmap()->Setup(3, 3, ie24RGB);
    io.LoadBuffer(f.Bytes(), iofBMP);
    EXPECT_FALSE(io.AbortFlag);
    EXPECT_EQ(io.IEBitmap()->Width(), 3); // untouched
    EXPECT_EQ(io.Params().Height, 5);
}

TEST(BmpReader, HostileHeadersFailCleanly) {
    // A giant picture announced by a file of a few bytes: refused, nothing allocated.
    TBmpFixture giant;
    giant.Width = 20000;
    giant.Height = 20000;
    giant.Pixels = {1, 2, 3, 4};
    auto loaded = Load(giant.Bytes());
    EXPECT_TRUE(loaded->io.AbortFlag);
    EXPECT_TRUE(loaded->Bitmap().IsVoid());
    // Above a gigapixel.
    giant.Width = 60000;
    EXPECT_TRUE(Load(giant.Bytes())->io.AbortFlag);
    // The same for RLE beyond its best ratio.
    giant.Width = 20000;
    giant.BitCount = 8;
    giant.Compression = 1;
    EXPECT_TRUE(Load(giant.Bytes())->io.AbortFlag);
    // Not a bitmap.
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(Load(png)->io.AbortFlag);
}

TEST(BmpReader, TruncatedFileKeepsTheRowsItHasAndZeroElsewhere) {
    TBmpFixture f;
    f.Width = 1;
    f.Height = 3;
    f.Pixels = {1, 2, 3, 0, 4, 5, 6, 0}; // two of three rows (bottom ones)
    auto loaded = Load(f.Bytes());
    TIEBitmap& b = loaded->Bitmap();
    ASSERT_EQ(b.Height(), 3);
    EXPECT_EQ(b.ReadAsRGB(0, 2), MakeRGB(3, 2, 1));
    EXPECT_EQ(b.ReadAsRGB(0, 1), MakeRGB(6, 5, 4));
    EXPECT_EQ(b.ReadAsRGB(0, 0), MakeRGB(0, 0, 0));
}

TEST(BmpReader, IndexesBeyondThePaletteReadBlack) {
    TBmpFixture f;
    f.BitCount = 8;
    f.Width = 2;
    f.Height = 1;
    f.ColorsUsed = 1;
    f.Palette = Quad(9, 9, 9);
    f.Pixels = {0, 200, 0, 0};
    auto loaded = Load(f.Bytes());
    EXPECT_EQ(loaded->Bitmap().ReadAsRGB(0, 0), MakeRGB(9, 9, 9));
    EXPECT_EQ(loaded->Bitmap().ReadAsRGB(1, 0), MakeRGB(0, 0, 0));
    // RLE runs past the right edge and below the last row stay inside.
    f.Compression = 1;
    f.Pixels = {255, 0, 0, 2, 0, 200, 255, 0, 0, 1};
    EXPECT_FALSE(Load(f.Bytes())->io.AbortFlag);
}

// A picture with many colours and a smooth alpha for the round trips.
std::unique_ptr<TIEBitmap> Picture(int width, int height) {
    auto b = std::make_unique<TIEBitmap>(width, height, ie24RGB);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b->SetRGB(x, y,
                      MakeRGB(static_cast<uint8_t>(x * 40), static_cast<uint8_t>(y * 30),
                              static_cast<uint8_t>(random() & 0xC0)));
    return b;
}

TEST(BmpWriter, RoundTripOfEveryBitCount) {
    struct TCase {
        int BitsPerSample, SamplesPerPixel, Version, Compression;
        bool Alpha;
        int ExpectedBits;
    };
    const TCase cases[] = {
        {8, 3, 1, 0, false, 24}, {8, 3, 1, 0, true, 32},  {8, 1, 1, 0, false, 8},
        {8, 1, 1, 1, false, 8},  {4, 1, 1, 0, false, 4},  {4, 1, 1, 1, false, 4},
        {1, 1, 1, 0, false, 1},  {8, 3, 2, 0, false, 24}, {8, 1, 2, 1, false, 8},
        {8, 3, 3, 0, false, 24},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.ExpectedBits << " bits, version " << c.Version
                                          << ", compression " << c.Compression);
        // Few enough colours for every palette size to hold them exactly.
        auto source = std::make_unique<TIEBitmap>(7, 5, ie24RGB);
        const int colours = c.ExpectedBits == 1 ? 2 : 5;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x) {
                const int k = (x + 2 * y) % colours;
                source->SetRGB(
                    x, y,
                    MakeRGB(static_cast<uint8_t>(k * 50), 0, static_cast<uint8_t>(255 - k * 50)));
            }
        if (c.Alpha)
            for (int x = 0; x < 7; ++x)
                source->SetAlpha(x, 2, static_cast<uint8_t>(x * 30));
        TIEImageIO writerIo;
        TIOParamsVals& params = writerIo.Params();
        params.BitsPerSample = c.BitsPerSample;
        params.SamplesPerPixel = c.SamplesPerPixel;
        params.BmpVersion = static_cast<uint8_t>(c.Version);
        params.BmpCompression = static_cast<uint8_t>(c.Compression);
        const std::vector<uint8_t> bytes = Save(*source, params, c.Alpha);
        ASSERT_GT(bytes.size(), 30u);
        const int headerBits = c.Version == 2 ? bytes[14 + 10] : bytes[14 + 14];
        EXPECT_EQ(headerBits, c.ExpectedBits);
        auto loaded = Load(bytes, c.Alpha);
        ASSERT_FALSE(loaded->io.AbortFlag);
        ExpectSamePixels(*source, loaded->Bitmap());
        EXPECT_EQ(loaded->io.Params().BmpCompression, c.Version == 2 ? 0 : c.Compression);
        if (c.Alpha) {
            ASSERT_TRUE(loaded->Bitmap().HasAlphaPlane());
            EXPECT_EQ(loaded->Bitmap().GetAlpha(3, 2), 90);
            EXPECT_EQ(loaded->Bitmap().GetAlpha(3, 1), 255);
        }
    }
}

TEST(BmpWriter, LargeTrueColourRoundTripThroughAFile) {
    auto source = Picture(1001, 333);
    TIEImageIO io;
    io.IEBitmap()->CopyFrom(*source);
    const std::string name = ::testing::TempDir() + "vellinor_bmp_roundtrip.BMP";
    io.SaveFile(name);
    ASSERT_FALSE(io.AbortFlag);
    TIEImageIO reader;
    reader.LoadFile(name);
    ASSERT_FALSE(reader.AbortFlag);
    ExpectSamePixels(*source, *reader.IEBitmap());
    EXPECT_EQ(reader.Params().FileFormat, iofBMP);
    std::remove(name.c_str());
}

TEST(BmpWriter, RleOutputEndsWithEndOfLineAndEndOfBitmap) {
    auto source = Picture(9, 3);
    TIEImageIO io;
    io.Params().BitsPerSample = 8;
    io.Params().SamplesPerPixel = 1;
    io.Params().BmpCompression = 1;
    const std::vector<uint8_t> bytes = Save(*source, io.Params());
    ASSERT_GE(bytes.size(), 4u);
    const std::vector<uint8_t> tail(bytes.end() - 4, bytes.end());
    EXPECT_EQ(tail, (std::vector<uint8_t>{0, 0, 0, 1}));
    EXPECT_EQ(bytes[14 + 16], 1); // BI_RLE8
}

TEST(BmpWriter, RleEncodingOfRunsAndLiterals) {
    std::vector<uint8_t> out;
    EncodeRle8Row(std::vector<uint8_t>{5, 5, 5, 1, 2, 3, 7}, out);
    EXPECT_EQ(out, (std::vector<uint8_t>{3, 5, 0, 4, 1, 2, 3, 7, 0, 0}));
    out.clear();
    EncodeRle4Row(std::vector<uint8_t>{1, 2, 3, 3, 3, 4}, out);
    EXPECT_EQ(out, (std::vector<uint8_t>{2, 0x12, 3, 0x33, 1, 0x40, 0, 0}));
    // Long literal stretches are cut at 255 pixels.
    std::vector<uint8_t> ramp(300);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<uint8_t>(i);
    out.clear();
    EncodeRle8Row(ramp, out);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 255);
}

TEST(BmpWriter, TwoColoursAsOneBitPutTheDarkerFirst) {
    TIEBitmap b(3, 1, ie24RGB);
    const TRGB light = MakeRGB(250, 240, 100), dark = MakeRGB(20, 40, 160);
    b.SetRGB(0, 0, light);
    b.SetRGB(1, 0, dark);
    b.SetRGB(2, 0, light);
    TIEImageIO io;
    io.Params().BitsPerSample = 1;
    io.Params().SamplesPerPixel = 1;
    const std::vector<uint8_t> bytes = Save(b, io.Params());
    const uint8_t* palette = bytes.data() + 14 + 40;
    EXPECT_EQ((TRGB{palette[0], palette[1], palette[2]}), dark);
    EXPECT_EQ((TRGB{palette[4], palette[5], palette[6]}), light);
    EXPECT_EQ(bytes[14 + 40 + 8] >> 5, 0b101); // light, dark, light
    auto loaded = Load(bytes);
    EXPECT_EQ(loaded->Bitmap().PixelFormat(), ie24RGB);
    ExpectSamePixels(b, loaded->Bitmap());
}

TEST(BmpWriter, AbortedWriteStopsEarly) {
    auto source = Picture(10, 10);
    TIEImageIO io;
    TMemoryStream out;
    bool abort = false;
    TIOProgressRec progress;
    progress.AbortFlagRef = &abort;
    int calls = 0;
    progress.ProgressProc = [&](void*, int) {
        if (++calls == 2) abort = true;
    };
    WriteBmpStream(out, *source, io.Params(), false, progress);
    EXPECT_TRUE(abort);
    EXPECT_LT(out.Data().size(), size_t{14 + 40 + 10 * 32});
}

} // namespace
} // namespace vellinor
