// Edge cases of the bitmap container that the storage suite does not cover.

#include "image/TIEBitmap.h"

#include "image/TIEDibbitmap.h"
#include "image/TIEMask.h"
#include "platform/PlatformBitmap.h"
#include "platform/Stream.h"
#include "platform/SystemInfo.h"

#include <climits>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>

namespace vellinor {
namespace {

struct RowBytesCase {
    int width;
    TIEPixelFormat format;
    int alignment;
    int64_t expected;
};

TEST(TIEBitmapGeometry, RowBytesFollowTheAlignment) {
    const RowBytesCase cases[] = {
        {1, ie1g, 32, 4},     {33, ie1g, 32, 8},    {9, ie1g, 8, 2},      {3, ie24RGB, 32, 12},
        {3, ie24RGB, 8, 9},   {3, ie24RGB, 16, 10}, {5, ie8g, 32, 8},     {5, ie16g, 16, 10},
        {2, ieRGB48, 32, 12}, {7, ie32RGB, 8, 28},  {1, ieCIELab, 32, 4},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TIEBitmap::ComputeRowBytes(c.width, c.format, c.alignment), c.expected)
            << c.width << " " << PixelFormatName(c.format) << " " << c.alignment;
    }
    TIEBitmap b(3, 2, ie24RGB);
    b.SetRowAlignment(8);
    EXPECT_EQ(b.RowBytes(), 9);
}

TEST(TIEBitmapGeometry, SingleBlockIsBottomUpAndAligned) {
    TIEBitmap b(10, 7, ie24RGB);
    ASSERT_EQ(b.Location(), ieMemory);
    EXPECT_EQ(b.Row(0), b.Row(6) + static_cast<ptrdiff_t>(b.RowBytes()) * 6);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b.Row(6)) % 64, 0u);
}

TEST(TIEBitmapSetup, InvalidSizesFailWithAnEmptyBitmap) {
    TIEBitmap b(4, 4, ie24RGB);
    EXPECT_FALSE(b.Setup(0, 10, ie24RGB));
    EXPECT_EQ(b.Width(), 0);
    EXPECT_EQ(b.Height(), 0);
    EXPECT_TRUE(b.IsVoid());
    EXPECT_FALSE(b.Setup(10, 10, ieNull));
    EXPECT_TRUE(b.IsVoid());
    // Byte counts far beyond anything addressable.
    EXPECT_FALSE(b.Setup(INT_MAX, INT_MAX, ieRGB48));
    EXPECT_TRUE(b.IsVoid());
}

TEST(TIEBitmapSetup, SameGeometryKeepsContentUnlessFullReallocate) {
    TIEBitmap b(4, 4, ie8g);
    b.SetByte(1, 1, 9);
    EXPECT_TRUE(b.Setup(4, 4, ie8g));
    EXPECT_EQ(b.GetByte(1, 1), 9);
    b.FullReallocate = true;
    EXPECT_TRUE(b.Setup(4, 4, ie8g));
    EXPECT_EQ(b.GetByte(1, 1), 0);
}

TEST(TIEBitmapSetup, MemoryFailuresFallBackToFragmentsThenToDisk) {
    SetLargestBlockOverride(0);
    TIEBitmap b(100, 50, ie24RGB);
    SetLargestBlockOverride(std::nullopt);
    ASSERT_FALSE(b.IsVoid());
    EXPECT_EQ(b.Location(), ieTempFile);
    EXPECT_TRUE(b.UsesFile());

    SetLargestBlockOverride(300 * 13 + 100); // a quarter of the rows fits
    TIEBitmap f(100, 50, ie24RGB);
    SetLargestBlockOverride(std::nullopt);
    ASSERT_TRUE(f.UsesFragments());
    // Inside a fragment rows run top-down.
    EXPECT_EQ(f.Row(1), f.Row(0) + f.RowBytes());
}

TEST(TIEBitmapSetup, TemporaryFileIsNamedAndRemoved) {
    const auto folder = std::filesystem::temp_directory_path() / "vellinor-tempfile-test";
    std::filesystem::create_directories(folder);
    SetTemporaryFolderOverride(folder.string());
    std::string name;
    {
        TIEBitmap b;
        b.MinFileSize = 0;
        ASSERT_TRUE(b.Setup(16, 16, ie24RGB));
        name = b.TempFileName();
        EXPECT_TRUE(std::regex_match(std::filesystem::path(name).filename().string(),
                                     std::regex("IMG-[0-9A-F]{8}\\.tmp")))
            << name;
        EXPECT_EQ(std::filesystem::path(name).parent_path(), folder);
        EXPECT_TRUE(std::filesystem::exists(name));
    }
    EXPECT_FALSE(std::filesystem::exists(name));
    SetTemporaryFolderOverride("");
    std::filesystem::remove_all(folder);
}

TEST(TIEBitmapSetup, MinFileSizeComesFromMemoryOrTheOverride) {
    EXPECT_EQ(TIEBitmap::DefaultMinFileSize(),
              static_cast<int64_t>(static_cast<double>(TotalPhysicalMemory()) / 1.3));
    SetMinFileSizeOverride(0x1000, 1);
    EXPECT_EQ(TIEBitmap::DefaultMinFileSize(), 0x100001000LL);
    TIEBitmap b;
    EXPECT_EQ(b.MinFileSize, 0x100001000LL);
    ClearMinFileSizeOverride();
    EXPECT_FALSE(MinFileSizeOverride().has_value());
}

TEST(TIEBitmapPlatform, Gray16BecomesGray8AndFloatsAreRefused) {
    TIEBitmap b;
    b.Relocate(ieTBitmap);
    ASSERT_TRUE(b.Setup(5, 5, ie16g));
    EXPECT_EQ(b.PixelFormat(), ie8g);
    EXPECT_EQ(b.BitsPerPixel(), 8);
    EXPECT_EQ(b.RowBytes(), 8);
    for (TIEPixelFormat f : {ie32f, ieCMYK, ieRGB48, ieCIELab}) {
        EXPECT_FALSE(b.Setup(5, 5, f)) << PixelFormatName(f);
        EXPECT_TRUE(b.IsVoid());
    }
}

TEST(TIEBitmapPlatform, QueriesFollowChangesMadeOnThePlatformBitmap) {
    TIEBitmap b(6, 4, ie24RGB);
    TPlatformBitmap* face = b.AsVclBitmap();
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(b.Location(), ieTBitmap);
    b.AlphaPlane();
    face->SetSize(9, 3);
    EXPECT_EQ(b.Width(), 9);
    EXPECT_EQ(b.Height(), 3);
    EXPECT_EQ(b.AlphaPlane()->Width(), 9);
    face->SetBitCount(8); // zero colour table: a palette image
    EXPECT_EQ(b.PixelFormat(), ie8p);
    std::vector<TRGB> ramp(256);
    for (int i = 0; i < 256; ++i)
        ramp[i] = MakeRGB(i, i, i);
    face->SetColorTable(ramp);
    EXPECT_EQ(b.PixelFormat(), ie8g);
    face->SetPixelRGB(2, 1, MakeRGB(50, 50, 50));
    EXPECT_EQ(b.GetByte(2, 1), 50);
    // Depths without a pixel format of ours are taken as 24 bits.
    face->SetBitCount(16);
    EXPECT_EQ(b.PixelFormat(), ie24RGB);
    EXPECT_EQ(b.RowBytes(), face->RowBytes());
    EXPECT_EQ(face->BitCount(), 24);
}

TEST(TIEBitmapPlatform, RelocateKeepsPixelsPaletteAndAlpha) {
    TIEBitmap b(7, 5, ie8p);
    b.SetPaletteColor(3, MakeRGB(10, 20, 30));
    b.SetByte(6, 4, 3);
    b.SetAlpha(6, 4, 100);
    ASSERT_TRUE(b.Relocate(ieTBitmap));
    EXPECT_EQ(b.PixelFormat(), ie8p);
    EXPECT_EQ(b.ReadAsRGB(6, 4), MakeRGB(10, 20, 30));
    EXPECT_EQ(b.AsVclBitmap()->ColorTable()[3], MakeRGB(10, 20, 30));
    EXPECT_EQ(b.AlphaPlane()->Location(), ieMemory);
    EXPECT_EQ(b.GetAlpha(6, 4), 100);
    ASSERT_TRUE(b.Relocate(ieMemory));
    EXPECT_EQ(b.ReadAsRGB(6, 4), MakeRGB(10, 20, 30));
    EXPECT_EQ(b.GetAlpha(6, 4), 100);

    TIEBitmap lab(2, 2, ieCIELab);
    EXPECT_FALSE(lab.Relocate(ieTBitmap));
    EXPECT_EQ(lab.Location(), ieMemory);
}

TEST(TIEBitmapAlpha, CreatedOpaqueAndNeverNested) {
    TIEBitmap b(3, 2, ie24RGB);
    EXPECT_FALSE(b.HasAlphaPlane());
    TIEBitmap* alpha = b.AlphaPlane();
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->PixelFormat(), ie8g);
    EXPECT_EQ(alpha->Width(), 3);
    EXPECT_TRUE(alpha->Opaque);
    EXPECT_TRUE(alpha->IsAlphaPlane);
    EXPECT_EQ(alpha->GetByte(2, 1), 255);
    EXPECT_EQ(alpha->AlphaPlane(), nullptr);
    alpha->SetByte(0, 0, 3);
    EXPECT_FALSE(alpha->Opaque);
    alpha->SetByte(0, 0, 255);
    alpha->RecheckOpaque();
    EXPECT_TRUE(alpha->Opaque);
}

TEST(TIEBitmapAlpha, DropWithBlendUsesFloorOverTheBackground) {
    struct Case {
        TRGB pixel;
        uint8_t alpha;
        TColor background;
        uint8_t expected;
    };
    const Case cases[] = {
        {MakeRGB(255, 255, 255), 128, clBlack, 127},
        {MakeRGB(255, 255, 255), 255, clBlack, 254},
        {MakeRGB(0, 0, 0), 128, clWhite, 127},
        {MakeRGB(0, 0, 0), 0, clWhite, 255},
    };
    for (const auto& c : cases) {
        TIEBitmap b(1, 1, ie24RGB);
        b.SetRGB(0, 0, c.pixel);
        b.SetAlpha(0, 0, c.alpha);
        b.DropAlphaPlane(true, c.background);
        EXPECT_FALSE(b.HasAlphaPlane());
        EXPECT_EQ(b.GetRGB(0, 0), MakeRGB(c.expected, c.expected, c.expected))
            << int(c.alpha) << " over " << c.background;
    }
}

TEST(TIEBitmapResizeCanvas, ShrinkKeepsTheAlignedPart) {
    // Columns hold their own index; shrink 10 -> 4 wide.
    auto columns = [](int align) {
        TIEBitmap b(10, 3, ie8g);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 10; ++x)
                b.SetByte(x, y, static_cast<uint8_t>(x));
        b.ResizeCanvas(4, 3, 0, 255, align, 0);
        std::vector<int> kept;
        for (int x = 0; x < b.Width(); ++x)
            kept.push_back(b.GetByte(x, 2));
        return kept;
    };
    EXPECT_EQ(columns(0), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(columns(1), (std::vector<int>{3, 4, 5, 6}));
    EXPECT_EQ(columns(2), (std::vector<int>{6, 7, 8, 9}));
}

TEST(TIEBitmapResizeCanvas, GrowRightAndBottomWithAlphaFill) {
    TIEBitmap b(2, 2, ie8g);
    b.FillAll(9);
    b.AlphaPlane();
    b.ResizeCanvas(5, 4, 1, 0, 2, 2);
    ASSERT_EQ(b.Width(), 5);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            const bool old = x >= 3 && y >= 2;
            EXPECT_EQ(b.GetByte(x, y), old ? 9 : 1) << x << "," << y;
            EXPECT_EQ(b.GetAlpha(x, y), old ? 255 : 0) << x << "," << y;
        }
    }
}

TEST(TIEBitmapCopyArea, ClipsAgainstBothBitmaps) {
    TIEBitmap src(10, 1, ie8g);
    for (int x = 0; x < 10; ++x)
        src.SetByte(x, 0, static_cast<uint8_t>(x + 1));
    TIEBitmap dest(6, 1, ie8g);
    src.CopyArea(dest, 0, 0, -5, 0, 10, 1);
    EXPECT_EQ(dest.GetByte(0, 0), 6); // source column 5 at dest column 0
    EXPECT_EQ(dest.GetByte(4, 0), 10);
    EXPECT_EQ(dest.GetByte(5, 0), 0);

    TIEBitmap untouched(4, 1, ie8g);
    src.CopyArea(untouched, 0, 0, 4, 0, 3, 1); // entirely outside
    src.CopyArea(untouched, 0, 0, 0, 1, 3, 1);
    EXPECT_TRUE(untouched.IsAllZero());

    TIEBitmap other(10, 1, ie16g); // different formats copy nothing
    src.CopyArea(other, 0, 0, 0, 0, 10, 1);
    EXPECT_TRUE(other.IsAllZero());
}

TEST(TIEBitmapFill, MeaningPerFormat) {
    TIEBitmap rgb32(3, 2, ie32RGB);
    rgb32.SetDword(0, 0, 0x11000000);
    rgb32.FillAll(255);                           // red; the fourth bytes stay
    EXPECT_EQ(rgb32.GetDword(0, 0), 0x11FF0000u); // bytes blue, green, red, fourth
    EXPECT_EQ(rgb32.GetDword(2, 1), 0x00FF0000u);
    EXPECT_FALSE(rgb32.Opaque);

    TIEBitmap gray(3, 2, ie8g);
    gray.FillAll(255);
    EXPECT_TRUE(gray.Opaque);
    gray.FillArea(1, 1, 0, 1, 7); // x2 < x1: nothing
    gray.FillArea(0, 1, 9, 0, 7); // y2 < y1: nothing
    EXPECT_EQ(gray.GetByte(0, 1), 255);

    TIEBitmap face(1, 1, ie24RGB);
    face.FillAll(static_cast<double>(clBtnFace));
    EXPECT_EQ(face.GetRGB(0, 0), MakeRGB(240, 240, 240));

    TIEBitmap cmyk(1, 1, ieCMYK);
    cmyk.FillAll(0);
    EXPECT_EQ(cmyk.GetDword(0, 0), 0x01000000u); // bytes 0, 0, 0, 1
    EXPECT_EQ(cmyk.ReadAsRGB(0, 0), MakeRGB(0, 0, 0));

    TIEBitmap f(2, 1, ie32f);
    f.FillAll(0.5);
    EXPECT_FLOAT_EQ(f.GetFloat(0, 0), 0.5f);
    f.FillArea(0, 0, 0, 0, 0.5); // the area fill stores the integer value
    EXPECT_FLOAT_EQ(f.GetFloat(0, 0), 0.0f);

    TIEBitmap words(1, 1, ieRGB48);
    words.FillAll(static_cast<double>(0x0000FF));
    EXPECT_EQ(words.GetRGB48(0, 0), (TRGB48{65535, 0, 0}));
}

TEST(TIEBitmapPixels, ReadAsRGBForEveryFormat) {
    TIEBitmap g1(9, 1, ie1g);
    g1.SetBit(8, 0, true);
    EXPECT_EQ(g1.ReadAsRGB(8, 0), MakeRGB(255, 255, 255));
    EXPECT_EQ(g1.ReadAsRGB(7, 0), MakeRGB(0, 0, 0));
    TIEBitmap g16(1, 1, ie16g);
    g16.SetWord(0, 0, 0x80FF);
    EXPECT_EQ(g16.ReadAsRGB(0, 0), MakeRGB(0x80, 0x80, 0x80));
    TIEBitmap f(1, 1, ie32f);
    f.SetFloat(0, 0, 0.999f);
    EXPECT_EQ(f.ReadAsRGB(0, 0), MakeRGB(254, 254, 254));
    TIEBitmap w(1, 1, ieRGB48);
    w.SetRGB48(0, 0, TRGB48{0x1234, 0x5678, 0x9ABC});
    EXPECT_EQ(w.ReadAsRGB(0, 0), MakeRGB(0x12, 0x56, 0x9A));
    TIEBitmap d(1, 1, ie32RGB);
    d.SetDword(0, 0, 0xFF030201);
    EXPECT_EQ(d.ReadAsRGB(0, 0), MakeRGB(3, 2, 1));
    TIEBitmap p(1, 1, ie8p);
    p.SetByte(0, 0, 200); // palette entries start black
    EXPECT_EQ(p.ReadAsRGB(0, 0), MakeRGB(0, 0, 0));
    EXPECT_EQ(p.GetPaletteColor(256), TRGB{});
    p.SetPaletteColor(-1, MakeRGB(1, 1, 1)); // ignored
    EXPECT_EQ(p.PaletteSize(), 256);
    TIEBitmap none;
    EXPECT_EQ(none.ReadAsRGB(0, 0), TRGB{});
}

TEST(TIEBitmapPixels, LooksGrayAndIsAllZeroIgnorePadding) {
    TIEBitmap b(3, 2, ie24RGB); // 9 bytes used of 12 per row
    b.Row(0)[10] = 0x55;        // padding has no meaning
    EXPECT_TRUE(b.IsAllZero());
    EXPECT_TRUE(b.LooksGray());
    b.SetRGB(2, 1, MakeRGB(1, 1, 2));
    EXPECT_FALSE(b.LooksGray());
    EXPECT_FALSE(b.IsAllZero());
    TIEBitmap p(1, 1, ie8p);
    EXPECT_TRUE(p.LooksGray());
    p.SetPaletteColor(255, MakeRGB(0, 0, 1));
    EXPECT_FALSE(p.LooksGray());
}

TEST(TIEBitmapRaw, PaletteImageWithAlphaRoundTrips) {
    TIEBitmap b(5, 3, ie8p);
    for (int i = 0; i < 256; ++i)
        b.SetPaletteColor(i, MakeRGB(i, 255 - i, i / 2));
    b.SetByte(4, 2, 77);
    b.SetAlpha(4, 2, 12);
    b.PaletteUsed = 100;
    b.Contrast = -3;
    TMemoryStream s;
    ASSERT_TRUE(b.WriteRaw(s));
    // Layout: tag, version, palette length, palette, then the header fields.
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(s.Data().data()), 12), "TIEBITMAPRAW");
    EXPECT_EQ(s.Data()[16], 0); // 256 = 0x100, little-endian
    EXPECT_EQ(s.Data()[17], 1);
    const size_t rows = 12 + 4 + 4 + 768 + 4 + 4 + 1 + 1 + 4 + 16 + 16 + 1 + 4 + 4;
    EXPECT_EQ(s.Data().size(), rows + 3 * 8 + 1 + 3 * 8 + 1);

    s.SetPosition(0);
    TIEBitmap back;
    ASSERT_TRUE(back.ReadRaw(s));
    EXPECT_EQ(back.PixelFormat(), ie8p);
    EXPECT_EQ(back.Width(), 5);
    EXPECT_EQ(back.GetByte(4, 2), 77);
    EXPECT_EQ(back.GetPaletteColor(200), MakeRGB(200, 55, 100));
    EXPECT_EQ(back.GetAlpha(4, 2), 12);
    EXPECT_FALSE(back.AlphaPlane()->Opaque);
    EXPECT_EQ(back.PaletteUsed, 100);
    EXPECT_EQ(back.Contrast, -3);

    // The memory-buffer form writes the same bytes at an advancing offset.
    std::vector<uint8_t> buffer(s.Data().size() + 10);
    size_t offset = 10;
    ASSERT_TRUE(b.WriteRaw(buffer, offset));
    EXPECT_EQ(offset, buffer.size());
    EXPECT_TRUE(std::equal(s.Data().begin(), s.Data().end(), buffer.begin() + 10));
}

TEST(TIEBitmapRaw, BadDumpsLeaveTheBitmapUnchanged) {
    TIEBitmap b(2, 2, ie8g);
    b.SetByte(1, 1, 42);
    TMemoryStream notRaw(std::vector<uint8_t>(64, 'x'));
    EXPECT_FALSE(b.ReadRaw(notRaw));

    TIEBitmap source(50, 50, ie24RGB);
    TMemoryStream dump;
    source.WriteRaw(dump);
    dump.SetSize(dump.Size() / 2); // truncated rows
    dump.SetPosition(0);
    EXPECT_FALSE(b.ReadRaw(dump));
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.GetByte(1, 1), 42);
}

TEST(TIEBitmapHandOver, MovesStorageAndLeavesTheSourceEmpty) {
    TIEBitmap a(4, 3, ie8p);
    a.SetByte(3, 2, 5);
    a.SetAlpha(0, 0, 9);
    a.SetPaletteColor(5, MakeRGB(5, 5, 5));
    uint8_t* row = a.Row(2);
    TIEBitmap b(1, 1, ie24RGB);
    a.HandOver(b);
    EXPECT_TRUE(a.IsVoid());
    EXPECT_FALSE(a.HasAlphaPlane());
    EXPECT_EQ(b.Row(2), row); // no copy was made
    EXPECT_EQ(b.ReadAsRGB(3, 2), MakeRGB(5, 5, 5));
    EXPECT_EQ(b.GetAlpha(0, 0), 9);
}

TEST(TIEBitmapCopy, CopyPixelsFromKeepsTheOwnAlphaPlane) {
    TIEBitmap src(2, 2, ie24RGB);
    src.SetRGB(1, 1, MakeRGB(9, 8, 7));
    src.SetAlpha(0, 0, 1);
    TIEBitmap dest(2, 2, ie24RGB);
    dest.SetAlpha(1, 0, 50);
    dest.CopyPixelsFrom(src);
    EXPECT_EQ(dest.GetRGB(1, 1), MakeRGB(9, 8, 7));
    EXPECT_EQ(dest.GetAlpha(1, 0), 50);
    EXPECT_EQ(dest.GetAlpha(0, 0), 255);
    dest.CopyFrom(src); // a full copy takes the alpha plane too
    EXPECT_EQ(dest.GetAlpha(0, 0), 1);
    TIEBitmap plain(2, 2, ie24RGB);
    dest.CopyFrom(plain);
    EXPECT_FALSE(dest.HasAlphaPlane());
}

TEST(TIEBitmapImport, PlatformBitmapsOfEveryDepth) {
    struct Case {
        int bits;
        TIEPixelFormat format;
    };
    for (const Case c : {Case{1, ie1g}, Case{4, ie8p}, Case{8, ie8p}, Case{15, ie24RGB},
                         Case{16, ie24RGB}, Case{24, ie24RGB}, Case{32, ie32RGB}}) {
        TPlatformBitmap platform(3, 2, c.bits);
        if (c.bits == 8) {
            std::vector<TRGB> ramp(256);
            for (int i = 0; i < 256; ++i)
                ramp[i] = MakeRGB(i, i, i);
            platform.SetColorTable(ramp);
        }
        platform.SetPixelRGB(2, 1, MakeRGB(255, 255, 255));
        TIEBitmap b;
        b.CopyFromVclBitmap(platform);
        ASSERT_EQ(b.PixelFormat(), c.format) << c.bits;
        EXPECT_EQ(b.Width(), 3);
        const TRGB white = b.ReadAsRGB(2, 1);
        if (c.bits == 16) {
            EXPECT_EQ(white, MakeRGB(248, 252, 248));
        } else if (c.bits == 15) {
            EXPECT_EQ(white, MakeRGB(248, 248, 248));
        } else {
            EXPECT_EQ(white, MakeRGB(255, 255, 255)) << c.bits;
        }
        EXPECT_EQ(b.ReadAsRGB(0, 0), MakeRGB(0, 0, 0)) << c.bits;
    }
    // Two colours other than black and white come as a palette image.
    TPlatformBitmap coloured(2, 1, 1);
    const TRGB two[] = {MakeRGB(200, 0, 0), MakeRGB(0, 0, 200)};
    coloured.SetColorTable(two);
    coloured.ScanLine(0)[0] = 0x40;
    TIEBitmap b;
    b.CopyFromVclBitmap(coloured);
    EXPECT_EQ(b.PixelFormat(), ie8p);
    EXPECT_EQ(b.ReadAsRGB(0, 0), MakeRGB(200, 0, 0));
    EXPECT_EQ(b.ReadAsRGB(1, 0), MakeRGB(0, 0, 200));
}

TEST(TIEBitmapImport, DibAndMasks) {
    TIEDibbitmap dib;
    EXPECT_FALSE(dib.AllocateBits(0, 5, 24));
    ASSERT_TRUE(dib.AllocateBits(3, 2, 8));
    dib.ScanLine(1)[2] = 99;
    EXPECT_EQ(dib.ScanLine(1), dib.Bits()); // bottom-up
    TIEBitmap b;
    b.CopyFromDib(dib);
    EXPECT_EQ(b.PixelFormat(), ie8g);
    EXPECT_EQ(b.GetByte(2, 1), 99);

    TIEMask mask(4, 3, 8);
    mask.SetPixel(1, 2, 200);
    mask.SetPixel(9, 9, 1); // outside: ignored
    EXPECT_EQ(mask.GetPixel(-1, 0), 0);
    mask.SyncBoundingBox();
    EXPECT_EQ(mask.X1, 1);
    EXPECT_EQ(mask.Y2, 2);
    TIEBitmap m;
    m.CopyFromMask(&mask);
    EXPECT_EQ(m.PixelFormat(), ie8g);
    EXPECT_EQ(m.GetByte(1, 2), 200);

    TIEBitmap rgb(2, 1, ie24RGB);
    rgb.SetRGB(1, 0, MakeRGB(255, 255, 255));
    TIEMask grays;
    rgb.CopyToMask(grays);
    EXPECT_EQ(grays.BitsPerPixel(), 8);
    EXPECT_EQ(grays.GetPixel(1, 0), 63);
    EXPECT_EQ(grays.GetPixel(0, 0), 0);

    TIEBitmap none(2, 2, ie8g);
    none.CopyFromMask(nullptr);
    EXPECT_EQ(none.GetByte(1, 1), 255);
}

} // namespace
} // namespace vellinor
