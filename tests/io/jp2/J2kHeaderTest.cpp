#include "io/jp2/J2kHeader.h"

#include "io/jp2/J2kFixtures.h"
#include "platform/Stream.h"

#include <gtest/gtest.h>

namespace vellinor::test {
namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v >> 16);
    Put16(b, v & 0xFFFF);
}

struct TSizSpec {
    uint32_t Width = 64, Height = 64;
    uint32_t TileWidth = 64, TileHeight = 64;
    uint32_t Components = 1;
    uint8_t Dx = 1;
    uint16_t Layers = 1;
    uint8_t Levels = 5;
    int PrecinctExponent = -1;       // -1: no precinct partition
    std::vector<uint8_t> Garbage;    // between the main header and the tile-part
    std::vector<uint8_t> TileHeader; // segments of the tile-part header
    uint32_t TilePartLength = 0;     // Psot; 0: to the end
    size_t Padding = 100;            // the tile-part's data
};

// A coding style segment asking for these layers and levels.
std::vector<uint8_t> CodingStyle(uint16_t layers, uint8_t levels, int precinctExponent) {
    std::vector<uint8_t> b;
    Put16(b, 0xFF52);
    const bool precincts = precinctExponent >= 0;
    Put16(b, 12 + (precincts ? levels + 1 : 0));
    b.push_back(precincts ? 1 : 0); // Scod
    b.push_back(0);                 // progression
    Put16(b, layers);
    b.push_back(0); // no colour transform
    b.push_back(levels);
    for (uint8_t v : {4, 4, 0, 0})
        b.push_back(v);
    for (int r = 0; precincts && r <= levels; ++r)
        b.push_back(uint8_t(precinctExponent * 0x11));
    return b;
}

// SOC, SIZ, COD and padding: a main header with the numbers a file claims.
std::vector<uint8_t> CodeStream(const TSizSpec& s) {
    std::vector<uint8_t> b;
    Put16(b, 0xFF4F);
    Put16(b, 0xFF51);
    Put16(b, 38 + 3 * s.Components);
    Put16(b, 0);
    for (uint32_t v : {s.Width, s.Height, 0u, 0u, s.TileWidth, s.TileHeight, 0u, 0u})
        Put32(b, v);
    Put16(b, s.Components);
    for (uint32_t i = 0; i < s.Components; ++i) {
        b.push_back(7);
        b.push_back(s.Dx);
        b.push_back(1);
    }
    const std::vector<uint8_t> style = CodingStyle(s.Layers, s.Levels, s.PrecinctExponent);
    b.insert(b.end(), style.begin(), style.end());
    b.insert(b.end(), s.Garbage.begin(), s.Garbage.end());
    Put16(b, 0xFF90);
    Put16(b, 10);
    Put16(b, 0); // tile 0
    Put32(b, s.TilePartLength);
    b.push_back(0);
    b.push_back(1);
    b.insert(b.end(), s.TileHeader.begin(), s.TileHeader.end());
    Put16(b, 0xFF93);
    b.resize(b.size() + s.Padding, 0);
    return b;
}

bool Read(const std::vector<uint8_t>& bytes, TJ2kHeader& header) {
    TSpanStream stream{std::span<const uint8_t>(bytes)};
    return ReadJ2kHeader(stream, header);
}

TEST(J2kHeader, ReadsTheNumbersOfJp2AndCodeStreams) {
    TFixtureComponent gray;
    gray.Samples.assign(12 * 10, 5);
    for (bool jp2 : {true, false}) {
        TJ2kHeader header;
        ASSERT_TRUE(Read(EncodeFixture({gray}, 12, 10, OPJ_CLRSPC_GRAY, jp2), header));
        EXPECT_EQ(header.Container, jp2 ? TJ2kContainer::Jp2 : TJ2kContainer::CodeStream);
        EXPECT_EQ(header.Width(), 12);
        EXPECT_EQ(header.Height(), 10);
        EXPECT_EQ(header.Tiles, 1u);
        ASSERT_EQ(header.Components.size(), 1u);
        EXPECT_EQ(header.Components[0].Precision, 8u);
        EXPECT_EQ(header.Layers, 1u);
        EXPECT_EQ(header.Levels, 1u);
        EXPECT_EQ(header.Family(), TJ2kColorFamily::Gray);
        EXPECT_TRUE(J2kDecodeAcceptable(header));
    }
    TJ2kHeader subsampled;
    TSizSpec spec;
    spec.Width = 9;
    spec.Dx = 2;
    spec.Components = 3;
    ASSERT_TRUE(Read(CodeStream(spec), subsampled));
    EXPECT_EQ(subsampled.Components[0].Width, 5u);
    EXPECT_EQ(subsampled.Family(), TJ2kColorFamily::Rgb);
}

TEST(J2kHeader, MalformedSizeSegmentsAreRefused) {
    std::vector<uint8_t> wrongLength = CodeStream({});
    wrongLength[5] += 3;
    TSizSpec zeroStep;
    zeroStep.Dx = 0;
    TSizSpec noWidth;
    noWidth.Width = 0;
    TSizSpec noComponents;
    noComponents.Components = 0;
    TJ2kHeader header;
    EXPECT_TRUE(Read(CodeStream({}), header));
    EXPECT_FALSE(Read(wrongLength, header));
    EXPECT_FALSE(Read(CodeStream(zeroStep), header));
    EXPECT_FALSE(Read(CodeStream(noWidth), header));
    EXPECT_FALSE(Read(CodeStream(noComponents), header));
}

// Numbers a few hundred bytes may not claim: the decode would allocate or
// walk far more than the data can fill.
TEST(J2kHeader, ClaimsBeyondWhatTheBytesCarryAreNotDecoded) {
    struct TCase {
        const char* Name;
        TSizSpec Spec;
        bool Acceptable;
    };
    auto spec = [](auto change) {
        TSizSpec s;
        change(s);
        return s;
    };
    const TCase cases[] = {
        {"a small picture", {}, true},
        {"a large picture in few bytes",
         spec([](TSizSpec& s) { s.Width = s.Height = s.TileWidth = s.TileHeight = 60000; }), false},
        {"a large picture in enough bytes", spec([](TSizSpec& s) {
             s.Width = s.Height = s.TileWidth = s.TileHeight = 8000;
             s.Padding = 100000;
         }),
         true},
        {"more tiles than the code stream allows",
         spec([](TSizSpec& s) { s.Width = s.Height = 300, s.TileWidth = s.TileHeight = 1; }),
         false},
        {"a tile for every few bytes",
         spec([](TSizSpec& s) { s.Width = s.Height = 64, s.TileWidth = s.TileHeight = 4; }), false},
        {"thousands of components in many tiles", spec([](TSizSpec& s) {
             s.Components = 2000;
             s.Width = s.Height = 64, s.TileWidth = s.TileHeight = 16;
         }),
         false},
        {"a packet count no data can hold", spec([](TSizSpec& s) {
             s.Layers = 65535;
             s.Levels = 32;
             s.Components = 8;
         }),
         false},
        {"a large picture in whole-resolution precincts",
         spec([](TSizSpec& s) { s.Width = s.Height = s.TileWidth = s.TileHeight = 4096; }), true},
        {"a large picture in precincts of one sample", spec([](TSizSpec& s) {
             s.Width = s.Height = s.TileWidth = s.TileHeight = 4096;
             s.PrecinctExponent = 0;
         }),
         false},
        {"a tile-part asking for layers no data can hold", spec([](TSizSpec& s) {
             s.Components = 8;
             s.TileHeader = CodingStyle(65535, 32, -1);
         }),
         false},
        {"a tile-part cut short", spec([](TSizSpec& s) { s.TilePartLength = 300; }), true},
        {"a tile-part claiming gigabytes", spec([](TSizSpec& s) { s.TilePartLength = 0xFD000028; }),
         false},
        {"bytes before the first tile-part that OpenJPEG would search through",
         spec([](TSizSpec& s) { s.Garbage.assign(40, 0xFF); }), false},
    };
    for (const TCase& c : cases) {
        TJ2kHeader header;
        ASSERT_TRUE(Read(CodeStream(c.Spec), header)) << c.Name;
        EXPECT_EQ(J2kDecodeAcceptable(header), c.Acceptable) << c.Name;
    }
}

TEST(J2kHeader, HostileSizesFailCleanlyInTheReader) {
    TSizSpec huge;
    huge.Width = huge.Height = huge.TileWidth = huge.TileHeight = 0xFFFF0000u;
    huge.Components = 4;
    TIEBitmap bitmap(2, 2, ie24RGB);
    TIOParamsVals params;
    EXPECT_FALSE(ReadBytes(CodeStream(huge), bitmap, params));
    EXPECT_EQ(bitmap.Width(), 2);
}

} // namespace
} // namespace vellinor::test
