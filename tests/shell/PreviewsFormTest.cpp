// The options dialog on screen (offscreen platform): what it shows from the
// model, how its widgets pass changes on, the preview buttons, "&Apply", and
// the dialog opened through DoPreviews.

#include "image/TIEBitmap.h"
#include "io/TIEImageIO.h"
#include "shell/TIOPreviewsForm.h"
#include "shell/TImageViewWidget.h"
#include "tests/support/Codecs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace vellinor {
namespace {

using testing::TCodecOverride;
using P = TPreviewsPage;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

class PreviewsFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        source.Setup(64, 48, ie24RGB);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                source.SetRGB(x, y,
                              TRGB{static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 5), 90});
    }
    TIOPreviewsForm& Open(TIOPreviewsPages pages, bool lock = false, bool apply = false) {
        TIEPreviewsSetup setup;
        setup.Params = &record;
        setup.Source = &source;
        setup.Pages = pages;
        setup.LockPreview = lock;
        setup.ShowApplyButton = apply;
        form = std::make_unique<TIOPreviewsForm>(setup);
        form->show();
        QApplication::processEvents();
        return *form;
    }

    TIOParamsVals record;
    TIEBitmap source;
    std::unique_ptr<TIOPreviewsForm> form;
};

TEST_F(PreviewsFormTest, TheShortPagesWithTheirControlsAndCaptions) {
    TIOPreviewsForm& f = Open(ppgAll);
    EXPECT_EQ(f.windowTitle(), U("Parameters preview"));
    QStringList tabs;
    for (int i = 0; i < f.PageControl->count(); ++i)
        tabs << f.PageControl->tabText(i);
    EXPECT_EQ(tabs, (QStringList{"JPEG", "TIFF", "GIF", "BMP", "PCX", "PNG", "JPEG2000"}));

    QStringList labels;
    for (QLabel* label : f.PageControl->findChildren<QLabel*>())
        labels << label->text();
    for (const char* caption : {"&Quality:", "&Compression:", "C&olors:", "&Colors:", "&Rate:",
                                "Original size:", "Compressed size:"})
        EXPECT_TRUE(labels.contains(U(caption))) << caption;

    EXPECT_EQ(Items(f.ListBox(P::Gif, pfColors)),
              (QStringList{"B/W", "4", "8", "16", "32", "64", "128", "256"}));
    EXPECT_EQ(Items(f.ListBox(P::Bmp, pfColors)),
              (QStringList{"B/W", "16", "256", "16M", "16M (32bit)"}));
    EXPECT_EQ(Items(f.ListBox(P::Pcx, pfCompression)), (QStringList{"UNCOMPRESSED", "RLE"}));
    EXPECT_EQ(Items(f.ListBox(P::Png, pfColors)), (QStringList{"B/W", "256", "16M"}));
    EXPECT_EQ(Items(f.ListBox(P::Tiff, pfColors)), (QStringList{"2", "16", "256", "16777216"}));
    EXPECT_EQ(f.TrackBar(P::Jpeg, pfQuality)->maximum(), 100);
    EXPECT_EQ(f.TrackBar(P::Jpeg2000, pfRate)->maximum(), 1000);
    EXPECT_EQ(f.Edit(P::Jpeg, pfQuality)->text(), U("80"));
    EXPECT_EQ(f.Edit(P::Jpeg2000, pfRate)->text(), U("1000"));
    EXPECT_EQ(f.OriginalSizeLabel(P::Bmp)->text(), U("9216 bytes")); // 192 x 48
    EXPECT_EQ(f.CompressedSizeLabel(P::Bmp)->text(), U("---"));

    EXPECT_EQ(f.CheckLockPreview->text(), U("Lock Preview"));
    EXPECT_EQ(f.CheckLockPreview->toolTip(),
              U("Automatically updates your preview with the changes you have selected"));
    EXPECT_FALSE(f.CheckLockPreview->isChecked());
    EXPECT_TRUE(f.ButtonPreview->isEnabled());
    EXPECT_FALSE(f.ButtonApply->isVisible());
    EXPECT_EQ(f.ButtonPreview->text(), U("&Preview"));

    const int ppi = int(f.screen()->logicalDotsPerInch());
    EXPECT_EQ(f.PageControl->height(), ppi * 122 / 96);
    EXPECT_EQ(f.height(), ppi * 360 / 96);
    EXPECT_EQ(f.SourceView().ChessboardSize(), 12);
    EXPECT_EQ(f.ResultView().ChessboardSize(), 12);
    EXPECT_EQ(f.SourceView().BackgroundStyle, iebsChessboard);
    EXPECT_EQ(f.SourceView().CurrentBitmap().Width(), 64);
}

TEST_F(PreviewsFormTest, OnlyTheChosenPageShowsAndFileFormatPicksTheFirst) {
    record.FileFormat = iofPNG;
    TIOPreviewsForm& f = Open(ppgTiff | ppgPng);
    ASSERT_EQ(f.PageControl->count(), 2);
    EXPECT_EQ(f.PageControl->tabText(f.PageControl->currentIndex()), U("PNG"));
    EXPECT_EQ(f.TabOf(P::Jpeg), -1);
    EXPECT_EQ(f.ListBox(P::Jpeg, pfQuality), nullptr);
}

TEST_F(PreviewsFormTest, TheTiffListsFollowTheirTies) {
    TIOPreviewsForm& f = Open(ppgTiff);
    QComboBox* compression = f.ListBox(P::Tiff, pfCompression);
    QComboBox* colors = f.ListBox(P::Tiff, pfColors);
    compression->setCurrentText(U("G4FAX"));
    EXPECT_EQ(colors->currentText(), U("2"));
    colors->setCurrentText(U("256"));
    EXPECT_EQ(compression->currentText(), U("UNCOMPRESSED"));
    compression->setCurrentText(U("JPEG"));
    EXPECT_EQ(colors->currentText(), U("16777216"));
}

TEST_F(PreviewsFormTest, EditAndTrackBarStayTogether) {
    TIOPreviewsForm& f = Open(ppgJpeg);
    QLineEdit* edit = f.Edit(P::Jpeg, pfQuality);
    QSlider* trackBar = f.TrackBar(P::Jpeg, pfQuality);
    trackBar->setValue(35);
    EXPECT_EQ(edit->text(), U("35"));
    edit->selectAll();
    QTest::keyClicks(edit, "abc");
    EXPECT_EQ(edit->text(), U("abc")); // what is typed stays
    EXPECT_EQ(trackBar->value(), 50);  // and counts as 50
    EXPECT_EQ(f.Model().Value(P::Jpeg, pfQuality), 50);
}

TEST_F(PreviewsFormTest, WithoutLockPreviewOnlyThePreviewButtonComputes) {
    TIOPreviewsForm& f = Open(ppgBmp);
    f.ListBox(P::Bmp, pfColors)->setCurrentText(U("16"));
    EXPECT_EQ(f.CompressedSizeLabel(P::Bmp)->text(), U("---"));
    EXPECT_TRUE(f.ResultView().IsEmptyImage());
    f.ButtonPreview->click();
    EXPECT_NE(f.CompressedSizeLabel(P::Bmp)->text(), U("---"));
    EXPECT_TRUE(f.CompressedSizeLabel(P::Bmp)->text().endsWith(U(" bytes")));
    EXPECT_EQ(f.ResultView().CurrentBitmap().PixelFormat(), ie8p);
    EXPECT_EQ(f.ResultView().CurrentBitmap().Width(), 64);
    EXPECT_EQ(f.ProgressBar->value(), 0);

    f.CheckLockPreview->click();
    EXPECT_FALSE(f.ButtonPreview->isEnabled());
    f.ListBox(P::Bmp, pfColors)->setCurrentText(U("B/W"));
    EXPECT_EQ(f.ResultView().CurrentBitmap().PixelFormat(), ie1g); // recomputed at once
}

TEST_F(PreviewsFormTest, LockedAtOpeningThePreviewIsThereFromTheStart) {
    TIOPreviewsForm& f = Open(ppgBmp, true);
    EXPECT_TRUE(f.CheckLockPreview->isChecked());
    EXPECT_FALSE(f.ButtonPreview->isEnabled());
    EXPECT_NE(f.CompressedSizeLabel(P::Bmp)->text(), U("---"));
    EXPECT_FALSE(f.ResultView().IsEmptyImage());
}

TEST_F(PreviewsFormTest, AMissingWriterShowsTheCaptionAndKeepsTheFieldsEditable) {
    const TCodecOverride noJpeg(iofJPEG, TIECodec{});
    TIOPreviewsForm& f = Open(ppgJpeg);
    f.ButtonPreview->click();
    EXPECT_EQ(f.windowTitle(), U("Result can not be shown but parameters may be entered"));
    EXPECT_EQ(f.CompressedSizeLabel(P::Jpeg)->text(), U("---"));
    EXPECT_TRUE(f.Edit(P::Jpeg, pfQuality)->isEnabled());
    f.TrackBar(P::Jpeg, pfQuality)->setValue(60);
    f.ButtonOK->click();
    EXPECT_EQ(f.result(), QDialog::Accepted);
    EXPECT_EQ(record.JpegQuality, 60);
    EXPECT_EQ(record.FileFormat, iofJPEG);
}

TEST_F(PreviewsFormTest, ApplyWritesAndWaitsForTheNextChange) {
    TIOPreviewsForm& f = Open(ppgPcx, false, true);
    EXPECT_TRUE(f.ButtonApply->isVisible());
    f.ListBox(P::Pcx, pfCompression)->setCurrentText(U("UNCOMPRESSED"));
    f.ButtonApply->click();
    EXPECT_EQ(record.PcxCompression, 0);
    EXPECT_EQ(record.FileFormat, iofPCX);
    EXPECT_FALSE(f.ButtonApply->isEnabled());
    EXPECT_TRUE(f.isVisible()); // Apply does not close
    f.ListBox(P::Pcx, pfColors)->setCurrentText(U("16"));
    EXPECT_TRUE(f.ButtonApply->isEnabled());
    f.ButtonCancel->click();
    EXPECT_EQ(record.BitsPerSample, 8); // what came after Apply is not written
}

TEST_F(PreviewsFormTest, DoPreviewsRunsTheFormModally) {
    InstallPreviewsForm();
    TIEImageIO io;
    io.IEBitmap()->CopyFrom(source);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* f = qobject_cast<TIOPreviewsForm*>(QApplication::activeModalWidget());
        ASSERT_NE(f, nullptr);
        seen = true;
        EXPECT_EQ(f->PageControl->count(), 1);
        f->ListBox(P::Gif, pfColors)->setCurrentText(U("16"));
        f->ButtonOK->click();
    });
    EXPECT_TRUE(io.DoPreviews(ppgGif));
    EXPECT_TRUE(seen);
    EXPECT_EQ(io.Params().BitsPerSample, 4);
    EXPECT_EQ(io.Params().FileFormat, iofGIF);

    QTimer::singleShot(0, [&] {
        auto* f = qobject_cast<TIOPreviewsForm*>(QApplication::activeModalWidget());
        ASSERT_NE(f, nullptr);
        f->close(); // the window's close box: like Cancel
    });
    EXPECT_FALSE(io.DoPreviews(ppgJpeg));
    EXPECT_EQ(io.Params().FileFormat, iofGIF);
}

} // namespace
} // namespace vellinor
