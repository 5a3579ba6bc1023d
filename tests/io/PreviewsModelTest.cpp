// The save options dialog's model: pages and their values as the record gives
// them, the TIFF ties, what "OK" writes (and what it leaves), the numeric
// edits, and the previews made through the front end.

#include "io/PreviewsModel.h"

#include "image/TIEBitmap.h"
#include "io/ImageCodec.h"
#include "io/TIEImageIO.h"
#include "io/TIOProgressRec.h"
#include "platform/Stream.h"
#include "tests/support/Codecs.h"

#include <gtest/gtest.h>
#include <set>
#include <stdexcept>

namespace vellinor {
namespace {

using testing::CodecOf;
using testing::TCodecOverride;
using testing::WriterOutput;

class PreviewsModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        source.Setup(40, 30, ie24RGB);
        for (int y = 0; y < source.Height(); ++y)
            for (int x = 0; x < source.Width(); ++x)
                source.SetRGB(x, y,
                              TRGB{static_cast<uint8_t>(x * 6), static_cast<uint8_t>(y * 8),
                                   static_cast<uint8_t>((x * y) & 0xFF)});
    }

    TPreviewsModel& Open(TIOPreviewsPages pages, bool lzw = true) {
        TIEPreviewsSetup setup;
        setup.Params = &record;
        setup.Source = &source;
        setup.Pages = pages;
        setup.LockPreview = lock;
        setup.ShowApplyButton = true;
        model = std::make_unique<TPreviewsModel>(setup, result, lzw);
        model->OnPreviewed = [this] { ++previews; };
        model->OnProgress = [this](int percent) { progress.push_back(percent); };
        return *model;
    }

    TIOParamsVals record;
    TIEBitmap source;
    TIEBitmap result;
    bool lock = false;
    std::unique_ptr<TPreviewsModel> model;
    int previews = 0;
    std::vector<int> progress;
};

using P = TPreviewsPage;

TEST_F(PreviewsModelTest, GifSixteenColoursAndOkStoreBitsFourAndFormatTwo) {
    TPreviewsModel& m = Open(ppgGif);
    ASSERT_EQ(m.VisiblePages(), std::vector<P>{P::Gif});
    EXPECT_EQ(m.ActivePage(), P::Gif);
    EXPECT_EQ(m.ValueText(P::Gif, pfColors), "256"); // 8 x 3 after start-up
    EXPECT_TRUE(m.SetValueText(P::Gif, pfColors, "16"));
    m.Apply();
    EXPECT_EQ(record.BitsPerSample, 4);
    EXPECT_EQ(record.SamplesPerPixel, 3); // the GIF page has no samples
    EXPECT_EQ(record.FileFormat, iofGIF);
}

TEST_F(PreviewsModelTest, WithoutOkTheRecordIsNeverTouched) {
    record.JpegQuality = 77;
    TPreviewsModel& m = Open(ppgJpeg);
    EXPECT_EQ(m.Value(P::Jpeg, pfQuality), 77);
    EXPECT_TRUE(m.SetValue(P::Jpeg, pfQuality, 12)); // the track bar moved
    m.Preview();
    model.reset(); // "Cancel"
    EXPECT_EQ(record.JpegQuality, 77);
    EXPECT_EQ(record.FileFormat, iofUnknown);
}

TEST_F(PreviewsModelTest, TiffListsAreTied) {
    struct Step {
        TPreviewsFieldId field;
        const char* chosen;
        const char* compression; // shown afterwards
        const char* colors;
    } steps[] = {
        {pfCompression, "G4FAX", "G4FAX", "2"},
        {pfColors, "256", "UNCOMPRESSED", "256"},
        {pfCompression, "JPEG", "JPEG", "16777216"},
        {pfColors, "256", "JPEG", "256"}, // only 2 and 16 undo JPEG
        {pfColors, "16", "UNCOMPRESSED", "16"},
        {pfCompression, "CCITT1D", "CCITT1D", "2"},
        {pfColors, "2", "CCITT1D", "2"},
        {pfCompression, "LZW", "LZW", "2"},
        {pfColors, "16777216", "LZW", "16777216"}, // LZW keeps its colours
    };
    TPreviewsModel& m = Open(ppgTiff);
    for (const Step& s : steps) {
        m.SetValueText(P::Tiff, s.field, s.chosen);
        EXPECT_EQ(m.ValueText(P::Tiff, pfCompression), s.compression) << s.chosen;
        EXPECT_EQ(m.ValueText(P::Tiff, pfColors), s.colors) << s.chosen;
    }
}

TEST_F(PreviewsModelTest, TiffCompressionChoicesSetThePhotometricThatOkWrites) {
    const struct {
        const char* compression;
        int code;
        int photometric;
        int bits, samples;
    } cases[] = {
        {"G3FAX2D", 3, 1, 1, 1},
        {"JPEG", 7, 6, 8, 3},
        {"ZIP", 9, 2, 8, 3}, // neither tie: the record's photometric stays
    };
    for (const auto& c : cases) {
        record.TiffPhotometric = 2;
        record.TiffCompression = 0;
        TPreviewsModel& m = Open(ppgTiff);
        m.SetValueText(P::Tiff, pfCompression, c.compression);
        m.Apply();
        EXPECT_EQ(record.TiffCompression, c.code) << c.compression;
        EXPECT_EQ(record.TiffPhotometric, c.photometric) << c.compression;
        EXPECT_EQ(record.BitsPerSample, c.bits) << c.compression;
        EXPECT_EQ(record.SamplesPerPixel, c.samples) << c.compression;
        EXPECT_EQ(record.FileFormat, iofTIFF);
    }
}

TEST_F(PreviewsModelTest, TheLzwRowExistsOnlyWithACompressor) {
    {
        TPreviewsModel& m = Open(ppgTiff, true);
        const TPreviewsField& list = *m.Info(P::Tiff).Field(pfCompression);
        EXPECT_EQ(list.Items,
                  (std::vector<std::string>{"UNCOMPRESSED", "CCITT1D", "G3FAX1D", "G3FAX2D",
                                            "G4FAX", "LZW", "JPEG", "PACKBITS", "ZIP"}));
        EXPECT_TRUE(m.SetValue(P::Tiff, pfCompression, 5));
        m.Apply();
        EXPECT_EQ(record.TiffCompression, 5);
    }
    {
        TPreviewsModel& m = Open(ppgTiff, false);
        const TPreviewsField& list = *m.Info(P::Tiff).Field(pfCompression);
        EXPECT_EQ(list.Items,
                  (std::vector<std::string>{"UNCOMPRESSED", "CCITT1D", "G3FAX1D", "G3FAX2D",
                                            "G4FAX", "JPEG", "PACKBITS", "ZIP"}));
        // A stored LZW value, which cannot be written now, shows as PACKBITS.
        EXPECT_EQ(m.ValueText(P::Tiff, pfCompression), "PACKBITS");
        // Rows after G4FAX are one lower and still store their own codes.
        EXPECT_TRUE(m.SetValue(P::Tiff, pfCompression, 5));
        EXPECT_EQ(m.ValueText(P::Tiff, pfCompression), "JPEG");
        m.Apply();
        EXPECT_EQ(record.TiffCompression, 7);
    }
}

TEST_F(PreviewsModelTest, ValuesShownComeFromTheRecord) {
    struct Case {
        TPreviewsPage page;
        TPreviewsFieldId field;
        int bits, samples, tiffCompression;
        const char* shown;
    } cases[] = {
        {P::Tiff, pfColors, 1, 1, 0, "2"},
        {P::Tiff, pfColors, 2, 1, 0, "16"},
        {P::Tiff, pfColors, 3, 1, 0, "16"},
        {P::Tiff, pfColors, 7, 1, 0, "256"},
        {P::Tiff, pfColors, 8, 3, 0, "16777216"},
        {P::Tiff, pfColors, 8, 3, 4, "2"},        // CCITT shows two colours
        {P::Tiff, pfColors, 1, 1, 7, "16777216"}, // JPEG shows true colour
        {P::Tiff, pfCompression, 8, 3, 6, "UNCOMPRESSED"},
        {P::Tiff, pfCompression, 8, 3, 10, "ZIP"},
        {P::Tiff, pfCompression, 8, 3, 11, "UNCOMPRESSED"},
        {P::Bmp, pfColors, 1, 1, 0, "B/W"},
        {P::Bmp, pfColors, 4, 1, 0, "16"},
        {P::Bmp, pfColors, 8, 1, 0, "256"},
        {P::Bmp, pfColors, 5, 3, 0, "16M"},
        {P::Pcx, pfColors, 4, 1, 0, "16"},
        {P::Pcx, pfColors, 8, 3, 0, "16M"},
        {P::Png, pfColors, 1, 1, 0, "B/W"},
        {P::Png, pfColors, 4, 1, 0, "256"},
        {P::Png, pfColors, 16, 1, 0, "256"},
        {P::Png, pfColors, 8, 4, 0, "16M"},
        {P::Gif, pfColors, 1, 1, 0, "B/W"},
        {P::Gif, pfColors, 5, 1, 0, "32"},
        {P::Gif, pfColors, 8, 3, 0, "256"},
        {P::Gif, pfColors, 16, 1, 0, "256"},
    };
    for (const Case& c : cases) {
        record.BitsPerSample = c.bits;
        record.SamplesPerPixel = c.samples;
        record.TiffCompression = static_cast<uint8_t>(c.tiffCompression);
        TPreviewsModel& m = Open(ppgAll);
        EXPECT_EQ(m.ValueText(c.page, c.field), c.shown)
            << m.Info(c.page).Caption << " " << c.bits << "x" << c.samples << " compression "
            << c.tiffCompression;
    }
}

TEST_F(PreviewsModelTest, ColourRowsStoreTheirBitsAndSamples) {
    struct Case {
        TPreviewsPage page;
        const char* row;
        int bits, samples;
    } cases[] = {
        {P::Tiff, "16", 4, 1},       {P::Bmp, "B/W", 1, 1}, {P::Bmp, "16M (32bit)", 8, 3},
        {P::Pcx, "256", 8, 1},       {P::Png, "256", 8, 1}, {P::Png, "B/W", 1, 1},
        {P::Tiff, "16777216", 8, 3}, {P::Pcx, "16M", 8, 3},
    };
    for (const Case& c : cases) {
        record.BitsPerSample = 2;
        record.SamplesPerPixel = 7;
        TPreviewsModel& m = Open(BuildPreviewsPages(true)[static_cast<size_t>(c.page)].Bit);
        m.SetValueText(c.page, pfColors, c.row);
        ASSERT_EQ(m.ValueText(c.page, pfColors), c.row);
        m.Apply();
        EXPECT_EQ(record.BitsPerSample, c.bits) << c.row;
        EXPECT_EQ(record.SamplesPerPixel, c.samples) << c.row;
    }
}

TEST_F(PreviewsModelTest, OkWritesOnlyTheShowingPageWithEveryFieldOfItsFormat) {
    record.TiffJpegQuality = 55; // not on the short page: goes back unchanged
    record.JpegProgressive = true;
    record.FileFormat = iofTIFF;
    TPreviewsModel& m = Open(ppgAll);
    EXPECT_EQ(m.VisiblePages().size(), 7u);
    EXPECT_EQ(m.ActivePage(), P::Tiff); // the page of FileFormat
    m.SetActivePage(P::Jpeg);
    m.SetValue(P::Jpeg, pfQuality, 20);
    m.SetActivePage(P::Tiff);
    m.SetValueText(P::Tiff, pfCompression, "PACKBITS");
    m.Apply();
    EXPECT_EQ(record.TiffCompression, 8);
    EXPECT_EQ(record.TiffJpegQuality, 55);
    EXPECT_EQ(record.JpegQuality, 80); // another page's change is not written
    EXPECT_TRUE(record.JpegProgressive);
    EXPECT_EQ(record.FileFormat, iofTIFF);
    // The JPEG page still holds its own change for a later "OK".
    m.SetActivePage(P::Jpeg);
    m.Apply();
    EXPECT_EQ(record.JpegQuality, 20);
    EXPECT_EQ(record.FileFormat, iofJPEG);
}

TEST_F(PreviewsModelTest, ApplyIsDisabledUntilTheNextChange) {
    TPreviewsModel& m = Open(ppgBmp);
    EXPECT_TRUE(m.ApplyVisible());
    m.SetValueText(P::Bmp, pfCompression, "RLE");
    m.Apply();
    EXPECT_EQ(record.BmpCompression, 1);
    EXPECT_EQ(record.FileFormat, iofBMP);
    EXPECT_FALSE(m.ApplyEnabled());
    m.SetValueText(P::Bmp, pfColors, "16");
    EXPECT_TRUE(m.ApplyEnabled());
}

TEST_F(PreviewsModelTest, TheFirstVisiblePageShowsWhenFileFormatHasNone) {
    record.FileFormat = iofGIF;
    TPreviewsModel& m = Open(ppgPng | ppgJpeg);
    EXPECT_EQ(m.VisiblePages(), (std::vector<P>{P::Jpeg, P::Png}));
    EXPECT_EQ(m.ActivePage(), P::Jpeg);
    m.SetActivePage(P::Gif); // not visible
    EXPECT_EQ(m.ActivePage(), P::Jpeg);
}

TEST_F(PreviewsModelTest, NumbersTypedThatDoNotConvert) {
    TPreviewsModel& m = Open(ppgJpeg | ppgJpeg2000);
    const struct {
        TPreviewsPage page;
        TPreviewsFieldId field;
        const char* typed;
        int value;
    } cases[] = {
        {P::Jpeg, pfQuality, "abc", 50},         {P::Jpeg, pfQuality, "", 50},
        {P::Jpeg, pfQuality, " 70 ", 70},        {P::Jpeg, pfQuality, "7x", 50},
        {P::Jpeg, pfQuality, "250", 100},        {P::Jpeg, pfQuality, "-4", 0},
        {P::Jpeg, pfQuality, "99999999999", 50}, {P::Jpeg2000, pfRate, "abc", 0},
        {P::Jpeg2000, pfRate, "125", 125},       {P::Jpeg2000, pfRate, "5000", 1000},
    };
    for (const auto& c : cases) {
        m.SetValueText(c.page, c.field, c.typed);
        EXPECT_EQ(m.Value(c.page, c.field), c.value) << c.typed;
    }
    m.SetValueText(P::Jpeg2000, pfRate, "abc");
    m.SetActivePage(P::Jpeg2000);
    m.Apply();
    EXPECT_DOUBLE_EQ(record.J2000Rate, 0.0);
    EXPECT_EQ(record.FileFormat, iofJ2K);
}

TEST_F(PreviewsModelTest, RateShowsInThousandths) {
    record.J2000Rate = 0.2506;
    TPreviewsModel& m = Open(ppgJpeg2000);
    EXPECT_EQ(m.Value(P::Jpeg2000, pfRate), 251);
    m.SetValue(P::Jpeg2000, pfRate, 40);
    m.Apply();
    EXPECT_DOUBLE_EQ(record.J2000Rate, 0.04);
}

TEST_F(PreviewsModelTest, SizesAndHeights) {
    TPreviewsModel& m = Open(ppgBmp);
    EXPECT_EQ(m.OriginalSizeText(), std::to_string(source.RowBytes() * 30) + " bytes");
    EXPECT_EQ(m.OriginalSizeText(), "3600 bytes"); // 40 x 3 = 120 bytes a row
    EXPECT_EQ(m.CompressedSizeText(P::Bmp), "---");
    EXPECT_EQ(m.Caption(), "Parameters preview");
    EXPECT_EQ(ShortPagesHeights(96).PageArea, 122);
    EXPECT_EQ(ShortPagesHeights(96).Dialog, 360);
    EXPECT_EQ(ShortPagesHeights(120).PageArea, 152);
    EXPECT_EQ(ShortPagesHeights(144).Dialog, 540);
}

TEST_F(PreviewsModelTest, BmpPreviewCountsTheEncodingAndReducesTheColours) {
    const struct {
        const char* colors;
        const char* compression;
        TIEPixelFormat shown;
        size_t maxColours;
    } cases[] = {
        {"16", "RLE", ie8p, 16},
        {"256", "UNCOMPRESSED", ie8p, 256},
        {"B/W", "UNCOMPRESSED", ie1g, 2},
        {"16M", "UNCOMPRESSED", ie24RGB, 40 * 30},
    };
    for (const auto& c : cases) {
        TPreviewsModel& m = Open(ppgBmp);
        m.SetValueText(P::Bmp, pfColors, c.colors);
        m.SetValueText(P::Bmp, pfCompression, c.compression);
        progress.clear();
        m.Preview();
        m.Apply();
        EXPECT_EQ(m.CompressedSize(P::Bmp), int64_t(WriterOutput(source, record, iofBMP).size()))
            << c.colors;
        EXPECT_EQ(m.CompressedSizeText(P::Bmp),
                  std::to_string(m.CompressedSize(P::Bmp)) + " bytes");
        EXPECT_EQ(m.Caption(), "Parameters preview");
        ASSERT_EQ(result.Width(), 40);
        ASSERT_EQ(result.Height(), 30);
        EXPECT_EQ(result.PixelFormat(), c.shown) << c.colors;
        std::set<uint32_t> colours;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const TRGB p = result.ReadAsRGB(x, y);
                colours.insert(p.r << 16 | p.g << 8 | p.b);
            }
        EXPECT_LE(colours.size(), c.maxColours) << c.colors;
        EXPECT_GT(colours.size(), c.maxColours / 2) << c.colors;
        ASSERT_FALSE(progress.empty());
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
        EXPECT_EQ(progress.back(), 100);
    }
    EXPECT_EQ(source.PixelFormat(), ie24RGB); // the source is left alone
}

TEST_F(PreviewsModelTest, EncodeAndDecodeRunsThroughTheRegisteredCodec) {
    // JPEG with the BMP routines: lossless, so the result is the source.
    const TCodecOverride jpeg(iofJPEG, CodecOf(iofBMP));
    TPreviewsModel& m = Open(ppgJpeg);
    m.Preview();
    EXPECT_EQ(m.Caption(), "Parameters preview");
    EXPECT_EQ(m.CompressedSize(P::Jpeg), 54 + 3600);
    ASSERT_EQ(result.Width(), 40);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(result.ReadAsRGB(x, y), source.ReadAsRGB(x, y));
    // Encoding fills 0..50, decoding 50..100.
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::find(progress.begin(), progress.end(), 50) != progress.end());
    EXPECT_TRUE(
        std::any_of(progress.begin(), progress.end(), [](int p) { return p > 0 && p < 50; }));
    EXPECT_TRUE(
        std::any_of(progress.begin(), progress.end(), [](int p) { return p > 50 && p < 100; }));
}

TEST_F(PreviewsModelTest, AFailedPreviewChangesTheCaptionOnly) {
    TIECodec aborting;
    aborting.Write = [](TStream&, TIEBitmap&, TIOParamsVals&, TIOProgressRec& p) { p.Abort(); };
    TIECodec throwing;
    throwing.Write = [](TStream&, TIEBitmap&, TIOParamsVals&, TIOProgressRec&) {
        throw std::runtime_error("Error on creating PNG");
    };
    TIECodec writeOnly = CodecOf(iofBMP);
    writeOnly.Read = nullptr;
    const struct {
        const char* what;
        TIECodec codec;
        bool sizeKnown;
    } cases[] = {
        {"no writer", TIECodec{}, false},
        {"aborting writer", aborting, false},
        {"throwing writer", throwing, false},
        {"no reader", writeOnly, true},
    };
    for (const auto& c : cases) {
        const TCodecOverride jpeg(iofJPEG, c.codec);
        result.Setup(5, 5, ie24RGB); // an earlier preview
        TPreviewsModel& m = Open(ppgJpeg);
        EXPECT_NO_THROW(m.Preview()) << c.what;
        EXPECT_EQ(m.Caption(), "Result can not be shown but parameters may be entered") << c.what;
        EXPECT_TRUE(result.IsVoid()) << c.what;
        EXPECT_EQ(m.CompressedSizeText(P::Jpeg) != "---", c.sizeKnown) << c.what;
        // The parameters stay editable and "OK" still writes them.
        EXPECT_TRUE(m.SetValue(P::Jpeg, pfQuality, 33));
        m.Apply();
        EXPECT_EQ(record.JpegQuality, 33);
        record.JpegQuality = 80;
    }
    // Back to a working codec: the caption is restored by the next preview.
    TPreviewsModel& m = Open(ppgBmp);
    {
        const TCodecOverride bmp(iofBMP, TIECodec{});
        m.Preview();
        EXPECT_EQ(m.Caption(), "Result can not be shown but parameters may be entered");
    }
    m.Preview();
    EXPECT_EQ(m.Caption(), "Parameters preview");
}

TEST_F(PreviewsModelTest, EveryPageOfAMissingWriterStillOpensAndConfirms) {
    const TIOPreviewsPages pages[] = {ppgJpeg, ppgTiff, ppgGif,     ppgBmp,
                                      ppgPcx,  ppgPng,  ppgJpeg2000};
    for (TIOPreviewsPages bit : pages) {
        record.FileFormat = iofUnknown;
        TPreviewsModel& m = Open(bit);
        ASSERT_EQ(m.VisiblePages().size(), 1u);
        const TPreviewsPageInfo& info = m.Info(m.ActivePage());
        EXPECT_EQ(info.Bit, bit);
        m.Preview();
        const TIECodec* codec = FindCodec(info.EncodeFormat);
        const bool canWrite = codec != nullptr && codec->Write;
        if (!canWrite) {
            EXPECT_EQ(m.Caption(), kPreviewFailedCaption) << info.Caption;
        }
        m.Apply();
        EXPECT_EQ(record.FileFormat, info.FileFormat) << info.Caption;
    }
}

TEST_F(PreviewsModelTest, LockPreviewRecomputesOnlyRealChanges) {
    TPreviewsModel& m = Open(ppgBmp | ppgPcx);
    EXPECT_TRUE(m.PreviewEnabled());
    m.SetValueText(P::Bmp, pfColors, "16");
    m.SetActivePage(P::Pcx);
    EXPECT_EQ(previews, 0); // not locked: only "&Preview" computes
    m.Preview();
    EXPECT_EQ(previews, 1);

    m.SetLockPreview(true); // ticking brings the preview up to date
    EXPECT_FALSE(m.PreviewEnabled());
    EXPECT_EQ(previews, 2);
    m.SetValueText(P::Pcx, pfColors, "256");
    EXPECT_EQ(previews, 3);
    m.SetValueText(P::Pcx, pfColors, "256"); // no value changed
    EXPECT_EQ(previews, 3);
    m.SetActivePage(P::Bmp);
    EXPECT_EQ(previews, 4);
    EXPECT_EQ(m.CompressedSizeText(P::Pcx) == "---", m.CompressedSize(P::Pcx) < 0);
}

} // namespace
} // namespace vellinor
