// The DCX container: the table check, page choice and page sizes on reading,
// and the rebuilt stream with a page inserted on writing.

#include "io/IOGuards.h"
#include "io/pcx/DcxCodec.h"
#include "platform/BufferedStream.h"
#include "tests/io/pcx/PcxFixture.h"

#include <gtest/gtest.h>
#include <vector>

namespace vellinor {
namespace {

using testing::TFlagged;
using testing::TPcxFixture;
using Bytes = std::vector<uint8_t>;

// A page told apart by its width.
void AddPage(TMemoryStream& dcx, int width, int frameIndex) {
    TIEBitmap page(width, 2, ie24RGB);
    page.FillAll(0);
    TIOParamsVals params;
    params.SetFrameIndex(frameIndex);
    TFlagged run;
    WriteDcxStream(dcx, page, params, run.Progress);
    ASSERT_FALSE(run.Aborted);
}

struct TPage {
    int Width = 0;
    int FrameIndex = 0;
    int FrameCount = 0;
    bool Aborted = false;
};

TPage ReadPage(TStream& dcx, int frameIndex) {
    TIEBitmap bitmap;
    TIOParamsVals params;
    params.SetFrameIndex(frameIndex);
    TPage page;
    TFlagged run;
    dcx.Seek(0, TSeekOrigin::soBeginning);
    ReadDcxStream(dcx, bitmap, params, false, run.Progress);
    page.Aborted = run.Aborted;
    page.Width = bitmap.Width();
    page.FrameIndex = params.FrameIndex();
    page.FrameCount = params.FrameCount();
    return page;
}

std::vector<int> PageWidths(TMemoryStream& dcx) {
    std::vector<int> widths;
    const int count = ReadPage(dcx, 0).FrameCount;
    for (int i = 0; i < count; ++i)
        widths.push_back(ReadPage(dcx, i).Width);
    return widths;
}

void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

TEST(DcxWriter, NewPageGoesInFrontOfFrameIndexOrAfterTheLast) {
    TMemoryStream dcx;
    AddPage(dcx, 3, 0); // empty stream: one page
    AddPage(dcx, 4, 1); // appended
    ASSERT_EQ(PageWidths(dcx), (std::vector<int>{3, 4}));
    AddPage(dcx, 5, 0); // two pages, FrameIndex 0: three pages, new first
    EXPECT_EQ(PageWidths(dcx), (std::vector<int>{5, 3, 4}));
    AddPage(dcx, 6, 2);
    EXPECT_EQ(PageWidths(dcx), (std::vector<int>{5, 3, 6, 4}));
    // An index past the pages appends rather than dropping the picture.
    AddPage(dcx, 7, 99);
    EXPECT_EQ(PageWidths(dcx), (std::vector<int>{5, 3, 6, 4, 7}));
    dcx.Seek(0, TSeekOrigin::soBeginning);
    EXPECT_TRUE(IsDcxStream(dcx));
}

TEST(DcxWriter, RefusesAStreamThatIsNoDcxAndLeavesIt) {
    const Bytes content = {1, 2, 3, 4, 5, 6, 7, 8};
    TMemoryStream stream(content);
    TIEBitmap page(2, 2, ie24RGB);
    TIOParamsVals params;
    TFlagged run;
    WriteDcxStream(stream, page, params, run.Progress);
    EXPECT_TRUE(run.Aborted);
    EXPECT_EQ(stream.Data(), content);
}

TEST(DcxWriter, WritesIntoACountingStream) {
    TMemoryStream stored;
    AddPage(stored, 9, 0);
    TIEBitmap page(9, 2, ie24RGB);
    page.FillAll(0);
    TIOParamsVals params;
    TFlagged run;
    TCountingStream counter;
    WriteDcxStream(counter, page, params, run.Progress);
    EXPECT_FALSE(run.Aborted);
    EXPECT_EQ(counter.Size(), stored.Size());
}

TEST(DcxReader, ClampsFrameIndexAndStoresItBack) {
    TMemoryStream dcx;
    AddPage(dcx, 3, 0);
    AddPage(dcx, 4, 1);
    const TPage high = ReadPage(dcx, 7);
    EXPECT_FALSE(high.Aborted);
    EXPECT_EQ(high.Width, 4);
    EXPECT_EQ(high.FrameIndex, 1);
    EXPECT_EQ(high.FrameCount, 2);
    const TPage low = ReadPage(dcx, -3);
    EXPECT_EQ(low.Width, 3);
    EXPECT_EQ(low.FrameIndex, 0);
}

TEST(DcxReader, PageEndsAtTheNextLargerOffsetWhateverTheTableOrder) {
    // Two 8-bit pages whose palettes are their own last 768 bytes; the table
    // lists the later page first.
    auto page = [](uint8_t red) {
        TPcxFixture f;
        f.Data = {0, 0};
        f.LongPalette.assign(768, 0);
        f.LongPalette[0] = red;
        return f.Bytes();
    };
    const Bytes first = page(11), second = page(22);
    const uint32_t firstAt = 16, secondAt = firstAt + static_cast<uint32_t>(first.size());
    Bytes file;
    Put32(file, kDcxMagic);
    Put32(file, secondAt);
    Put32(file, firstAt);
    Put32(file, 0);
    file.insert(file.end(), first.begin(), first.end());
    file.insert(file.end(), second.begin(), second.end());
    for (const auto& [index, red] : {std::pair{0, 22}, std::pair{1, 11}}) {
        TMemoryStream stream(file);
        TIEBitmap bitmap;
        TIOParamsVals params;
        params.SetFrameIndex(index);
        TFlagged run;
        ReadDcxStream(stream, bitmap, params, false, run.Progress);
        ASSERT_FALSE(run.Aborted);
        EXPECT_EQ(bitmap.GetRGB(0, 0), MakeRGB(static_cast<uint8_t>(red), 0, 0)) << index;
    }
}

TEST(DcxCheck, AcceptsOnlyTablesInsideTheStreamAndRestoresThePosition) {
    TMemoryStream good;
    AddPage(good, 3, 0);
    good.Seek(0, TSeekOrigin::soBeginning);
    EXPECT_TRUE(IsDcxStream(good));
    EXPECT_EQ(good.Position(), 0);

    const Bytes valid = good.Data();
    auto with = [&](size_t at, uint32_t value) {
        Bytes b = valid;
        StoreLE32(b.data() + at, value);
        return b;
    };
    struct TCase {
        const char* Name;
        Bytes File;
    };
    const TCase cases[] = {
        {"wrong magic", with(0, 0x3ADE68B2)},
        {"offset at the end", with(4, static_cast<uint32_t>(valid.size()))},
        {"offset far outside", with(4, 0xFFFFFFF0u)},
        {"table cut off", Bytes(valid.begin(), valid.begin() + 6)},
    };
    for (const TCase& c : cases) {
        TMemoryStream stream(c.File);
        EXPECT_FALSE(IsDcxStream(stream)) << c.Name;
        EXPECT_EQ(stream.Position(), 0) << c.Name;
        TIEBitmap bitmap;
        TIOParamsVals params;
        TFlagged run;
        ReadDcxStream(stream, bitmap, params, false, run.Progress);
        EXPECT_TRUE(run.Aborted) << c.Name;
    }

    // A table of no pages passes the check but has nothing to read.
    Bytes empty;
    Put32(empty, kDcxMagic);
    Put32(empty, 0);
    TMemoryStream none(empty);
    EXPECT_TRUE(IsDcxStream(none));
    EXPECT_TRUE(ReadPage(none, 0).Aborted);
}

} // namespace
} // namespace vellinor
