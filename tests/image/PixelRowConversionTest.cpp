// The vector fast paths against the plain formulas, at every width around
// their block sizes, with guard bytes past the rows.

#include "image/PixelRowConversion.h"

#include "image/PixelRowSimd.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace vellinor {
namespace {

constexpr uint8_t kGuard = 0xA5;

std::vector<uint8_t> RandomBytes(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(n);
    for (auto& b : bytes)
        b = static_cast<uint8_t>(random());
    return bytes;
}

TEST(PixelRowFastPaths, AgreeWithTheFormulasAtEveryWidth) {
    for (int width = 1; width <= 70; ++width) {
        SCOPED_TRACE(width);
        const auto rgb = RandomBytes(static_cast<size_t>(width) * 3, width);
        const auto rgb32 = RandomBytes(static_cast<size_t>(width) * 4, width + 100);

        std::vector<uint8_t> gray(static_cast<size_t>(width) + 16, kGuard);
        ASSERT_TRUE(ConvertRowDirect(ie24RGB, ie8g, rgb.data(), gray.data(), width));
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(gray[x], GrayLevel(rgb[3 * x + 2], rgb[3 * x + 1], rgb[3 * x])) << x;
        EXPECT_EQ(gray[width], kGuard);

        std::vector<uint8_t> wide(static_cast<size_t>(width) * 4 + 16, kGuard);
        ASSERT_TRUE(ConvertRowDirect(ie24RGB, ie32RGB, rgb.data(), wide.data(), width));
        for (int x = 0; x < width; ++x) {
            ASSERT_EQ(std::memcmp(&wide[4 * x], &rgb[3 * x], 3), 0) << x;
            ASSERT_EQ(wide[4 * x + 3], 255) << x;
        }
        EXPECT_EQ(wide[4 * width], kGuard);

        std::vector<uint8_t> narrow(static_cast<size_t>(width) * 3 + 16, kGuard);
        ASSERT_TRUE(ConvertRowDirect(ie32RGB, ie24RGB, rgb32.data(), narrow.data(), width));
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(std::memcmp(&narrow[3 * x], &rgb32[4 * x], 3), 0) << x;
        EXPECT_EQ(narrow[3 * width], kGuard);
    }
}

TEST(PixelRowFastPaths, BackwardWideningOverItsOwnSource) {
    for (int width = 1; width <= 40; ++width) {
        for (int shift : {0, 1, 5, 12}) {
            SCOPED_TRACE(::testing::Message() << width << " shifted by " << shift);
            const auto rgb = RandomBytes(static_cast<size_t>(width) * 3, width * 7 + shift);
            // The source sits at the start of the buffer, the wider row `shift`
            // bytes further on, overlapping it.
            std::vector<uint8_t> buffer(static_cast<size_t>(width) * 4 + shift + 16, kGuard);
            std::memcpy(buffer.data(), rgb.data(), rgb.size());
            simd::RGB24ToRGB32Backward(buffer.data(), buffer.data() + shift, width);
            for (int x = 0; x < width; ++x) {
                ASSERT_EQ(std::memcmp(&buffer[shift + 4 * x], &rgb[3 * x], 3), 0) << x;
                ASSERT_EQ(buffer[shift + 4 * x + 3], 255) << x;
            }
            EXPECT_EQ(buffer[shift + 4 * width], kGuard);
        }
    }
}

} // namespace
} // namespace vellinor
