#include "GifFixtures.h"
#include "image/TIEBitmap.h"
#include "image/TIEMask.h"
#include "io/TIEImageIO.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/gif/GifCodec.h"
#include "platform/Stream.h"

#include <gtest/gtest.h>

namespace vellinor {
namespace {

using testing::BuildGif;
using testing::Rgb;
using testing::TGifControl;
using testing::TGifFile;
using testing::TGifImage;

const TRGB kBlack = Rgb(0, 0, 0), kWhite = Rgb(255, 255, 255), kRed = Rgb(255, 0, 0),
           kGreen = Rgb(0, 255, 0), kBlue = Rgb(0, 0, 255);

class GifReader : public ::testing::Test {
protected:
    // Reads bytes; returns the abort flag.
    bool Read(const std::vector<uint8_t>& bytes, bool preview = false,
              bool ignoreTransparency = false) {
        TMemoryStream stream(bytes);
        abort = false;
        TIOProgressRec progress;
        progress.AbortFlagRef = &abort;
        progress.ProgressProc = [this](void*, int percent) { reported.push_back(percent); };
        reported.clear();
        mask.reset();
        ReadGifStream(stream, bitmap, frameCount, params, progress, preview, mask,
                      ignoreTransparency);
        return abort;
    }

    TIEBitmap bitmap;
    TIOParamsVals params;
    std::unique_ptr<TIEMask> mask;
    int frameCount = -1;
    bool abort = false;
    std::vector<int> reported;
};

TGifImage Image(int width, int height, std::vector<uint8_t> indexes) {
    TGifImage image;
    image.Width = width;
    image.Height = height;
    image.Indexes = std::move(indexes);
    return image;
}

TEST_F(GifReader, SelectsTheImageByFrameIndexAndCountsThemAll) {
    TGifFile file;
    file.ScreenWidth = 10;
    file.ScreenHeight = 10;
    file.GlobalTable = {kBlack, kWhite, kRed, kGreen};
    file.Images.push_back(Image(2, 1, {0, 1}));
    file.Images[0].Control = TGifControl{10, true, 1, 1};
    file.Images.push_back(Image(3, 2, {2, 3, 2, 3, 2, 3}));
    file.Images[1].Left = 4;
    file.Images[1].Top = 5;
    file.Images[1].Control = TGifControl{77, false, 3, 3};
    file.Images.push_back(Image(1, 1, {0}));
    file.Images[2].Control = TGifControl{99, true, 0, 2};
    params.GifFrameIndex = 1;

    ASSERT_FALSE(Read(BuildGif(file)));
    EXPECT_EQ(frameCount, 3);
    EXPECT_EQ(params.FrameCount(), 3);
    ASSERT_EQ(bitmap.Width(), 3);
    ASSERT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.PixelFormat(), ie24RGB);
    EXPECT_EQ(bitmap.GetRGB(0, 0), kRed);
    EXPECT_EQ(bitmap.GetRGB(1, 0), kGreen);
    EXPECT_EQ(bitmap.GetRGB(1, 1), kRed);
    // The control block in front of the second image, not the others.
    EXPECT_EQ(params.GifDelayTime, 77);
    EXPECT_FALSE(params.GifTransparent);
    EXPECT_EQ(params.GifDisposal, 3);
    EXPECT_EQ(params.GifTransparentColor, kGreen);
    EXPECT_EQ(params.GifXPos, 4);
    EXPECT_EQ(params.GifYPos, 5);
    EXPECT_EQ(params.Width, 3);
    EXPECT_EQ(params.BitsPerSample, 2);
    EXPECT_EQ(params.PaletteCount(), 4);
    EXPECT_EQ(params.SamplesPerPixel, 1);
    EXPECT_EQ(params.GifScreenWidth, 10);
    EXPECT_EQ(reported, (std::vector<int>{0, 30, 70, 100}));

    // An image the file does not hold: failure, the images still counted.
    params.GifFrameIndex = 3;
    EXPECT_TRUE(Read(BuildGif(file)));
    EXPECT_EQ(frameCount, 3);
}

TEST_F(GifReader, TwoEntryPalettesBlackWhiteIsBilevelWhiteBlackIsColour) {
    TGifFile file;
    file.ScreenWidth = 9;
    file.Images.push_back(Image(9, 1, {0, 1, 1, 0, 0, 0, 0, 0, 1}));
    file.Images[0].Bits = 1;

    file.GlobalTable = {kBlack, kWhite};
    ASSERT_FALSE(Read(BuildGif(file)));
    ASSERT_EQ(bitmap.PixelFormat(), ie1g);
    EXPECT_EQ(bitmap.Row(0)[0], 0x60);
    EXPECT_EQ(bitmap.Row(0)[1] & 0x80, 0x80);
    EXPECT_EQ(params.BitsPerSample, 1);

    file.GlobalTable = {kWhite, kBlack};
    ASSERT_FALSE(Read(BuildGif(file)));
    ASSERT_EQ(bitmap.PixelFormat(), ie24RGB);
    EXPECT_EQ(bitmap.GetRGB(0, 0), kWhite);
    EXPECT_EQ(bitmap.GetRGB(1, 0), kBlack);

    // The local table wins over the global one, swapped red and blue read right.
    file.Images[0].LocalTable = {kRed, kBlue};
    params.NativeFormat = true;
    ASSERT_FALSE(Read(BuildGif(file)));
    ASSERT_EQ(bitmap.PixelFormat(), ie8p);
    EXPECT_EQ(bitmap.GetPaletteColor(0), kRed);
    EXPECT_EQ(bitmap.GetPaletteColor(1), kBlue);
    EXPECT_EQ(bitmap.Row(0)[2], 1);
    EXPECT_EQ(bitmap.PaletteUsed, 2);
}

TEST_F(GifReader, TransparentIndexGivesAMaskExactlyAtItsPixels) {
    TGifFile file;
    file.ScreenWidth = 4;
    file.ScreenHeight = 2;
    file.GlobalTable = {kBlack, kWhite, kRed, kGreen};
    file.Images.push_back(Image(4, 2, {0, 2, 1, 2, 3, 3, 2, 0}));
    file.Images[0].Control = TGifControl{0, true, 2, 0};
    ASSERT_FALSE(Read(BuildGif(file)));
    ASSERT_NE(mask, nullptr);
    EXPECT_TRUE(params.GifTransparent);
    EXPECT_EQ(params.GifTransparentColor, kRed);
    const std::vector<uint8_t> expected = {255, 0, 255, 0, 255, 255, 0, 255};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(mask->GetPixel(x, y), expected[static_cast<size_t>(y * 4 + x)])
                << x << "," << y;

    ASSERT_FALSE(Read(BuildGif(file), false, true));
    EXPECT_EQ(mask, nullptr) << "transparency ignored";

    file.Images[0].Control->TransparentIndex = 1;
    file.Images[0].Indexes = {0, 2, 0, 2, 3, 3, 2, 0}; // index 1 unused
    ASSERT_FALSE(Read(BuildGif(file)));
    EXPECT_EQ(mask, nullptr);
}

TEST_F(GifReader, FrontEndTurnsTheMaskIntoTheAlphaPlane) {
    TGifFile file;
    file.ScreenWidth = 2;
    file.GlobalTable = {kBlack, kWhite};
    file.Images.push_back(Image(2, 1, {1, 0}));
    file.Images[0].Control = TGifControl{0, true, 0, 0};
    const auto bytes = BuildGif(file);
    TIEImageIO io;
    io.LoadBuffer(bytes, iofGIF);
    ASSERT_FALSE(io.AbortFlag);
    ASSERT_TRUE(io.IEBitmap()->HasAlphaPlane());
    EXPECT_EQ(io.IEBitmap()->GetAlpha(0, 0), 255);
    EXPECT_EQ(io.IEBitmap()->GetAlpha(1, 0), 0);
    // Detected by content as well.
    io.LoadBuffer(bytes, iofUnknown);
    EXPECT_FALSE(io.AbortFlag);
}

TEST_F(GifReader, PreviewReadsTheParametersOnly) {
    TGifFile file;
    file.ScreenWidth = 6;
    file.GlobalTable = {kBlack, kWhite, kRed, kGreen};
    // Data long enough to hold bytes that look like a trailer or a separator.
    std::vector<uint8_t> noise(6 * 500);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<uint8_t>((i * 2654435761u) >> 29 & 3);
    file.Images.push_back(Image(6, 500, noise));
    file.Images.push_back(Image(1, 1, {0}));
    file.CommentsBeforeImages = {"first", std::string(300, 'x')};
    ASSERT_FALSE(Read(BuildGif(file), true, true));
    EXPECT_TRUE(bitmap.IsVoid());
    EXPECT_EQ(params.Width, 6);
    EXPECT_EQ(frameCount, 2);
    EXPECT_EQ(params.PaletteCount(), 4);
    // Each non-empty sub-block is one string.
    EXPECT_EQ(params.GifComments,
              (std::vector<std::string>{"first", std::string(255, 'x'), std::string(45, 'x')}));
}

TEST_F(GifReader, DamagedFilesFailOrLoadWhatIsDefined) {
    TGifFile file;
    file.ScreenWidth = 2;
    file.ScreenHeight = 2;
    file.GlobalTable = {kBlack, kWhite, kRed, kGreen};
    {
        SCOPED_TRACE("not a GIF");
        EXPECT_TRUE(Read({'G', 'I', 'X', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}));
        EXPECT_TRUE(bitmap.IsVoid());
    }
    {
        SCOPED_TRACE("a frame outside the logical screen loads by its own size");
        TGifFile outside = file;
        outside.Images.push_back(Image(3, 3, std::vector<uint8_t>(9, 2)));
        outside.Images[0].Left = 500;
        outside.Images[0].Top = 400;
        ASSERT_FALSE(Read(BuildGif(outside)));
        EXPECT_EQ(bitmap.Width(), 3);
        EXPECT_EQ(bitmap.GetRGB(2, 2), kRed);
    }
    {
        SCOPED_TRACE("data cut off: the rows not reached are index 0, no trailer needed");
        TGifFile cut = file;
        std::vector<uint8_t> indexes(200 * 200);
        for (size_t i = 0; i < indexes.size(); ++i)
            indexes[i] = static_cast<uint8_t>((i * 7 + i / 13) % 4);
        cut.Images.push_back(Image(200, 200, indexes));
        auto bytes = BuildGif(cut);
        bytes.resize(bytes.size() / 2);
        ASSERT_FALSE(Read(bytes));
        EXPECT_EQ(bitmap.GetRGB(1, 0), kGreen);
        EXPECT_EQ(bitmap.GetRGB(199, 199), kBlack);
    }
    {
        SCOPED_TRACE("an LZW error fails the image");
        TGifFile bad = file;
        bad.Images.push_back(Image(2, 2, {0, 1, 2, 3}));
        auto bytes = BuildGif(bad);
        // The minimum code size byte sits after header, table and descriptor.
        bytes[13 + 12 + 10] = 15;
        EXPECT_TRUE(Read(bytes));
    }
    {
        SCOPED_TRACE("a huge colour image without data behind it");
        TGifFile huge = file;
        huge.Images.push_back(Image(1, 1, {0}));
        auto bytes = BuildGif(huge);
        bytes[13 + 12 + 5] = 0xFF; // width 65535
        bytes[13 + 12 + 6] = 0xFF;
        bytes[13 + 12 + 7] = 0xFF; // height 65535
        bytes[13 + 12 + 8] = 0xFF;
        EXPECT_TRUE(Read(bytes));
    }
}

} // namespace
} // namespace vellinor
