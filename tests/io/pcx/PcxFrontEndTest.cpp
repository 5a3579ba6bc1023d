// PCX and DCX through the front end: registration, detection, the "PCX2"
// stream header, file loads and saves, and the corpus files written back.

#include "image/TIEBitmap.h"
#include "io/FormatDetection.h"
#include "io/TIEImageIO.h"
#include "platform/Stream.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace vellinor {
namespace {

namespace fs = std::filesystem;

void PaintStripes(TIEBitmap& bitmap, int width, int height) {
    bitmap.Setup(width, height, ie24RGB);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetRGB(x, y,
                          MakeRGB(static_cast<uint8_t>(x * 20), static_cast<uint8_t>(y * 40), 99));
}

void ExpectSamePixels(TIEBitmap& a, TIEBitmap& b) {
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            ASSERT_EQ(a.ReadAsRGB(x, y), b.ReadAsRGB(x, y)) << x << "," << y;
}

TEST(PcxFrontEnd, StreamHeaderRoundTripAndContentDetection) {
    TIEImageIO io;
    PaintStripes(*io.IEBitmap(), 7, 3);
    io.StreamHeaders = true;
    TMemoryStream stream;
    io.SaveStreamByFormat(stream, iofPCX);
    ASSERT_FALSE(io.AbortFlag);
    ASSERT_GT(stream.Size(), 12);
    EXPECT_EQ(std::string(stream.Data().begin(), stream.Data().begin() + 4), "PCX2");
    stream.Seek(0, TSeekOrigin::soBeginning);
    EXPECT_EQ(DetectStreamFormat(stream), iofPCX);

    TIEImageIO loaded;
    loaded.StreamHeaders = true;
    loaded.LoadStreamDetect(stream);
    ASSERT_FALSE(loaded.AbortFlag);
    ExpectSamePixels(*loaded.IEBitmap(), *io.IEBitmap());

    // Without the header: the manufacturer byte decides; a DCX by its table.
    io.StreamHeaders = false;
    TMemoryStream plain;
    io.SaveStreamByFormat(plain, iofPCX);
    plain.Seek(0, TSeekOrigin::soBeginning);
    EXPECT_EQ(DetectStreamFormat(plain), iofPCX);
    TMemoryStream dcx;
    io.SaveStreamByFormat(dcx, iofDCX);
    ASSERT_FALSE(io.AbortFlag);
    dcx.Seek(0, TSeekOrigin::soBeginning);
    EXPECT_EQ(DetectStreamFormat(dcx), iofDCX);
}

TEST(PcxFrontEnd, FilesSavedByExtensionLoadBack) {
    const fs::path folder =
        fs::path(::testing::TempDir()) / ("vellinor_pcx_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    for (const char* name : {"picture.pcx", "pages.dcx"}) {
        TIEImageIO io;
        // An 8-bit grey picture: the PCX save turns it into ie24RGB first.
        TIEBitmap& source = *io.IEBitmap();
        source.Setup(6, 4, ie8g);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x)
                source.SetByte(x, y, static_cast<uint8_t>(x * 40 + y));
        const std::string path = (folder / name).string();
        io.SaveFile(path);
        ASSERT_FALSE(io.AbortFlag) << name;

        TIEImageIO loaded;
        loaded.LoadFile(path);
        ASSERT_FALSE(loaded.AbortFlag) << name;
        EXPECT_EQ(loaded.Params().FileFormat,
                  fs::path(path).extension() == ".pcx" ? iofPCX : iofDCX);
        EXPECT_EQ(loaded.Params().FrameCount(), 1);
        ExpectSamePixels(*loaded.IEBitmap(), source);
    }
    fs::remove_all(folder);
}

// Every good corpus file, loaded and written back at the depth it had, reads
// back to the same pixels (each has at most the colours its depth holds).
TEST(PcxFrontEnd, CorpusFilesWriteBackUnchanged) {
    const fs::path corpus = VELLINOR_CORPUS_DIR;
    if (!fs::is_directory(corpus / "pcx")) GTEST_SKIP() << "no corpus";
    int files = 0;
    for (const char* name : {"pcx/im-g_pal1.pcx", "pcx/im-g_pal4.pcx", "pcx/im-g_pal8.pcx",
                             "pcx/im-g_rgb24.pcx", "pcx/odd_stride.pcx", "dcx/hopper.dcx"}) {
        const fs::path file = corpus / name;
        if (!fs::exists(file)) continue;
        ++files;
        TIEImageIO io;
        io.LoadFile(file.string());
        ASSERT_FALSE(io.AbortFlag) << name;
        for (const int compression : {0, 1}) {
            io.Params().PcxCompression = static_cast<uint8_t>(compression);
            TMemoryStream stream;
            io.SaveStreamByFormat(stream, iofPCX);
            ASSERT_FALSE(io.AbortFlag) << name;
            stream.Seek(0, TSeekOrigin::soBeginning);
            TIEImageIO again;
            again.LoadStreamByFormat(stream, iofPCX);
            ASSERT_FALSE(again.AbortFlag) << name;
            SCOPED_TRACE(name);
            ExpectSamePixels(*again.IEBitmap(), *io.IEBitmap());
        }
    }
    EXPECT_GT(files, 0);
}

} // namespace
} // namespace vellinor
