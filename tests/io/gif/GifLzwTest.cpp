#include "io/gif/GifLzw.h"

#include "GifFixtures.h"
#include "io/gif/GifInterlace.h"
#include "platform/Stream.h"

#include <gtest/gtest.h>
#include <random>

namespace vellinor {
namespace {

using testing::SubBlocks;
using testing::TLzwCodeBuilder;

std::vector<uint8_t> Encode(const std::vector<uint8_t>& indexes, int width, int height, int bits,
                            bool interlaced = false) {
    TMemoryStream stream;
    GifLzwCompress(stream, height, width, bits, indexes, interlaced);
    return stream.Data();
}

// Decodes bytes; returns false when the decoder put the stream back.
bool Decode(const std::vector<uint8_t>& bytes, int width, int height, std::vector<uint8_t>& out,
            bool interlaced = false, int64_t* endPosition = nullptr) {
    std::vector<uint8_t> file = {0xAA}; // data start at a non-zero position
    file.insert(file.end(), bytes.begin(), bytes.end());
    TMemoryStream stream(file);
    stream.SetPosition(1);
    out.assign(static_cast<size_t>(width) * height, 0xEE);
    GifLzwDecompress(stream, height, width, out, interlaced);
    if (endPosition != nullptr) *endPosition = stream.Position() - 1;
    return stream.Position() != 1;
}

std::vector<uint8_t> Noise(size_t count, int bits, unsigned seed, int runBias) {
    std::mt19937 random(seed);
    std::vector<uint8_t> v(count);
    uint8_t last = 0;
    for (auto& x : v) {
        if (static_cast<int>(random() % 100) >= runBias)
            last = static_cast<uint8_t>(random() % (1u << bits));
        x = last;
    }
    return v;
}

TEST(GifLzw, RoundTripsEveryDepthAndShape) {
    struct Case {
        int width, height, bits, runBias;
    };
    // Sizes that fill the table several times, odd widths, one pixel, noise and runs.
    const Case cases[] = {{1, 1, 1, 0},      {7, 3, 1, 50},     {300, 200, 2, 30}, {513, 97, 3, 0},
                          {256, 256, 4, 80}, {1000, 50, 5, 10}, {640, 480, 6, 60}, {333, 333, 7, 0},
                          {800, 600, 8, 0},  {800, 600, 8, 95}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height << " bits " << c.bits);
        const auto pixels = Noise(static_cast<size_t>(c.width) * c.height, c.bits,
                                  static_cast<unsigned>(c.width * 31 + c.bits), c.runBias);
        for (bool interlaced : {false, true}) {
            const auto bytes = Encode(pixels, c.width, c.height, c.bits, interlaced);
            EXPECT_EQ(bytes[0], std::max(c.bits, 2));
            std::vector<uint8_t> out;
            int64_t end = 0;
            ASSERT_TRUE(Decode(bytes, c.width, c.height, out, interlaced, &end));
            EXPECT_EQ(out, pixels);
            EXPECT_EQ(end, static_cast<int64_t>(bytes.size()))
                << "stream left after the terminator";
        }
    }
}

TEST(GifLzw, EncoderWritesSubBlocksOf254Bytes) {
    const auto pixels = Noise(100000, 8, 7, 0);
    const auto bytes = Encode(pixels, 1000, 100, 8);
    size_t at = 1;
    std::vector<int> lengths;
    while (at < bytes.size() && bytes[at] != 0) {
        lengths.push_back(bytes[at]);
        at += 1 + bytes[at];
    }
    ASSERT_EQ(at + 1, bytes.size()) << "one zero terminator ends the data";
    ASSERT_GT(lengths.size(), 2u);
    for (size_t i = 0; i + 1 < lengths.size(); ++i)
        EXPECT_EQ(lengths[i], 254);
    EXPECT_LE(lengths.back(), 254);
}

TEST(GifLzw, InterlacedDataIsStoredInTheFourPasses) {
    const int width = 3, height = 11;
    std::vector<uint8_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(static_cast<uint8_t>(y));
    // Read back without de-interlacing: the rows in storage order.
    std::vector<uint8_t> stored;
    ASSERT_TRUE(Decode(Encode(pixels, width, height, 4, true), width, height, stored, false));
    const int expectedOrder[] = {0, 8, 4, 2, 6, 10, 1, 3, 5, 7, 9};
    for (int s = 0; s < height; ++s)
        EXPECT_EQ(stored[static_cast<size_t>(s) * width], expectedOrder[s]) << "stored row " << s;
    EXPECT_EQ(GifStoredRowOrder(height, true),
              std::vector<int>(std::begin(expectedOrder), std::end(expectedOrder)));
}

// 1 + 4090 literal codes after the clear fill the table of a 2-bit stream
// exactly up to code 4095.
TLzwCodeBuilder FullTable() {
    TLzwCodeBuilder codes(2);
    codes.Clear();
    codes.Code(1);
    while (codes.NextFree() < 4096)
        codes.Code(2);
    return codes;
}

TEST(GifLzw, FullTableMustBeFollowedByAClearCode) {
    const int width = 5000;
    std::vector<uint8_t> out;
    {
        TLzwCodeBuilder codes = FullTable();
        codes.Code(3); // no clear code
        codes.End();
        EXPECT_FALSE(Decode(codes.Bytes(), width, 1, out));
    }
    {
        TLzwCodeBuilder codes = FullTable();
        codes.Clear();
        codes.Code(3);
        codes.End();
        ASSERT_TRUE(Decode(codes.Bytes(), width, 1, out));
        EXPECT_EQ(out[0], 1);
        EXPECT_EQ(out[1], 2);
        EXPECT_EQ(out[4090], 2);
        EXPECT_EQ(out[4091], 3) << "the literal after the clear";
        EXPECT_EQ(out[4092], 0) << "pixels the data does not reach are 0";
        EXPECT_EQ(out[width - 1], 0);
    }
    {
        // The classic encoder may end right after the table filled.
        TLzwCodeBuilder codes = FullTable();
        codes.End();
        EXPECT_TRUE(Decode(codes.Bytes(), width, 1, out));
    }
}

TEST(GifLzw, DecodesTheCodeBeingDefinedAndGrowsTheCodeSize) {
    // 2-bit stream: 0, 1 (new 6 = "01"), 6 (new 7 = "10", the size grows to
    // 4 bits), 8 = the entry being defined ("01" + "0"), then a literal.
    TLzwCodeBuilder codes(2);
    codes.Clear();
    codes.Code(0);
    codes.Code(1);
    codes.Code(6);
    codes.Code(8);
    codes.Code(3);
    codes.End();
    std::vector<uint8_t> out;
    ASSERT_TRUE(Decode(codes.Bytes(), 9, 1, out));
    EXPECT_EQ(out, (std::vector<uint8_t>{0, 1, 0, 1, 0, 1, 0, 3, 0}));
}

TEST(GifLzw, ErrorsPutTheStreamBack) {
    std::vector<uint8_t> out;
    {
        SCOPED_TRACE("code above the next free code");
        TLzwCodeBuilder codes(2);
        codes.Clear();
        codes.Code(0);
        codes.Code(7); // next free is 6
        codes.End();
        EXPECT_FALSE(Decode(codes.Bytes(), 4, 1, out));
    }
    {
        SCOPED_TRACE("end code right after a clear with data left");
        TLzwCodeBuilder codes(2);
        codes.Clear();
        codes.End();
        for (int i = 0; i < 8; ++i)
            codes.Code(0);
        EXPECT_FALSE(Decode(codes.Bytes(), 4, 1, out));
    }
    for (uint8_t size : {uint8_t{0}, uint8_t{1}, uint8_t{12}, uint8_t{200}}) {
        SCOPED_TRACE(::testing::Message() << "minimum code size " << int(size));
        std::vector<uint8_t> bytes = {size};
        const auto blocks = SubBlocks({0x04, 0x00});
        bytes.insert(bytes.end(), blocks.begin(), blocks.end());
        EXPECT_FALSE(Decode(bytes, 4, 1, out));
    }
}

TEST(GifLzw, ToleratesWhatItCanDefine) {
    std::vector<uint8_t> out;
    {
        SCOPED_TRACE("more pixels than the image: the rest is dropped");
        const auto pixels = Noise(1000, 8, 3, 20);
        ASSERT_TRUE(Decode(Encode(pixels, 100, 10, 8), 30, 3, out));
        EXPECT_TRUE(std::equal(out.begin(), out.end(), pixels.begin()));
    }
    {
        SCOPED_TRACE("data cut short: the rest is 0");
        const auto pixels = Noise(5000, 8, 5, 0);
        auto bytes = Encode(pixels, 100, 50, 8);
        bytes.resize(bytes.size() / 2);
        ASSERT_TRUE(Decode(bytes, 100, 50, out));
        EXPECT_EQ(out[0], pixels[0]);
        EXPECT_EQ(out.back(), 0);
    }
    {
        SCOPED_TRACE("no leading clear code; a first code past the table is 0");
        TLzwCodeBuilder codes(2);
        codes.Code(7);
        codes.Code(1);
        codes.End();
        ASSERT_TRUE(Decode(codes.Bytes(), 3, 1, out));
        EXPECT_EQ(out, (std::vector<uint8_t>{0, 1, 0}));
    }
    {
        SCOPED_TRACE("empty data");
        ASSERT_TRUE(Decode({2, 0}, 2, 2, out));
        EXPECT_EQ(out, (std::vector<uint8_t>(4, 0)));
    }
    {
        SCOPED_TRACE("interlaced image of height 0 and a wide minimum code size");
        TLzwCodeBuilder codes(11);
        codes.Clear();
        codes.Code(200);
        codes.End();
        EXPECT_TRUE(Decode(codes.Bytes(), 5, 0, out, true));
        ASSERT_TRUE(Decode(codes.Bytes(), 1, 1, out));
        EXPECT_EQ(out[0], 200);
    }
}

} // namespace
} // namespace vellinor
