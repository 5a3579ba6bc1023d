// The platform stand-ins: bitmap, system colours, streams and file errors.

#include "platform/Color.h"
#include "platform/PlatformBitmap.h"
#include "platform/Stream.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace vellinor {
namespace {

TEST(PlatformBitmap, RowsAreBottomUpAndAlignedLikeADib) {
    TPlatformBitmap b(5, 3, 24);
    EXPECT_EQ(b.RowBytes(), 16);
    EXPECT_EQ(b.ScanLine(2), b.Bits());
    EXPECT_EQ(b.ScanLine(0), b.Bits() + 2 * 16);
    EXPECT_EQ(TPlatformBitmap::RowBytesFor(33, 1), 8);
    EXPECT_EQ(TPlatformBitmap::RowBytesFor(3, 15), 8);
    EXPECT_EQ(TPlatformBitmap(1, 1, 8).ColorTable().size(), 256u);
    EXPECT_TRUE(TPlatformBitmap(1, 1, 1).IsMonochrome());
}

TEST(PlatformBitmap, ResizeKeepsTheTopLeftAndClearsTheRest) {
    TPlatformBitmap b(4, 4, 1);
    for (int x = 0; x < 4; ++x)
        b.SetPixelRGB(x, 0, MakeRGB(255, 255, 255));
    const uint64_t generation = b.Generation();
    ASSERT_TRUE(b.SetSize(2, 5));
    EXPECT_NE(b.Generation(), generation);
    EXPECT_EQ(b.GetPixelRGB(1, 0), MakeRGB(255, 255, 255));
    ASSERT_TRUE(b.SetSize(8, 5));
    // Pixels 2 and 3 of the first row were cut off and must not come back.
    EXPECT_EQ(b.GetPixelRGB(2, 0), MakeRGB(0, 0, 0));
    EXPECT_EQ(b.GetPixelRGB(1, 4), MakeRGB(0, 0, 0));
    EXPECT_FALSE(b.SetSize(-1, 2));
}

TEST(PlatformBitmap, DepthChangesConvertThroughColours) {
    TPlatformBitmap b(2, 1, 24);
    b.SetPixelRGB(0, 0, MakeRGB(250, 250, 250));
    b.SetPixelRGB(1, 0, MakeRGB(10, 10, 10));
    ASSERT_TRUE(b.SetBitCount(1));
    EXPECT_EQ(b.GetPixelRGB(0, 0), MakeRGB(255, 255, 255));
    EXPECT_EQ(b.GetPixelRGB(1, 0), MakeRGB(0, 0, 0));
    ASSERT_TRUE(b.SetBitCount(16));
    EXPECT_EQ(b.GetPixelRGB(0, 0), MakeRGB(248, 252, 248));
    EXPECT_FALSE(b.SetBitCount(12));
}

TEST(SystemColors, ResolveToTheirDesktopDefaults) {
    EXPECT_EQ(TColor2TRGB(clBtnFace), MakeRGB(240, 240, 240));
    EXPECT_EQ(TColor2TRGB(0xFF000005), MakeRGB(255, 255, 255)); // window
    EXPECT_EQ(TColor2TRGB(0xFF000008), MakeRGB(0, 0, 0));       // window text
    EXPECT_EQ(TColor2TRGB(0xFF00000D), MakeRGB(0, 120, 215));   // highlight
    EXPECT_EQ(TColor2TRGB(0x00123456), MakeRGB(0x56, 0x34, 0x12));
    EXPECT_EQ(ColorToRGB(0xFF0000FE), clBlack); // no such system colour
    EXPECT_EQ(GrayLevel(MakeRGB(255, 0, 0)), 53);
}

TEST(Streams, MemoryAndSpanStreams) {
    TMemoryStream m;
    EXPECT_EQ(m.Write("abcdef", 6), 6);
    EXPECT_EQ(m.Seek(-2, TSeekOrigin::soEnd), 4);
    char two[3] = {};
    EXPECT_EQ(m.Read(two, 5), 2);
    EXPECT_STREQ(two, "ef");
    EXPECT_EQ(m.Seek(-10, TSeekOrigin::soCurrent), -1);
    EXPECT_EQ(m.Position(), 6);
    const uint8_t data[4] = {1, 2, 3, 4};
    TSpanStream ro(std::span<const uint8_t>(data, 4));
    EXPECT_EQ(ro.Write("x", 1), 0);
    uint32_t v = 0;
    EXPECT_TRUE(ro.ReadValue(v));
    EXPECT_EQ(v, 0x04030201u);
    EXPECT_FALSE(ro.ReadValue(v));
}

TEST(Streams, FileErrorsCarryThePlatformMessages) {
    const auto dir = std::filesystem::temp_directory_path() / "vellinor-stream-test";
    std::filesystem::create_directories(dir);
    const std::string missing = (dir / "missing.bmp").string();
    try {
        TFileStream f(missing, TFileMode::fmOpenRead);
        FAIL() << "opened a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file \"" + missing + "\". No such file or directory");
    }
    const std::string bad = (dir / "no-folder" / "x.bmp").string();
    EXPECT_THROW(TFileStream(bad, TFileMode::fmCreate), EFCreateError);
    {
        TFileStream f((dir / "ok.bin").string(), TFileMode::fmCreate);
        EXPECT_EQ(f.Write("hello", 5), 5);
        EXPECT_EQ(f.Size(), 5);
    }
    TFileStream r((dir / "ok.bin").string(), TFileMode::fmOpenRead);
    char buf[6] = {};
    EXPECT_EQ(r.Read(buf, 10), 5);
    EXPECT_STREQ(buf, "hello");
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace vellinor
