// The PCX line coder: runs across lines, zero-length runs, the end of the
// data, and the encoder's rules for high values, long runs and odd counts.

#include "io/pcx/PcxLineCoder.h"

#include <gtest/gtest.h>
#include <vector>

namespace vellinor {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Decode(TPcxLineDecoder& decoder, size_t length, bool* complete = nullptr) {
    Bytes line(length, 0xEE);
    const bool ok = decoder.DecodePcxLine(line);
    if (complete != nullptr) *complete = ok;
    return line;
}

TEST(PcxLineDecoder, RunCrossingTheEndOfALineContinuesInTheNext) {
    // A run of 5 x 7 over two 3-byte lines, then a literal.
    const Bytes data = {0xC5, 7, 9};
    TPcxLineDecoder decoder(data, true);
    EXPECT_EQ(Decode(decoder, 3), (Bytes{7, 7, 7}));
    EXPECT_EQ(Decode(decoder, 3), (Bytes{7, 7, 9}));
    EXPECT_TRUE(decoder.Exhausted());
}

TEST(PcxLineDecoder, CountOfZeroTakesItsValueAndWritesNothing) {
    const Bytes data = {0xC0, 55, 1, 0xC2, 200};
    TPcxLineDecoder decoder(data, true);
    EXPECT_EQ(Decode(decoder, 3), (Bytes{1, 200, 200}));
}

TEST(PcxLineDecoder, StopsAtTheEndOfTheDataAndZeroesTheRest) {
    struct TCase {
        const char* Name;
        Bytes Data;
        Bytes Expected;
    };
    const TCase cases[] = {
        {"literal then end", {4, 5}, {4, 5, 0, 0}},
        {"count without value", {4, 0xC3}, {4, 0, 0, 0}},
        {"nothing", {}, {0, 0, 0, 0}},
    };
    for (const TCase& c : cases) {
        TPcxLineDecoder decoder(c.Data, true);
        bool complete = true;
        EXPECT_EQ(Decode(decoder, 4, &complete), c.Expected) << c.Name;
        EXPECT_FALSE(complete) << c.Name;
        // Every further line is defined too.
        EXPECT_EQ(Decode(decoder, 2), (Bytes{0, 0})) << c.Name;
    }
}

TEST(PcxLineDecoder, RawCopiesBytesIncludingHighValues) {
    const Bytes data = {0xC5, 1, 2, 0xFF, 3};
    TPcxLineDecoder decoder(data, false);
    EXPECT_EQ(Decode(decoder, 3), (Bytes{0xC5, 1, 2}));
    bool complete = true;
    EXPECT_EQ(Decode(decoder, 3, &complete), (Bytes{0xFF, 3, 0}));
    EXPECT_FALSE(complete);
}

TEST(PcxLineEncoder, CodesSingleHighValuesLongRunsAndOddCounts) {
    struct TCase {
        const char* Name;
        Bytes Samples;
        Bytes Expected;
    };
    const TCase cases[] = {
        {"a single 200 is a run of one", {200}, {193, 200, 0}},
        {"191 stays literal", {191, 5}, {191, 5}},
        {"a pair is a run", {9, 9, 1, 2}, {194, 9, 1, 2}},
        {"odd count gets a trailing 0", {1, 2, 3}, {1, 2, 3, 0}},
    };
    for (const TCase& c : cases) {
        Bytes out;
        EncodePcxLine(c.Samples, static_cast<int>(c.Samples.size()), 1, 0, out);
        EXPECT_EQ(out, c.Expected) << c.Name;
    }

    // Runs are cut at 63.
    Bytes out;
    EncodePcxLine(Bytes(64, 4), 64, 1, 0, out);
    EXPECT_EQ(out, (Bytes{0xFF, 4, 4}));
}

TEST(PcxLineEncoder, StrideAndFirstPickOnePlaneOfInterleavedSamples) {
    // Blue, green, red triples; the red plane is every third byte from 2.
    const Bytes row = {1, 2, 250, 1, 2, 250, 1, 2, 7};
    Bytes out;
    EncodePcxLine(row, 3, 3, 2, out);
    EXPECT_EQ(out, (Bytes{194, 250, 7, 0}));
}

TEST(PcxLineCoder, EncodedLinesDecodeToTheirSamples) {
    Bytes samples;
    for (int i = 0; i < 300; ++i)
        samples.push_back(static_cast<uint8_t>(i % 7 == 0 ? 255 : (i / 5) * 37));
    Bytes encoded;
    EncodePcxLine(samples, 300, 1, 0, encoded);
    EncodePcxLine(samples, 299, 1, 0, encoded);
    TPcxLineDecoder decoder(encoded, true);
    EXPECT_EQ(Decode(decoder, 300), samples);
    Bytes second = Decode(decoder, 300);
    EXPECT_EQ(Bytes(second.begin(), second.begin() + 299),
              Bytes(samples.begin(), samples.end() - 1));
    EXPECT_EQ(second.back(), 0);
    EXPECT_TRUE(decoder.Exhausted());
}

} // namespace
} // namespace vellinor
