// The buffered reader and the counting stream.

#include "platform/BufferedStream.h"

#include <gtest/gtest.h>
#include <numeric>

namespace vellinor {
namespace {

TEST(BufferedReadStream, ReadsSeeksAndLeavesTheSourceAtItsPosition) {
    std::vector<uint8_t> bytes(20000);
    std::iota(bytes.begin(), bytes.end(), 0);
    TMemoryStream source(bytes);
    source.SetPosition(10);
    {
        TBufferedReadStream reader(source, 64);
        EXPECT_EQ(reader.Size(), 20000);
        uint8_t small[5];
        ASSERT_TRUE(reader.ReadExact(small, 5));
        EXPECT_EQ(small[0], 10);
        EXPECT_EQ(small[4], 14);
        // Across the end of the buffer, then a read larger than the buffer.
        std::vector<uint8_t> big(1000);
        ASSERT_TRUE(reader.ReadExact(big.data(), 100));
        EXPECT_EQ(big[99], static_cast<uint8_t>(114));
        ASSERT_TRUE(reader.ReadExact(big.data(), 1000));
        EXPECT_EQ(big[0], static_cast<uint8_t>(115));
        EXPECT_EQ(reader.Position(), 1115);
        reader.Seek(-1115, TSeekOrigin::soCurrent);
        ASSERT_TRUE(reader.ReadExact(small, 1));
        EXPECT_EQ(small[0], 0);
        reader.Seek(19998, TSeekOrigin::soBeginning);
        EXPECT_EQ(reader.Read(big.data(), 10), 2);
        EXPECT_EQ(reader.Read(big.data(), 10), 0);
        reader.Seek(500, TSeekOrigin::soBeginning);
    }
    EXPECT_EQ(source.Position(), 500);
}

TEST(CountingStream, CountsWithoutStoring) {
    TCountingStream s;
    EXPECT_EQ(s.Write("abcdef", 6), 6);
    s.Seek(2, TSeekOrigin::soBeginning);
    EXPECT_EQ(s.Write("x", 1), 1);
    EXPECT_EQ(s.Size(), 6);
    s.Seek(0, TSeekOrigin::soEnd);
    s.Write("12345", 5);
    EXPECT_EQ(s.Size(), 11);
    char c;
    EXPECT_EQ(s.Read(&c, 1), 0);
}

} // namespace
} // namespace vellinor
