// The I/O front end: registry, detection, load and save skeletons, the
// temporary-file save, notifications, the view link, stream headers, the
// options dialog contract and the asynchronous mode.

#include "image/TIEBitmap.h"
#include "io/FormatDetection.h"
#include "io/FormatRegistry.h"
#include "io/TIEImageIO.h"
#include "io/TIOParamsFields.h"
#include "platform/Stream.h"
#include "tests/io/bmp/BmpFixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace vellinor {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> SmallBmp(int32_t ppm = 11811) {
    testing::TBmpFixture f;
    f.Width = 2;
    f.Height = 1;
    f.PixelsPerMetre = ppm;
    f.Pixels = {0, 0, 255, 0, 255, 0, 0, 0};
    return f.Bytes();
}

class TTempFolder {
public:
    TTempFolder() {
        fPath = fs::path(::testing::TempDir()) /
                ("vellinor_io_" + std::to_string(::getpid()) + "_" + std::to_string(fCounter++));
        fs::create_directories(fPath);
    }
    ~TTempFolder() { fs::remove_all(fPath); }
    std::string File(const std::string& name, const std::vector<uint8_t>& bytes) const {
        const std::string path = (fPath / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    std::string Path(const std::string& name) const { return (fPath / name).string(); }
    size_t EntryCount() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(fPath), {}));
    }

private:
    static inline int fCounter = 0;
    fs::path fPath;
};

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A registered (plug-in) format for the tests; removed again at the end.
struct TPluginFormat {
    static constexpr TIOFormatId kId = 1001;
    explicit TPluginFormat(TIEFileFormatInfo info) {
        info.FormatId = kId;
        RegisterFileFormat(std::move(info));
    }
    ~TPluginFormat() { UnregisterFileFormat(kId); }
};

TEST(FormatRegistry, RowsInRegistryOrder) {
    std::vector<TIOFormatId> ids;
    for (const TIEFileFormatInfo& info : FileFormats())
        if (info.IsBuiltIn) ids.push_back(info.FormatId);
    const std::vector<TIOFormatId> expected = {1,  2,  3,  4,  5,  6,  7,  8,  28, 9,  10, 11,
                                               12, 16, 13, 14, 17, 18, 19, 20, 24, 25, 26, 27};
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(FindFormatById(iofBMP)->Description, "Windows Bitmap");
    EXPECT_EQ(FindFormatById(iofBMP)->OptionsPages, ppgBmp);
    EXPECT_EQ(FindFormatById(iofAVI), nullptr);
    EXPECT_EQ(FindFormatById(iofBMPRAW), nullptr);
}

TEST(FormatRegistry, ExtensionLookup) {
    struct TCase {
        const char* Extension;
        TIOFormatId Expected;
    };
    const TCase cases[] = {
        {"jpg", iofJPEG}, {".JPG", iofJPEG}, {"JpE", iofJPEG},      {".g3f", iofTIFF},
        {"xif", iofTIFF}, {"rle", iofBMP},   {".dicom", iofDICOM},  {"j2c", iofJ2K},
        {"sr2", iofRAW},  {"pix", iofTGA},   {"jp", iofUnknown},    {"tiffx", iofUnknown},
        {"", iofUnknown}, {".", iofUnknown}, {"..bmp", iofUnknown}, {"avi", iofUnknown},
    };
    for (const TCase& c : cases) {
        const TIEFileFormatInfo* info = FindFormatByExtension(c.Extension);
        EXPECT_EQ(info != nullptr ? info->FormatId : iofUnknown, c.Expected) << c.Extension;
    }
    {
        TIEFileFormatInfo info;
        info.Description = "Test";
        info.ExtensionList = "TST;BMP";
        TPluginFormat plugin(info);
        EXPECT_EQ(FindFormatByExtension(".tst")->FormatId, TPluginFormat::kId);
        // The first match in list order wins.
        EXPECT_EQ(FindFormatByExtension("bmp")->FormatId, iofBMP);
    }
    EXPECT_EQ(FindFormatByExtension("tst"), nullptr);
}

TEST(FormatDetection, ContentTestsInOrder) {
    auto bytes = [](std::string head, size_t size) {
        std::vector<uint8_t> b(head.begin(), head.end());
        b.resize(size, 0);
        return b;
    };
    auto riff = bytes("RIFF", 20);
    std::copy_n("AVI ", 4, riff.begin() + 8);
    auto pcx = bytes("", 200);
    pcx[0] = 10;
    pcx[1] = 5;
    struct TCase {
        std::vector<uint8_t> Bytes;
        TIOFormatId Expected;
    };
    const TCase cases[] = {
        {bytes(std::string("JFIF\0\0\0\0\4\0\0\0x", 13), 13), iofJPEG},
        {bytes("GIF89a", 14), iofGIF},
        {bytes("GIF89a", 13), iofUnknown}, // too short
        {bytes("PCX2", 13), iofPCX},
        {bytes("PCX", 5), iofPCX},
        {bytes("BM", 15), iofBMP},
        {bytes("BM", 14), iofUnknown},
        {pcx, iofPCX},
        {bytes("TIFF", 13), iofTIFF},
        {riff, iofAVI},
        {bytes("nothing at all", 40), iofUnknown},
    };
    for (const TCase& c : cases) {
        TSpanStream stream{std::span<const uint8_t>(c.Bytes)};
        stream.SetPosition(0);
        EXPECT_EQ(DetectStreamFormat(stream), c.Expected)
            << std::string(c.Bytes.begin(), c.Bytes.begin() + 4);
        EXPECT_EQ(stream.Position(), 0);
    }
    // A registered format's probe runs after every built-in test.
    TIEFileFormatInfo info;
    info.ExtensionList = "TST";
    info.ProbeProc = [](TStream& s) {
        char c = 0;
        return s.Read(&c, 1) == 1 && c == 'n';
    };
    TPluginFormat plugin(info);
    auto other = bytes("nothing at all", 40);
    TSpanStream stream{std::span<const uint8_t>(other)};
    EXPECT_EQ(DetectStreamFormat(stream), TPluginFormat::kId);
    auto bmp = bytes("BM", 40);
    TSpanStream bmpStream{std::span<const uint8_t>(bmp)};
    EXPECT_EQ(DetectStreamFormat(bmpStream), iofBMP);
}

TEST(FormatDetection, FileDetectionChecksTheExtension) {
    TTempFolder folder;
    const std::string asBmp = folder.File("a.bmp", SmallBmp());
    const std::string asJpg = folder.File("a.jpg", SmallBmp());
    const std::string noExt = folder.File("a", SmallBmp());
    EXPECT_EQ(DetectFileFormat(asBmp, true), iofBMP);
    EXPECT_EQ(DetectFileFormat(asJpg, false), iofBMP);
    EXPECT_EQ(DetectFileFormat(asJpg, true), iofUnknown);
    EXPECT_EQ(DetectFileFormat(noExt, true), iofUnknown);
    EXPECT_EQ(DetectFileFormat(folder.Path("missing.bmp"), false), iofUnknown);
    EXPECT_EQ(DetectFileFormat("", false), iofUnknown);
}

TEST(TIOParamsVals, DefaultsAndFrameIndexPropagation) {
    TIEImageIO io;
    TIOParamsVals& p = io.Params();
    EXPECT_EQ(p.JpegQuality, 80);
    EXPECT_EQ(p.PngCompression, 5);
    EXPECT_EQ(p.TiffCompression, 0);
    EXPECT_EQ(p.PcxCompression, 1);
    EXPECT_EQ(p.GifVersion, "GIF89a");
    EXPECT_EQ(p.J2000Rate, 1.0);
    EXPECT_EQ(p.ResolutionX(), 300);
    EXPECT_EQ(p.ResolutionY(), 300);
    EXPECT_EQ(p.BmpVersion, 1);
    EXPECT_EQ(p.TiffPageNumber, -1);
    EXPECT_EQ(p.GifDisposal, 2);
    EXPECT_EQ(p.IcoSizes[0].Width, 64);
    EXPECT_EQ(p.IcoBitCounts[0], 8);
    EXPECT_EQ(p.PsTitle, "No Title");
    EXPECT_EQ(p.ExifExposureMode, -1);
    p.SetFrameIndex(2);
    EXPECT_EQ(p.TiffFrameIndex, 2);
    EXPECT_EQ(p.GifFrameIndex, 2);
    EXPECT_EQ(p.IcoFrameIndex, 2);
    p.SetFrameCount(3);
    EXPECT_EQ(p.TiffFrameCount, 3);
    p.SetOrientation(6);
    EXPECT_EQ(p.ExifOrientation, 6);
    p.SetResolutionX(72.5);
    EXPECT_EQ(p.ResolutionX(), 72);
    EXPECT_EQ(p.ExifResolutionX, 72.5);
}

TEST(TIOParamsVals, ResetInfoKeepsSettingsAndLoadingClearsMetadata) {
    TIEImageIO io;
    TIOParamsVals& p = io.Params();
    p.JpegQuality = 55;
    p.Markers.Add(0xE1, {1, 2, 3});
    p.HasExif = true;
    p.ExifMake = "camera";
    p.GetExifThumbnail().Setup(2, 2, ie24RGB);
    p.XmpPacket = "<x/>";
    p.GetInputIcc().Raw.assign(200, 1);
    io.LoadBuffer(SmallBmp(), iofBMP);
    ASSERT_FALSE(io.AbortFlag);
    EXPECT_EQ(p.JpegQuality, 55);
    EXPECT_EQ(p.Markers.Count(), 0);
    EXPECT_FALSE(p.HasExif);
    EXPECT_EQ(p.ExifMake, "");
    EXPECT_EQ(p.ExifThumbnail(), nullptr);
    EXPECT_EQ(p.XmpPacket, "");
    EXPECT_FALSE(p.HasInputIcc());
}

TEST(TIOParamsVals, AssignValuesCopiesEveryFieldDeeply) {
    TIOParamsVals source, copy;
    // Every settable field gets a value of its own.
    int n = 1;
    for (const auto& [name, value] : ListParams(source)) {
        const std::string candidates[] = {
            std::to_string(n % 100 + 2), "true", "0.5", "7,8,9", "a|b", name + "-text"};
        for (const std::string& candidate : candidates)
            if (value != candidate && SetParamByName(source, name, candidate)) break;
        ++n;
    }
    for (int i = 0; i < 3; ++i)
        source.Palette.push_back(MakeRGB(static_cast<uint8_t>(i), 1, 2));
    source.Markers.Add(0xFE, {9});
    source.IptcInfo.Add(2, 5, {'t'});
    source.GetInputIcc().Raw.assign(300, 4);
    source.GetExifThumbnail().Setup(3, 2, ie24RGB);
    source.DicomTags.push_back(TIEDICOMTag{0x28, 0x10, "US", 2, {1, 0, 0}});
    copy.AssignValues(source);
    EXPECT_EQ(ListParams(copy), ListParams(source));
    EXPECT_NE(ListParams(copy), ListParams(TIOParamsVals()));
    // Deep: changing the source afterwards leaves the copy as it was.
    source.Markers.Clear();
    source.Palette.clear();
    source.GetInputIcc().Raw.clear();
    source.GetExifThumbnail().Setup(9, 9, ie24RGB);
    EXPECT_EQ(copy.Markers.Count(), 1);
    EXPECT_EQ(copy.PaletteCount(), 3);
    EXPECT_EQ(copy.GetInputIcc().Raw.size(), 300u);
    EXPECT_EQ(copy.ExifThumbnail()->Width(), 3);
    EXPECT_EQ(copy.IptcInfo.Count(), 1);
    EXPECT_EQ(copy.DicomTags.size(), 1u);
}

TEST(TIEImageIO, LoadFileOfAnUnknownExtensionLeavesTheImage) {
    TTempFolder folder;
    const std::string plain = folder.File("picture", SmallBmp());
    const std::string odd = folder.File("picture.xyz", SmallBmp());
    TIEImageIO io;
    io.IEBitmap()->Setup(5, 4, ie24RGB);
    int finished = 0;
    io.OnFinishWork = [&](TIEImageIO&) { ++finished; };
    for (const std::string& name : {plain, odd, std::string(), std::string("http://x/a.bmp")}) {
        io.AbortFlag = false;
        io.LoadFile(name);
        EXPECT_TRUE(io.AbortFlag) << name;
        EXPECT_EQ(io.IEBitmap()->Width(), 5);
    }
    EXPECT_EQ(finished, 4);
}

TEST(TIEImageIO, ExtensionChoosesTheReaderNotTheContent) {
    TTempFolder folder;
    const std::string upper = folder.File("PICTURE.BMP", SmallBmp());
    const std::string misnamed = folder.File("picture.jpg", SmallBmp());
    TIEImageIO io;
    io.LoadFile(upper);
    EXPECT_FALSE(io.AbortFlag);
    EXPECT_EQ(io.IEBitmap()->Width(), 2);
    EXPECT_EQ(io.Params().FileName, upper);
    io.LoadFile(misnamed);
    EXPECT_TRUE(io.AbortFlag);
    io.IEBitmap()->Setup(1, 1, ie24RGB);
    io.LoadFileDetect(misnamed);
    EXPECT_FALSE(io.AbortFlag);
    EXPECT_EQ(io.IEBitmap()->Width(), 2);
    EXPECT_EQ(io.Params().FileFormat, iofBMP);
}

TEST(TIEImageIO, MissingFileRaisesTheOpenErrorAfterFinishing) {
    TTempFolder folder;
    TIEImageIO io;
    int finished = 0;
    io.OnFinishWork = [&](TIEImageIO&) { ++finished; };
    const std::string name = folder.Path("none.bmp");
    try {
        io.LoadFile(name);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"" + name + "\". ", 0), 0u)
            << e.what();
    }
    EXPECT_TRUE(io.AbortFlag);
    EXPECT_EQ(finished, 1);
}

TEST(TIEImageIO, ProgressRisesToOneHundredAndFinishesOnce) {
    TIEImageIO io;
    std::vector<int> percents;
    int finished = 0;
    io.OnProgress = [&](TIEImageIO&, int percent) { percents.push_back(percent); };
    io.OnFinishWork = [&](TIEImageIO&) { ++finished; };
    testing::TBmpFixture f;
    f.Width = 1;
    f.Height = 50;
    f.Pixels.assign(50 * 4, 7);
    io.LoadBuffer(f.Bytes(), iofBMP);
    ASSERT_FALSE(io.AbortFlag);
    ASSERT_GE(percents.size(), 10u);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(percents.back(), 100);
    EXPECT_EQ(finished, 1);
}

TEST(TIEImageIO, LowResolutionBecomesTheDefault) {
    TIEImageIO io;
    io.LoadBuffer(SmallBmp(0), iofBMP);
    EXPECT_EQ(io.Params().ResolutionX(), 300);
    io.LoadBuffer(SmallBmp(2835), iofBMP); // 72 dpi
    EXPECT_EQ(io.Params().ResolutionX(), 72);
    io.LoadBuffer(SmallBmp(-5000), iofBMP);
    EXPECT_EQ(io.Params().ResolutionY(), 300);
}

TEST(TIEImageIO, FailedSaveLeavesTheOldFileIntact) {
    TTempFolder folder;
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    const std::string target = folder.File("kept.tst", old);
    ::chmod(target.c_str(), 0640);
    bool fail = true;
    TIEFileFormatInfo info;
    info.ExtensionList = "TST";
    info.WriteProc = [&](TStream& s, TIEBitmap&, TIOParamsVals&, TIOProgressRec& progress) {
        s.Write("new bytes", 9);
        if (fail) progress.Abort();
    };
    TPluginFormat plugin(info);
    TIEImageIO io;
    io.IEBitmap()->Setup(2, 2, ie24RGB);
    io.SaveFile(target);
    EXPECT_TRUE(io.AbortFlag);
    EXPECT_EQ(ReadAll(target), old);
    EXPECT_EQ(folder.EntryCount(), 1u); // no temporary file left
    fail = false;
    io.SaveFile(target);
    EXPECT_FALSE(io.AbortFlag);
    EXPECT_EQ(ReadAll(target), (std::vector<uint8_t>{'n', 'e', 'w', ' ', 'b', 'y', 't', 'e', 's'}));
    EXPECT_EQ(folder.EntryCount(), 1u);
    struct stat st {};
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // The BMP writer refusing an empty picture keeps the old BMP as well.
    const std::string bmp = folder.File("old.bmp", SmallBmp());
    io.IEBitmap()->Discard();
    io.SaveFile(bmp);
    EXPECT_TRUE(io.AbortFlag);
    EXPECT_EQ(ReadAll(bmp), SmallBmp());
}

TEST(TIEImageIO, SaveThroughALinkReplacesTheFileItNames) {
    TTempFolder folder;
    const std::string real = folder.File("real.bmp", {'x'});
    const std::string link = folder.Path("link.bmp");
    fs::create_symlink(real, link);
    TIEImageIO io;
    io.IEBitmap()->Setup(3, 2, ie24RGB);
    io.SaveFile(link);
    ASSERT_FALSE(io.AbortFlag);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(DetectFileFormat(real, true), iofBMP);
    EXPECT_EQ(folder.EntryCount(), 2u);
}

TEST(TIEImageIO, SaveOfAnUnknownExtensionCreatesNothing) {
    TTempFolder folder;
    TIEImageIO io;
    io.IEBitmap()->Setup(2, 2, ie24RGB);
    int finished = 0;
    io.OnFinishWork = [&](TIEImageIO&) { ++finished; };
    io.SaveFile(folder.Path("a.unknown"));
    EXPECT_TRUE(io.AbortFlag);
    EXPECT_EQ(finished, 0);
    EXPECT_EQ(folder.EntryCount(), 0u);
    // ".rle" writes a BMP with the current compression.
    io.SaveFile(folder.Path("a.rle"));
    EXPECT_FALSE(io.AbortFlag);
    EXPECT_EQ(DetectFileFormat(folder.Path("a.rle"), false), iofBMP);
    EXPECT_EQ(io.Params().BmpCompression, 0);
    EXPECT_EQ(TIEImageIO::SaveFormatOfExtension(".FAX"), iofTIFF);
    EXPECT_EQ(TIEImageIO::SaveFormatOfExtension(".xif"), iofUnknown);
}

TEST(TIEImageIO, CreateErrorNamesTheTarget) {
    TTempFolder folder;
    TIEImageIO io;
    io.IEBitmap()->Setup(2, 2, ie24RGB);
    const std::string target = folder.Path("no/such/folder/a.bmp");
    try {
        io.SaveFile(target);
        FAIL() << "no exception";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + target + "\". ", 0), 0u)
            << e.what();
    }
    EXPECT_TRUE(io.AbortFlag);
}

// A view that records what the I/O object asks of it.
class TRecordingView : public TIEViewLink {
public:
    TIEBitmap Bitmap;
    int Refreshes = 0;
    int DpiX = 0, DpiY = 0;
    TColor Colour = 0x123456;
    std::mutex Lock;
    std::vector<std::pair<TIEViewMessage, int>> Messages;

    TIEBitmap& IOBitmap() override { return Bitmap; }
    void IORefresh() override { ++Refreshes; }
    void IOSetResolution(int x, int y) override {
        DpiX = x;
        DpiY = y;
    }
    TColor IOBackground() const override { return Colour; }
    void IOSetBackground(TColor c) override { Colour = c; }
    void IOPostMessage(TIEViewMessage m, int param) override {
        std::lock_guard guard(Lock);
        Messages.emplace_back(m, param);
    }
};

TEST(TIEImageIO, AttachedViewReceivesTheImageAndItsResolution) {
    TRecordingView view;
    TIEImageIO io;
    io.SetAttachedView(&view);
    EXPECT_EQ(io.IEBitmap(), &view.Bitmap);
    EXPECT_EQ(io.Background(), 0x123456u);
    io.LoadBuffer(SmallBmp(2835), iofBMP);
    EXPECT_EQ(view.Bitmap.Width(), 2);
    EXPECT_EQ(view.Refreshes, 1);
    EXPECT_EQ(view.DpiX, 72);
    io.SetAttachedView(nullptr);
    EXPECT_NE(io.IEBitmap(), &view.Bitmap);
    EXPECT_TRUE(io.IEBitmap()->IsVoid());
}

TEST(TIEImageIO, AsynchronousLoadRunsOnAWorkerAndPostsToTheView) {
    TTempFolder folder;
    const std::string name = folder.File("a.bmp", SmallBmp());
    TRecordingView view;
    TIEImageIO io;
    io.SetAttachedView(&view);
    io.Asynchronous = true;
    int direct = 0;
    io.OnProgress = [&](TIEImageIO&, int) { ++direct; };
    io.OnFinishWork = [&](TIEImageIO&) { ++direct; };
    io.LoadFile(name);
    io.WaitThreads();
    EXPECT_EQ(io.RunningThreads(), 0);
    EXPECT_FALSE(io.AbortFlag);
    EXPECT_EQ(view.Bitmap.Width(), 2);
    EXPECT_EQ(direct, 0);
    EXPECT_EQ(view.Refreshes, 0);
    std::vector<TIEViewMessage> kinds;
    for (const auto& [message, param] : view.Messages)
        kinds.push_back(message);
    ASSERT_GE(kinds.size(), 3u);
    EXPECT_EQ(kinds.back(), iemFinished);
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), iemRefresh), kinds.end());
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), iemProgress), kinds.end());
}

TEST(TIEImageIO, StreamHeadersWrapTheImage) {
    // A codec with a stream header, under a private id.
    constexpr TIOFormatId kId = 1002;
    TIECodec codec;
    codec.FormatId = kId;
    codec.StreamHeaderMagic = "TIFF";
    codec.Write = [](TStream& s, TIEBitmap&, TIOParamsVals&, TIOProgressRec&) {
        s.Write("12345", 5);
    };
    codec.Read = [](TStream& s, TIEBitmap& b, TIOParamsVals&, TIOProgressRec& progress,
                    TIEReadOptions&) {
        char text[5] = {};
        if (!s.ReadExact(text, 5) || std::string(text, 5) != "12345") progress.Abort();
        b.Setup(1, 1, ie24RGB);
    };
    RegisterCodec(codec);
    TIEImageIO io;
    io.IEBitmap()->Setup(1, 1, ie24RGB);
    io.StreamHeaders = true;
    TMemoryStream stream;
    io.SaveStreamByFormat(stream, kId);
    ASSERT_FALSE(io.AbortFlag);
    const std::vector<uint8_t> expected = {'T', 'I', 'F', 'F', 0,   0,   0,   0,  5,
                                           0,   0,   0,   '1', '2', '3', '4', '5'};
    EXPECT_EQ(stream.Data(), expected);
    stream.SetPosition(0);
    EXPECT_EQ(DetectStreamFormat(stream), iofTIFF);
    io.LoadStreamByFormat(stream, kId);
    EXPECT_FALSE(io.AbortFlag);
    TMemoryStream wrong(std::vector<uint8_t>{'J', 'F', 'I', 'F', 0, 0, 0, 0, 5, 0, 0, 0});
    io.LoadStreamByFormat(wrong, kId);
    EXPECT_TRUE(io.AbortFlag);
}

TEST(TIEImageIO, DoPreviewsContract) {
    TIEImageIO io;
    io.IEBitmap()->Setup(2, 2, ie8g);
    io.OnDoPreviews = [](TIEImageIO&, bool& handled) { handled = true; };
    EXPECT_TRUE(io.DoPreviews(ppgGif));
    EXPECT_EQ(io.IEBitmap()->PixelFormat(), ie8g); // the handler took over first
    io.OnDoPreviews = nullptr;

    struct TFakeDialog : TIEPreviewsDialog {
        bool Answer = false;
        bool Execute() override { return Answer; }
    };
    TIOPreviewsPages seenPages = 0;
    SetPreviewsDialogFactory([&](const TIEPreviewsSetup& setup) {
        seenPages = setup.Pages;
        auto dialog = std::make_unique<TFakeDialog>();
        dialog->Answer = true;
        return dialog;
    });
    int previewed = 0;
    io.OnIOPreview = [&](TIEImageIO&, TIEPreviewsDialog& d) {
        EXPECT_EQ(d.Caption(), "Parameters preview");
        ++previewed;
    };
    io.Params().FileFormat = iofICO; // no page of its own
    EXPECT_FALSE(io.DoPreviews(ppgCurrent));
    EXPECT_EQ(previewed, 0);
    io.Params().FileFormat = iofBMP;
    EXPECT_TRUE(io.DoPreviews(ppgCurrent));
    EXPECT_EQ(seenPages, ppgCurrent | ppgBmp);
    EXPECT_EQ(previewed, 1);
    EXPECT_EQ(io.IEBitmap()->PixelFormat(), ie24RGB);
    SetPreviewsDialogFactory(nullptr);
    EXPECT_FALSE(io.DoPreviews(ppgAll));
}

TEST(TIEImageIO, AutoAdjustDpiMakesPixelsSquare) {
    testing::TBmpFixture f;
    f.Width = 4;
    f.Height = 2;
    f.Pixels.assign(2 * 12, 200);
    std::vector<uint8_t> bytes = f.Bytes();
    // Horizontal 300 dpi, vertical 150 dpi.
    const uint32_t ppmY = 5906;
    for (int i = 0; i < 4; ++i)
        bytes[14 + 28 + i] = static_cast<uint8_t>(ppmY >> (8 * i));
    TIEImageIO io;
    io.AutoAdjustDPI = true;
    io.LoadBuffer(bytes, iofBMP);
    ASSERT_FALSE(io.AbortFlag);
    EXPECT_EQ(io.IEBitmap()->Width(), 4);
    EXPECT_EQ(io.IEBitmap()->Height(), 4);
    EXPECT_EQ(io.Params().ResolutionY(), 300);
    EXPECT_EQ(io.IEBitmap()->ReadAsRGB(3, 3), MakeRGB(200, 200, 200));
}

} // namespace
} // namespace vellinor
