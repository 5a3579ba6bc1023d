// One suite of container operations run against every storage kind: the
// promise that every algorithm works through Row(y) whatever the storage.

#include "StorageKinds.h"
#include "platform/Stream.h"

#include <cstring>
#include <gtest/gtest.h>

namespace vellinor::test {
namespace {

// 40 x 24 ie24RGB needs one block above the fragment-forcing limit.
constexpr int kW = 40;
constexpr int kH = 24;

TRGB Pattern(int x, int y) {
    return MakeRGB(static_cast<uint8_t>(x * 5 + 1), static_cast<uint8_t>(y * 7 + 2),
                   static_cast<uint8_t>((x ^ y) + 3));
}

void Paint(TIEBitmap& b) {
    for (int y = 0; y < b.Height(); ++y) {
        auto* row = reinterpret_cast<TRGB*>(b.Row(y));
        for (int x = 0; x < b.Width(); ++x)
            row[x] = Pattern(x, y);
    }
}

class StorageSuite : public ::testing::TestWithParam<StorageKind> {
protected:
    StorageKindScope scope{GetParam()};

    std::unique_ptr<TIEBitmap> Painted(int w = kW, int h = kH) {
        auto b = scope.Make(w, h, ie24RGB);
        EXPECT_FALSE(b->IsVoid());
        Paint(*b);
        return b;
    }
};

TEST_P(StorageSuite, RowsAreDistinctAndHoldWhatWasWritten) {
    auto b = Painted();
    switch (GetParam()) {
    case StorageKind::Memory:
        EXPECT_EQ(b->Location(), ieMemory);
        break;
    case StorageKind::Fragments:
        EXPECT_TRUE(b->UsesFragments());
        break;
    case StorageKind::TempFileMapped:
    case StorageKind::TempFileRowBuffers:
        EXPECT_EQ(b->Location(), ieTempFile);
        EXPECT_TRUE(b->UsesFile());
        break;
    case StorageKind::PlatformBitmap:
        EXPECT_EQ(b->Location(), ieTBitmap);
        break;
    }
    EXPECT_EQ(b->RowBytes(), 120);
    for (int y = kH - 1; y >= 0; --y) {
        for (int x = 0; x < kW; ++x)
            ASSERT_EQ(b->GetRGB(x, y), Pattern(x, y)) << x << "," << y;
    }
}

TEST_P(StorageSuite, FreshStorageIsZero) {
    auto b = scope.Make(kW, kH, ie24RGB);
    EXPECT_TRUE(b->IsAllZero());
}

TEST_P(StorageSuite, PinnedRowsStayValidTogether) {
    auto b = Painted();
    uint8_t* top = b->PinRow(0);
    uint8_t* bottom = b->PinRow(kH - 1);
    b->Row(5); // the working row moves on; pinned rows must not
    top[0] = 0xAA;
    bottom[0] = 0xBB;
    b->UnpinRow(0);
    b->UnpinRow(kH - 1);
    EXPECT_EQ(b->Row(0)[0], 0xAA);
    EXPECT_EQ(b->Row(kH - 1)[0], 0xBB);
    EXPECT_EQ(b->GetRGB(1, 0), Pattern(1, 0));
}

TEST_P(StorageSuite, CopyFromRoundTripsPixelsAlphaAndPalette) {
    auto b = Painted();
    b->SetAlpha(3, 4, 77);
    TIEBitmap memory;
    memory.CopyFrom(*b);
    auto back = scope.NewBitmap();
    back->CopyFrom(memory);
    ASSERT_EQ(back->Width(), kW);
    ASSERT_EQ(back->Height(), kH);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x)
            ASSERT_EQ(back->GetRGB(x, y), Pattern(x, y));
    }
    ASSERT_TRUE(back->HasAlphaPlane());
    EXPECT_EQ(back->GetAlpha(3, 4), 77);
    EXPECT_EQ(back->GetAlpha(4, 4), 255);

    auto indexed = scope.Make(kW, kH, ie8p);
    indexed->SetPaletteColor(9, MakeRGB(1, 2, 3));
    indexed->SetByte(2, 2, 9);
    TIEBitmap copy;
    copy.CopyFrom(*indexed);
    EXPECT_EQ(copy.PixelFormat(), ie8p);
    EXPECT_EQ(copy.ReadAsRGB(2, 2), MakeRGB(1, 2, 3));
}

TEST_P(StorageSuite, ChangeWidthAndHeightKeepTopLeftAndZeroTheRest) {
    auto b = Painted();
    b->AlphaPlane()->SetByte(1, 1, 10);
    b->ChangeWidth(kW + 9);
    b->ChangeHeight(kH - 4);
    ASSERT_EQ(b->Width(), kW + 9);
    ASSERT_EQ(b->Height(), kH - 4);
    ASSERT_EQ(b->AlphaPlane()->Width(), kW + 9);
    EXPECT_EQ(b->GetAlpha(1, 1), 10);
    for (int y = 0; y < kH - 4; ++y) {
        for (int x = 0; x < kW; ++x)
            ASSERT_EQ(b->GetRGB(x, y), Pattern(x, y));
        for (int x = kW; x < kW + 9; ++x)
            ASSERT_EQ(b->GetRGB(x, y), TRGB{});
    }
}

TEST_P(StorageSuite, ResizeCanvasCentresTheOldPictureInTheFill) {
    auto b = Painted();
    b->AlphaPlane()->FillAll(200);
    b->ResizeCanvas(kW + 20, kH + 10, static_cast<double>(clWhite), 255, 1, 1);
    ASSERT_EQ(b->Width(), kW + 20);
    ASSERT_EQ(b->Height(), kH + 10);
    for (int y = 0; y < kH + 10; ++y) {
        for (int x = 0; x < kW + 20; ++x) {
            const bool inside = x >= 10 && x < 10 + kW && y >= 5 && y < 5 + kH;
            const TRGB expected = inside ? Pattern(x - 10, y - 5) : MakeRGB(255, 255, 255);
            ASSERT_EQ(b->GetRGB(x, y), expected) << x << "," << y;
            ASSERT_EQ(b->GetAlpha(x, y), inside ? 200 : 255) << x << "," << y;
        }
    }
}

TEST_P(StorageSuite, CopyAreaWithinTheSameBitmapAndFillArea) {
    auto b = Painted();
    b->CopyArea(*b, 0, 0, 20, 10, 8, 6);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(b->GetRGB(20 + x, 10 + y), Pattern(x, y));
    }
    b->FillArea(-3, -3, 2, 1, static_cast<double>(0x0000FF)); // red, clamped
    EXPECT_EQ(b->GetRGB(0, 0), MakeRGB(255, 0, 0));
    EXPECT_EQ(b->GetRGB(2, 1), MakeRGB(255, 0, 0));
    EXPECT_EQ(b->GetRGB(3, 1), Pattern(3, 1));
    EXPECT_EQ(b->GetRGB(2, 2), Pattern(2, 2));
}

TEST_P(StorageSuite, RawDumpRoundTrip) {
    auto b = Painted();
    b->SetAlpha(0, 0, 1);
    TMemoryStream stream;
    ASSERT_TRUE(b->WriteRaw(stream));
    stream.SetPosition(0);
    auto back = scope.NewBitmap();
    ASSERT_TRUE(back->ReadRaw(stream));
    EXPECT_EQ(stream.Position(), stream.Size());
    ASSERT_EQ(back->Width(), kW);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x)
            ASSERT_EQ(back->GetRGB(x, y), Pattern(x, y));
    }
    EXPECT_EQ(back->GetAlpha(0, 0), 1);
}

TEST_P(StorageSuite, OneBitRowsAndBitCopies) {
    auto b = scope.Make(37, 24, ie1g);
    ASSERT_EQ(b->RowBytes(), 8);
    b->FillAll(1);
    b->FillArea(3, 2, 9, 2, 0);
    EXPECT_TRUE(b->GetBit(2, 2));
    EXPECT_FALSE(b->GetBit(3, 2));
    EXPECT_FALSE(b->GetBit(9, 2));
    EXPECT_TRUE(b->GetBit(10, 2));
    TIEBitmap rgb(37, 24, ie24RGB);
    b->CopyArea(rgb, 0, 0, 0, 0, 37, 24);
    EXPECT_EQ(rgb.GetRGB(3, 2), MakeRGB(0, 0, 0));
    EXPECT_EQ(rgb.GetRGB(10, 2), MakeRGB(255, 255, 255));
}

INSTANTIATE_TEST_SUITE_P(AllStorage, StorageSuite,
                         ::testing::Values(StorageKind::Memory, StorageKind::Fragments,
                                           StorageKind::TempFileMapped,
                                           StorageKind::TempFileRowBuffers,
                                           StorageKind::PlatformBitmap),
                         [](const auto& info) { return StorageKindName(info.param); });

} // namespace
} // namespace vellinor::test
