// The EXIF routines the TIFF codec installs: with them the reader parses
// the EXIF segment (thumbnail, orientation) and the save rebuilds it; without
// them the segment travels unchanged (JpegCodecTest).

#include "image/TIEBitmap.h"
#include "io/TIEImageIO.h"
#include "io/jpeg/ExifBlock.h"
#include "io/jpeg/JpegMarkerOrder.h"
#include "platform/Stream.h"
#include "tests/io/jpeg/JpegTestFiles.h"

#include <gtest/gtest.h>

namespace vellinor {
namespace {

const std::vector<uint8_t> kExifInFile = {'E', 'x', 'i', 'f', 0, 0, 'o', 'l', 'd'};
const std::vector<uint8_t> kExifBuilt = {'E', 'x', 'i', 'f', 0, 0, 'n', 'e', 'w'};

bool ParseForTest(std::span<const uint8_t> block, TIOParamsVals& params) {
    if (!std::equal(block.begin(), block.end(), kExifInFile.begin(), kExifInFile.end())) {
        return false;
    }
    params.HasExif = true;
    params.ExifOrientation = 6;
    params.GetExifThumbnail().Setup(4, 2, ie24RGB);
    return true;
}

std::vector<uint8_t> BuildForTest(TIOParamsVals&) {
    return kExifBuilt;
}

class ExifSeam : public ::testing::Test {
protected:
    void SetUp() override { InstallExifRoutines(ParseForTest, BuildForTest); }
    void TearDown() override { InstallExifRoutines(nullptr, nullptr); }

    std::vector<uint8_t> File() const {
        jpegtest::TJpegSpec spec;
        spec.Width = 32;
        spec.Height = 16;
        spec.Segments = {{JPEG_APP0 + 1, kExifInFile}};
        return jpegtest::MakeJpeg(spec);
    }
};

TEST_F(ExifSeam, ThumbnailOnlyDeliversTheThumbnail) {
    TIEImageIO io;
    io.Params().SetThumbnailOnly(true);
    io.LoadBuffer(File(), iofJPEG);
    ASSERT_FALSE(io.AbortFlag);
    EXPECT_EQ(io.IEBitmap()->Width(), 4);
    EXPECT_EQ(io.IEBitmap()->Height(), 2);
    EXPECT_TRUE(io.Params().HasExif);
}

TEST_F(ExifSeam, AutoOrientTurnsThePictureUpright) {
    TIEImageIO io;
    io.Params().JpegAutoOrient = true;
    io.LoadBuffer(File(), iofJPEG);
    ASSERT_FALSE(io.AbortFlag);
    EXPECT_EQ(io.IEBitmap()->Width(), 16);
    EXPECT_EQ(io.IEBitmap()->Height(), 32);
}

TEST_F(ExifSeam, SaveReplacesTheSegmentByTheBuiltBlock) {
    TIEImageIO io;
    io.LoadBuffer(File(), iofJPEG);
    TMemoryStream saved;
    io.SaveStreamByFormat(saved, iofJPEG);
    InstallExifRoutines(nullptr, nullptr);
    TIEImageIO again;
    again.LoadBuffer(saved.Data(), iofJPEG);
    const TIEMarkerList& markers = again.Params().Markers;
    ASSERT_EQ(markers.Count(), 1);
    EXPECT_EQ(markers.MarkerCode(0), kJpegApp1);
    EXPECT_EQ(markers.MarkerData(0), kExifBuilt);
}

} // namespace
} // namespace vellinor
