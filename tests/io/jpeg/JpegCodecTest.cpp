// The JPEG codec through the front end, on memory streams: colour spaces,
// progression, density, scaling, the start search, damaged files, the
// writer's failures, and the segments that must survive a load and a save.

#include "io/jpeg/JpegCodec.h"

#include "image/TIEBitmap.h"
#include "io/TIEImageIO.h"
#include "io/jpeg/IptcBlock.h"
#include "io/jpeg/JpegMarkerOrder.h"
#include "io/jpeg/JpegStreamScan.h"
#include "io/jpeg/XmpBlock.h"
#include "platform/BufferedStream.h"
#include "platform/Stream.h"
#include "tests/io/jpeg/JpegTestFiles.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace vellinor {
namespace {

using jpegtest::MakeJpeg;
using jpegtest::TJpegSpec;

std::vector<uint8_t> Save(TIEImageIO& io) {
    TMemoryStream stream;
    io.SaveStreamByFormat(stream, iofJPEG);
    EXPECT_FALSE(io.AbortFlag);
    return stream.Data();
}

void Load(TIEImageIO& io, const std::vector<uint8_t>& bytes) {
    io.LoadBuffer(bytes, iofJPEG);
}

// Left half red, right half blue, a grey bar at the bottom: colours that
// show a swapped channel or a lost colour at once.
void PaintPattern(TIEBitmap& b) {
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            TRGB c = x < b.Width() / 2 ? MakeRGB(220, 30, 30) : MakeRGB(30, 30, 220);
            if (y >= b.Height() * 3 / 4) c = MakeRGB(128, 128, 128);
            b.SetRGB(x, y, c);
        }
}

int Distance(TRGB a, TRGB b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

struct TColorSpaceCase {
    const char* Name;
    uint8_t ColorSpace;
    int Samples;
    bool KeepsColour;
};

class JpegColorSpaces : public ::testing::TestWithParam<TColorSpaceCase> {};

TEST_P(JpegColorSpaces, RoundTripKeepsTheColoursAndReportsTheSpace) {
    const TColorSpaceCase& c = GetParam();
    TIEImageIO io;
    io.IEBitmap()->Setup(64, 48, ie24RGB);
    PaintPattern(*io.IEBitmap());
    io.Params().JpegColorSpace = c.ColorSpace;
    io.Params().JpegQuality = 95;
    const std::vector<uint8_t> file = Save(io);
    io.Params().JpegColorSpace = 2;
    Load(io, file);
    ASSERT_FALSE(io.AbortFlag);
    TIEBitmap& b = *io.IEBitmap();
    EXPECT_EQ(b.PixelFormat(), ie24RGB);
    EXPECT_EQ(io.Params().JpegColorSpace, c.ColorSpace);
    EXPECT_EQ(io.Params().SamplesPerPixel, c.Samples);
    const TRGB red = c.KeepsColour ? MakeRGB(220, 30, 30) : MakeRGB(82, 82, 82);
    const TRGB blue = c.KeepsColour ? MakeRGB(30, 30, 220) : MakeRGB(45, 45, 45);
    EXPECT_LE(Distance(b.ReadAsRGB(8, 8), red), 12) << c.Name;
    EXPECT_LE(Distance(b.ReadAsRGB(56, 8), blue), 12) << c.Name;
    EXPECT_LE(Distance(b.ReadAsRGB(30, 44), MakeRGB(128, 128, 128)), 8) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(EachColorSpace, JpegColorSpaces,
                         ::testing::Values(TColorSpaceCase{"Rgb", 0, 3, true},
                                           TColorSpaceCase{"Gray", 1, 1, false},
                                           TColorSpaceCase{"YCbCr", 2, 3, true},
                                           TColorSpaceCase{"Cmyk", 3, 4, true},
                                           TColorSpaceCase{"Ycck", 4, 4, true}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(JpegCodec, NativeFormatKeepsGreyAndCmyk) {
    TIEImageIO io;
    io.SetNativePixelFormat(true);
    io.IEBitmap()->Setup(16, 16, ie24RGB);
    PaintPattern(*io.IEBitmap());
    TIEBitmap original;
    original.CopyFrom(*io.IEBitmap());
    for (const auto& [space, format] :
         {std::pair{uint8_t{1}, ie8g}, std::pair{uint8_t{3}, ieCMYK}}) {
        io.IEBitmap()->CopyFrom(original);
        io.Params().JpegColorSpace = space;
        Load(io, Save(io));
        EXPECT_EQ(io.IEBitmap()->PixelFormat(), format);
    }
}

TEST(JpegCodec, ProgressiveFlagSurvivesLoadAndSave) {
    TJpegSpec spec;
    spec.Progressive = true;
    TIEImageIO io;
    Load(io, MakeJpeg(spec));
    ASSERT_FALSE(io.AbortFlag);
    EXPECT_TRUE(io.Params().JpegProgressive);
    const std::vector<uint8_t> saved = Save(io);
    EXPECT_EQ(jpegtest::MarkerCodes(saved).back(), 0xC2); // progressive frame header
    Load(io, MakeJpeg(TJpegSpec{}));
    EXPECT_FALSE(io.Params().JpegProgressive);
    EXPECT_EQ(jpegtest::MarkerCodes(Save(io)).back(), 0xC0);
}

TEST(JpegCodec, DensityRules) {
    struct TCase {
        int Unit, X;
        bool Jfif;
        int Expected;
    };
    for (const TCase c : {TCase{1, 72, true, 72}, TCase{2, 118, true, 299}, TCase{0, 1, true, 300},
                          TCase{0, 1, false, 300}}) {
        TJpegSpec spec;
        spec.WriteJfif = c.Jfif;
        spec.DensityUnit = c.Unit;
        spec.DensityX = spec.DensityY = c.X;
        TIEImageIO io;
        Load(io, MakeJpeg(spec));
        ASSERT_FALSE(io.AbortFlag);
        EXPECT_EQ(io.Params().ResolutionX(), c.Expected) << c.Unit << " " << c.X;
        EXPECT_EQ(io.Params().ResolutionY(), c.Expected) << c.Unit << " " << c.X;
    }
}

TEST(JpegCodec, WriterStoresTheResolutionAsDotsPerInch) {
    TIEImageIO io;
    io.IEBitmap()->Setup(8, 8, ie24RGB);
    io.Params().SetResolutionX(150);
    io.Params().SetResolutionY(75);
    const std::vector<uint8_t> file = Save(io);
    // JFIF APP0: unit at byte 13, densities at 14 and 16 of the segment.
    ASSERT_GT(file.size(), 20u);
    EXPECT_EQ(file[2 + 11], 1);
    EXPECT_EQ(file[2 + 12] << 8 | file[2 + 13], 150);
    EXPECT_EQ(file[2 + 14] << 8 | file[2 + 15], 75);
}

TEST(JpegCodec, AutomaticScaleChoosesTheLargestFittingReduction) {
    TJpegSpec spec;
    spec.Width = 1600;
    spec.Height = 1200;
    const std::vector<uint8_t> file = MakeJpeg(spec);
    struct TCase {
        int Width, Height, Denominator;
    };
    for (const TCase c : {TCase{200, 150, 8}, TCase{201, 150, 4}, TCase{1600, 1200, 1}}) {
        TIEImageIO io;
        io.Params().JpegScale = 0;
        io.Params().Width = c.Width;
        io.Params().Height = c.Height;
        Load(io, file);
        ASSERT_FALSE(io.AbortFlag);
        EXPECT_EQ(io.Params().JpegScaleUsed, c.Denominator);
        EXPECT_EQ(io.IEBitmap()->Width(), 1600 / c.Denominator);
        EXPECT_EQ(io.Params().StoredWidth, 1600);
    }
}

TEST(JpegCodec, StartOfImageIsSearchedWithin150Bytes) {
    const std::vector<uint8_t> file = MakeJpeg(TJpegSpec{});
    for (const size_t garbage : {size_t{1}, size_t{149}, size_t{150}, size_t{400}}) {
        std::vector<uint8_t> bytes(garbage, 0x20);
        bytes.insert(bytes.end(), file.begin(), file.end());
        TIEImageIO io;
        Load(io, bytes);
        EXPECT_EQ(io.AbortFlag, garbage >= 150) << garbage;
        TMemoryStream stream(bytes);
        EXPECT_EQ(FindJpegStart(stream), garbage < 150 ? static_cast<int64_t>(garbage) : -1);
        EXPECT_EQ(stream.Position(), 0);
    }
}

TEST(JpegCodec, StreamLengthEndsAfterTheEndOfImage) {
    std::vector<uint8_t> bytes = MakeJpeg(TJpegSpec{});
    const auto length = static_cast<int64_t>(bytes.size());
    bytes.insert(bytes.end(), 100, 0xFF);
    TMemoryStream stream(bytes);
    EXPECT_EQ(JpegStreamLength(stream), length);
    EXPECT_EQ(stream.Position(), 0);
}

TEST(JpegCodec, TruncatedFileLoadsWithAWarningAndDefinedRows) {
    TJpegSpec spec;
    spec.Width = 256;
    spec.Height = 256;
    std::vector<uint8_t> file = MakeJpeg(spec);
    file.resize(file.size() / 2);
    TIEImageIO io;
    Load(io, file);
    EXPECT_FALSE(io.AbortFlag);
    EXPECT_GT(io.Params().JpegWarnings, 0);
    ASSERT_EQ(io.IEBitmap()->Height(), 256);
    // The top rows are the picture; the missing ones are the library's grey.
    EXPECT_LE(Distance(io.IEBitmap()->ReadAsRGB(240, 0), MakeRGB(239, 0, 128)), 16);
    EXPECT_LE(Distance(io.IEBitmap()->ReadAsRGB(30, 255), MakeRGB(128, 128, 128)), 2);
}

TEST(JpegCodec, DamagedFilesFailWithoutThrowing) {
    const std::vector<uint8_t> file = MakeJpeg(TJpegSpec{});
    TIEImageIO io;
    for (const size_t length : {size_t{3}, size_t{20}, size_t{100}}) {
        const std::vector<uint8_t> head(file.begin(), file.begin() + length);
        EXPECT_NO_THROW(Load(io, head));
        EXPECT_TRUE(io.AbortFlag) << length;
    }
    std::vector<uint8_t> bad = file;
    bad[3] ^= 0x40; // the first segment is no longer APP0
    bad[5] = 0xFF;  // and its length is absurd
    EXPECT_NO_THROW(Load(io, bad));
}

TEST(JpegCodec, WriterErrorRaisesAndLeavesTheOldFile) {
    const auto path = std::filesystem::temp_directory_path() / "vellinor-jpeg-writer-error.jpg";
    {
        std::ofstream old(path, std::ios::binary);
        old << "old contents";
    }
    TIEImageIO io;
    // Wider than a JPEG file can be.
    ASSERT_TRUE(io.IEBitmap()->Setup(70000, 1, ie24RGB));
    try {
        io.SaveFile(path.string());
        ADD_FAILURE() << "no exception";
    } catch (const EIEJpegException& e) {
        EXPECT_EQ(std::string(e.what()), "Maximum supported image dimension is ? pixels");
    }
    std::ifstream in(path, std::ios::binary);
    const std::string contents{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(contents, "old contents");
    std::filesystem::remove(path);
}

TEST(JpegCodec, RefusingStreamRaisesTheAbortFlagAndCountingStreamCounts) {
    TIEImageIO io;
    io.IEBitmap()->Setup(64, 64, ie24RGB);
    PaintPattern(*io.IEBitmap());
    std::vector<uint8_t> small(50);
    TSpanStream refusing(std::span<uint8_t>(small.data(), small.size()));
    io.SaveStreamByFormat(refusing, iofJPEG);
    EXPECT_TRUE(io.AbortFlag);
    TCountingStream counting;
    io.SaveStreamByFormat(counting, iofJPEG);
    EXPECT_FALSE(io.AbortFlag);
    EXPECT_EQ(counting.Size(), static_cast<int64_t>(Save(io).size()));
}

TEST(JpegCodec, EmptyBitmapWritesNothing) {
    TIEImageIO io;
    TMemoryStream stream;
    io.SaveStreamByFormat(stream, iofJPEG);
    EXPECT_TRUE(io.AbortFlag);
    EXPECT_EQ(stream.Size(), 0);
}

// --- Segments ----------------------------------------------------------------

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> IccChunk(int sequence, int count, const std::string& payload) {
    std::vector<uint8_t> data(12);
    std::memcpy(data.data(), "ICC_PROFILE", 12);
    data.push_back(static_cast<uint8_t>(sequence));
    data.push_back(static_cast<uint8_t>(count));
    data.insert(data.end(), payload.begin(), payload.end());
    return data;
}

std::vector<uint8_t> IptcApp13() {
    TIEIPTCInfoList iptc;
    iptc.Add(2, 5, Bytes("Title"));
    iptc.Add(2, 120, Bytes("A caption"));
    return BuildIptcBlock(iptc, true);
}

std::vector<uint8_t> ExifApp1() {
    std::vector<uint8_t> data = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0};
    return data;
}

TEST(JpegCodec, SegmentsSurviveALoadAndASaveByteForByte) {
    TJpegSpec spec;
    spec.Segments = {
        {JPEG_APP0 + 2, IccChunk(3, 3, "-third")},
        {JPEG_APP0 + 1, BuildXmpBlock("<x:xmpmeta>packet</x:xmpmeta>")},
        {JPEG_APP0 + 2, IccChunk(1, 3, "first")},
        {JPEG_COM, Bytes("comment one")},
        {JPEG_APP0 + 13, IptcApp13()},
        {JPEG_APP0 + 1, ExifApp1()},
        {JPEG_APP0 + 2, IccChunk(2, 3, "-second")},
        {JPEG_COM, Bytes("comment two")},
        {JPEG_APP0 + 5, Bytes("vendor data")},
    };
    TIEImageIO io;
    Load(io, MakeJpeg(spec));
    ASSERT_FALSE(io.AbortFlag);
    const TIOParamsVals& params = io.Params();
    ASSERT_TRUE(params.HasInputIcc());
    EXPECT_EQ(
        std::string(io.Params().GetInputIcc().Raw.begin(), io.Params().GetInputIcc().Raw.end()),
        "first-second-third");
    EXPECT_EQ(params.XmpPacket, "<x:xmpmeta>packet</x:xmpmeta>");
    ASSERT_EQ(params.IptcInfo.Count(), 2);
    EXPECT_EQ(params.IptcInfo.StringItem(1), "A caption");
    EXPECT_FALSE(params.IptcInfo.UserChanged);
    ASSERT_EQ(params.Markers.Count(), static_cast<int>(spec.Segments.size()));

    const std::vector<uint8_t> saved = Save(io);
    TIEImageIO again;
    Load(again, saved);
    ASSERT_FALSE(again.AbortFlag);
    const TIEMarkerList& markers = again.Params().Markers;
    ASSERT_EQ(markers.Count(), static_cast<int>(spec.Segments.size()));
    // Written sorted: APP1 (EXIF first), APP2 (ICC by sequence), APP5, APP13, COM in file order.
    const std::vector<std::vector<uint8_t>> expected = {
        ExifApp1(),
        BuildXmpBlock("<x:xmpmeta>packet</x:xmpmeta>"),
        IccChunk(1, 3, "first"),
        IccChunk(2, 3, "-second"),
        IccChunk(3, 3, "-third"),
        Bytes("vendor data"),
        IptcApp13(),
        Bytes("comment one"),
        Bytes("comment two")};
    for (int i = 0; i < markers.Count(); ++i)
        EXPECT_EQ(markers.MarkerData(i), expected[static_cast<size_t>(i)]) << i;
}

TEST(JpegCodec, SortMarkersPutsExifBeforeXmp) {
    TIEMarkerList markers;
    markers.Add(kJpegCom, Bytes("c"));
    markers.Add(kJpegApp1, BuildXmpBlock("x"));
    markers.Add(kJpegApp2, IccChunk(2, 2, "b"));
    markers.Add(kJpegApp1, ExifApp1());
    markers.Add(kJpegApp2, IccChunk(1, 2, "a"));
    markers.Add(kJpegApp0, Bytes("JFXX"));
    SortMarkers(markers);
    std::vector<int> codes;
    for (int i = 0; i < markers.Count(); ++i)
        codes.push_back(markers.MarkerCode(i));
    EXPECT_EQ(codes,
              (std::vector<int>{kJpegApp0, kJpegApp1, kJpegApp1, kJpegApp2, kJpegApp2, kJpegCom}));
    EXPECT_EQ(markers.MarkerData(1), ExifApp1());
    EXPECT_EQ(markers.MarkerData(3), IccChunk(1, 2, "a"));
}

TEST(JpegCodec, ChangedIptcAndTheResolutionAreWrittenIntoApp13) {
    // A Photoshop APP13 with a resolution resource and the IPTC resource.
    std::vector<uint8_t> app13 = Bytes("Photoshop 3.0");
    app13.push_back(0);
    const uint8_t resolution[] = {'8', 'B', 'I', 'M', 0x03, 0xED, 0, 0, 0, 0, 0, 16};
    app13.insert(app13.end(), std::begin(resolution), std::end(resolution));
    app13.insert(app13.end(), 16, 0);
    TJpegSpec spec;
    spec.Segments = {{JPEG_APP0 + 13, app13}};
    TIEImageIO io;
    Load(io, MakeJpeg(spec));
    io.Params().SetResolutionX(200);
    io.Params().SetResolutionY(100);
    TIEImageIO again;
    Load(again, Save(io));
    const std::vector<uint8_t>& data = again.Params().Markers.MarkerData(0);
    const size_t record = 14 + 12;
    EXPECT_EQ(data[record] << 8 | data[record + 1], 200);
    EXPECT_EQ(data[record + 5], 1);
    EXPECT_EQ(data[record + 8] << 8 | data[record + 9], 100);
    EXPECT_EQ(again.Params().ResolutionX(), 200);

    // An edited IPTC list replaces the block.
    again.Params().IptcInfo.Add(2, 25, Bytes("keyword"));
    TIEImageIO third;
    Load(third, Save(again));
    ASSERT_EQ(third.Params().IptcInfo.Count(), 1);
    EXPECT_EQ(third.Params().IptcInfo.StringItem(0), "keyword");
}

TEST(IptcBlock, BuildAndParseBothForms) {
    TIEIPTCInfoList iptc;
    iptc.Add(2, 0, Bytes("version, left out"));
    iptc.Add(2, 5, Bytes("odd"));
    iptc.Add(2, 80, {});
    iptc.Add(2, 120, std::vector<uint8_t>(40000, 'x'));
    for (const bool header : {true, false}) {
        const std::vector<uint8_t> block = BuildIptcBlock(iptc, header);
        EXPECT_EQ(block.size() % 2, 0u);
        TIEIPTCInfoList parsed;
        parsed.UserChanged = true;
        ASSERT_TRUE(ParseIptcBlock(parsed, block));
        EXPECT_FALSE(parsed.UserChanged);
        // Without the header the record-version dataset comes first.
        const int first = header ? 0 : 1;
        ASSERT_EQ(parsed.Count(), first + 2);
        EXPECT_EQ(parsed.StringItem(first), "odd");
        EXPECT_EQ(parsed.Item(first + 1).Data.size(), 40000u);
    }
    const std::vector<uint8_t> block = BuildIptcBlock(iptc, true);
    EXPECT_EQ(std::memcmp(block.data(), "Photoshop 3.0\0008BIM\004\004\0\0", 22), 0);
    // The length field covers the datasets: 5 + 3 for "odd", 9 + 40000.
    EXPECT_EQ(block[22] << 24 | block[23] << 16 | block[24] << 8 | block[25], 8 + 40009);
    EXPECT_TRUE(BuildIptcBlock(TIEIPTCInfoList{}, true).empty());
}

TEST(IptcBlock, ResourceSizeBytesAreNotTakenForDatasets) {
    // A size of 28 = 0x1C must not start the datasets.
    std::vector<uint8_t> block = Bytes("Photoshop 3.0");
    block.push_back(0);
    const uint8_t header[] = {'8', 'B', 'I', 'M', 4, 4, 0, 0, 0, 0, 0, 0x1C};
    block.insert(block.end(), std::begin(header), std::end(header));
    const uint8_t dataset[] = {0x1C, 2, 5, 0, 3, 'a', 'b', 'c'};
    block.insert(block.end(), std::begin(dataset), std::end(dataset));
    TIEIPTCInfoList parsed;
    ASSERT_TRUE(ParseIptcBlock(parsed, block));
    ASSERT_EQ(parsed.Count(), 1);
    EXPECT_EQ(parsed.Item(0).Dataset, 5);
    EXPECT_EQ(parsed.StringItem(0), "abc");
    // A dataset running past the block stops the reading.
    block.back() = 'c';
    block[block.size() - 4] = 9;
    EXPECT_FALSE(ParseIptcBlock(parsed, block));
}

TEST(XmpBlock, IdentifierAndPacket) {
    const std::vector<uint8_t> block = BuildXmpBlock("<packet/>");
    EXPECT_EQ(block.size(), 29u + 9u);
    EXPECT_TRUE(IsXmpBlock(block));
    EXPECT_EQ(ParseXmpBlock(block), "<packet/>");
    EXPECT_FALSE(IsXmpBlock(BuildXmpBlock(""))); // shorter than 30 bytes
    EXPECT_FALSE(IsXmpBlock(ExifApp1()));
}

} // namespace
} // namespace vellinor
