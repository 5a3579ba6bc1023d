#include "GifFixtures.h"
#include "image/TIEBitmap.h"
#include "image/TIEMask.h"
#include "io/TIEImageIO.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/gif/GifCodec.h"
#include "platform/BufferedStream.h"
#include "platform/Stream.h"

#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <set>

namespace vellinor {
namespace {

using testing::Rgb;

struct TWritten {
    bool Aborted = false;
    std::vector<uint8_t> Bytes;
    std::vector<int> Reported;
};

TWritten Write(TIEBitmap& bitmap, TIOParamsVals& params) {
    TWritten result;
    TMemoryStream stream;
    TIOProgressRec progress;
    progress.AbortFlagRef = &result.Aborted;
    progress.ProgressProc = [&](void*, int percent) { result.Reported.push_back(percent); };
    WriteGifStream(stream, bitmap, params, progress);
    result.Bytes = stream.Data();
    return result;
}

struct TReadBack {
    bool Aborted = false;
    TIEBitmap Bitmap;
    TIOParamsVals Params;
    std::unique_ptr<TIEMask> Mask;
};

std::unique_ptr<TReadBack> ReadBack(const std::vector<uint8_t>& bytes, bool native) {
    auto back = std::make_unique<TReadBack>();
    back->Params.NativeFormat = native;
    TMemoryStream stream(bytes);
    TIOProgressRec progress;
    progress.AbortFlagRef = &back->Aborted;
    int frames = 0;
    ReadGifStream(stream, back->Bitmap, frames, back->Params, progress, false, back->Mask, false);
    return back;
}

// A picture with `colors` distinct colours spread over it.
void FillWithColours(TIEBitmap& bitmap, int width, int height, int colors) {
    bitmap.Setup(width, height, ie24RGB);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int i = (x * 7 + y * 13) % colors;
            bitmap.SetRGB(x, y,
                          Rgb(static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i),
                              static_cast<uint8_t>(255 - i)));
        }
}

// Many colours: a quantizer has to choose.
void FillWithGradient(TIEBitmap& bitmap, int width, int height) {
    bitmap.Setup(width, height, ie24RGB);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetRGB(x, y,
                          Rgb(static_cast<uint8_t>(x * 255 / width),
                              static_cast<uint8_t>(y * 255 / height),
                              static_cast<uint8_t>((x + y) & 255)));
}

bool SamePixels(TIEBitmap& a, TIEBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (!(a.ReadAsRGB(x, y) == b.ReadAsRGB(x, y))) return false;
    return true;
}

TEST(GifWriter, RoundTripsAtEveryBitDepth) {
    for (int bits = 1; bits <= 8; ++bits) {
        SCOPED_TRACE(::testing::Message() << "BitsPerSample " << bits);
        TIEBitmap picture;
        TIOParamsVals params;
        params.BitsPerSample = bits;
        if (bits == 1) {
            // Two colours: kept, the darker (blue) first.
            FillWithColours(picture, 37, 11, 2);
        } else {
            FillWithColours(picture, 61, 23, 1 << bits);
        }
        const TWritten written = Write(picture, params);
        ASSERT_FALSE(written.Aborted);
        EXPECT_EQ(written.Reported, (std::vector<int>{0, 30, 70, 100}));
        EXPECT_EQ(written.Bytes[10], 0x80 + (bits - 1) * 16 + (bits - 1));
        const auto back = ReadBack(written.Bytes, false);
        ASSERT_FALSE(back->Aborted);
        EXPECT_EQ(back->Params.BitsPerSample, bits);
        EXPECT_TRUE(SamePixels(picture, back->Bitmap));
        if (bits == 1) {
            ASSERT_EQ(back->Params.PaletteCount(), 2);
            EXPECT_EQ(back->Params.Palette[0], picture.GetRGB(0, 0)) << "darker colour at 0";
        }
    }
}

TEST(GifWriter, BilevelAndPaletteSourcesKeepTheirPixels) {
    TIOParamsVals params;
    TIEBitmap bilevel(19, 5, ie1g);
    for (int x = 0; x < 19; x += 3)
        bilevel.SetBit(x, x % 5, true);
    for (int bits : {1, 8}) {
        params.BitsPerSample = bits;
        const auto back = ReadBack(Write(bilevel, params).Bytes, false);
        EXPECT_EQ(back->Bitmap.PixelFormat(), bits == 1 ? ie1g : ie24RGB);
        EXPECT_TRUE(SamePixels(bilevel, back->Bitmap)) << bits;
    }

    // An ie8p picture's own indexes, unless they do not fit the colours written.
    TIEBitmap indexed(16, 16, ie8p);
    for (int i = 0; i < 256; ++i)
        indexed.SetPaletteColor(i, Rgb(static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 9));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            indexed.Row(y)[x] = static_cast<uint8_t>(y * 16 + x);
    params.BitsPerSample = 8;
    auto back = ReadBack(Write(indexed, params).Bytes, true);
    ASSERT_EQ(back->Bitmap.PixelFormat(), ie8p);
    EXPECT_EQ(back->Bitmap.Row(3)[5], 3 * 16 + 5);
    EXPECT_TRUE(SamePixels(indexed, back->Bitmap));
    params.BitsPerSample = 4;
    back = ReadBack(Write(indexed, params).Bytes, true);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_LT(back->Bitmap.Row(y)[x], 16);
}

TEST(GifWriter, AlphaPlaneBecomesTheLastIndexAt8Bits) {
    TIEBitmap picture;
    FillWithGradient(picture, 64, 48);
    TIEBitmap* alpha = picture.AlphaPlane();
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            alpha->Row(y)[x] = x < 10 ? 0 : x < 12 ? 254 : 255;
    TIOParamsVals params;
    params.BitsPerSample = 8;
    const TWritten written = Write(picture, params);
    ASSERT_FALSE(written.Aborted);
    EXPECT_TRUE(params.GifTransparent);
    EXPECT_EQ(written.Bytes[10], 0xF7) << "a full 256-entry table";
    // Graphic control block right after header and table.
    const size_t control = 13 + 3 * 256;
    ASSERT_EQ(written.Bytes[control], 0x21);
    ASSERT_EQ(written.Bytes[control + 1], 0xF9);
    EXPECT_EQ(written.Bytes[control + 3] & 1, 1);
    EXPECT_EQ(written.Bytes[control + 6], 255);

    const auto back = ReadBack(written.Bytes, true);
    ASSERT_FALSE(back->Aborted);
    ASSERT_NE(back->Mask, nullptr);
    std::set<int> opaqueIndexes;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const int index = back->Bitmap.Row(y)[x];
            if (x < 12) {
                ASSERT_EQ(index, 255) << x << "," << y;
                ASSERT_EQ(back->Mask->GetPixel(x, y), 0);
            } else {
                ASSERT_LT(index, 255) << x << "," << y;
                opaqueIndexes.insert(index);
            }
        }
    EXPECT_GT(opaqueIndexes.size(), 128u) << "the 255 colours are used";
}

TEST(GifWriter, TransparencyComesFromTheAlphaPlaneOnly) {
    // A flag left by an earlier file must not make this picture's black transparent.
    TIEBitmap picture;
    FillWithColours(picture, 8, 8, 4);
    picture.SetRGB(0, 0, Rgb(0, 0, 0));
    TIOParamsVals params;
    params.GifTransparent = true;
    params.GifTransparentColor = Rgb(0, 0, 0);
    const TWritten written = Write(picture, params);
    EXPECT_FALSE(params.GifTransparent);
    const auto back = ReadBack(written.Bytes, false);
    EXPECT_FALSE(back->Params.GifTransparent);
    EXPECT_EQ(back->Mask, nullptr);
}

TEST(GifWriter, CommentBlockIsAlwaysWrittenBeforeTheTrailer) {
    TIEBitmap picture;
    FillWithColours(picture, 5, 5, 3);
    TIOParamsVals params;
    auto written = Write(picture, params);
    ASSERT_GE(written.Bytes.size(), 4u);
    EXPECT_EQ(std::vector<uint8_t>(written.Bytes.end() - 4, written.Bytes.end()),
              (std::vector<uint8_t>{0x21, 0xFE, 0x00, 0x3B}));

    // Long comments go in several sub-blocks; an empty one is left out, as
    // its zero length would end the block.
    params.GifComments = {"made here", "", std::string(400, 'c')};
    written = Write(picture, params);
    const std::vector<uint8_t> tail = {0x21, 0xFE, 9,   'm', 'a', 'd', 'e',
                                       ' ',  'h',  'e', 'r', 'e', 255};
    const auto at =
        std::search(written.Bytes.begin(), written.Bytes.end(), tail.begin(), tail.end());
    ASSERT_NE(at, written.Bytes.end());
    EXPECT_EQ(static_cast<size_t>(written.Bytes.end() - at), tail.size() + 255 + 1 + 145 + 2);
    const auto back = ReadBack(written.Bytes, false);
    ASSERT_FALSE(back->Aborted);
    EXPECT_EQ(
        back->Params.GifComments,
        (std::vector<std::string>{"made here", std::string(255, 'c'), std::string(145, 'c')}));
}

TEST(GifWriter, InterlacedWriteReadsBackTheSameIndexes) {
    TIEBitmap indexed(23, 37, ie8p);
    for (int i = 0; i < 32; ++i)
        indexed.SetPaletteColor(i, Rgb(static_cast<uint8_t>(i * 8), 0, 0));
    for (int y = 0; y < 37; ++y)
        for (int x = 0; x < 23; ++x)
            indexed.Row(y)[x] = static_cast<uint8_t>((x + 3 * y) % 32);
    TIOParamsVals params;
    params.BitsPerSample = 5;
    params.GifInterlaced = true;
    const auto written = Write(indexed, params);
    EXPECT_EQ(written.Bytes[13 + 3 * 32 + 8 + 9] & 0x40, 0x40) << "descriptor flag";
    const auto back = ReadBack(written.Bytes, true);
    ASSERT_FALSE(back->Aborted);
    EXPECT_TRUE(back->Params.GifInterlaced);
    for (int y = 0; y < 37; ++y)
        ASSERT_EQ(0, std::memcmp(back->Bitmap.Row(y), indexed.Row(y), 23)) << "row " << y;
}

TEST(GifWriter, WritesAlikeIntoCountingAndMemoryStreams) {
    TIEBitmap picture;
    FillWithGradient(picture, 120, 80);
    TIOParamsVals params;
    const TWritten written = Write(picture, params);
    TCountingStream counting;
    bool aborted = false;
    TIOProgressRec progress;
    progress.AbortFlagRef = &aborted;
    WriteGifStream(counting, picture, params, progress);
    EXPECT_FALSE(aborted);
    EXPECT_EQ(counting.Size(), static_cast<int64_t>(written.Bytes.size()));
}

TEST(GifWriter, FailuresRaiseTheAbortFlag) {
    TIEBitmap picture;
    FillWithGradient(picture, 100, 100);
    TIOParamsVals params;
    bool aborted = false;
    TIOProgressRec progress;
    progress.AbortFlagRef = &aborted;
    {
        SCOPED_TRACE("the stream is full within the image data");
        std::vector<uint8_t> room(2000);
        TSpanStream full{std::span<uint8_t>(room)};
        WriteGifStream(full, picture, params, progress);
        EXPECT_TRUE(aborted);
    }
    {
        SCOPED_TRACE("no LZW compressor");
        aborted = false;
        const TGifLzwCompressor saved = DefaultGifLzwCompressor;
        DefaultGifLzwCompressor = nullptr;
        params.GifLzwCompressor = nullptr;
        TMemoryStream stream;
        WriteGifStream(stream, picture, params, progress);
        DefaultGifLzwCompressor = saved;
        EXPECT_TRUE(aborted);
    }
    {
        SCOPED_TRACE("an empty bitmap");
        aborted = false;
        TIEBitmap empty;
        TMemoryStream stream;
        WriteGifStream(stream, empty, params, progress);
        EXPECT_TRUE(aborted);
    }
}

TEST(GifWriter, SavesAndLoadsThroughTheFrontEnd) {
    const std::string name = ::testing::TempDir() + "/vellinor_gif_front_end.gif";
    TIEImageIO io;
    FillWithColours(*io.IEBitmap(), 40, 30, 100);
    io.Params().GifXPos = 7;
    io.SaveFile(name);
    ASSERT_FALSE(io.AbortFlag);
    TIEImageIO reader;
    reader.LoadFile(name);
    std::remove(name.c_str());
    ASSERT_FALSE(reader.AbortFlag);
    EXPECT_TRUE(SamePixels(*io.IEBitmap(), *reader.IEBitmap()));
    EXPECT_EQ(reader.Params().GifXPos, 7);
    EXPECT_EQ(reader.Params().GifScreenWidth, 47) << "the screen holds the image at its place";
    EXPECT_EQ(reader.Params().FileFormat, iofGIF);
}

} // namespace
} // namespace vellinor
