// Browsing, loading and saving in the main window under the offscreen
// platform: the folder tree and the masked file list, the load handler with
// its caption, status panels, enable rules and failure messages, and the save
// flow through a stand-in save dialog and the real options dialog.

#include "image/TIEBitmap.h"
#include "io/TIEImageIO.h"
#include "io/TIOProgressRec.h"
#include "platform/Stream.h"
#include "shell/SavePictureDialog.h"
#include "shell/TFileListBox.h"
#include "shell/TIOPreviewsForm.h"
#include "shell/TShellTreeView.h"
#include "shell/UnitFormMain.h"
#include "tests/support/Codecs.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <unistd.h>

namespace vellinor {
namespace {

namespace fs = std::filesystem;
using testing::CodecOf;
using testing::TCodecOverride;
using testing::WriterOutput;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QStringList TabTexts(const TIOPreviewsForm& options) {
    QStringList tabs;
    for (int i = 0; i < options.PageControl->count(); ++i)
        tabs << options.PageControl->tabText(i);
    return tabs;
}

QString Q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

std::vector<uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A BMP file of a size, with a few colours in it.
void WriteBmp(const fs::path& path, int width, int height) {
    TIEImageIO io;
    TIEBitmap& bitmap = *io.IEBitmap();
    bitmap.Setup(width, height, ie24RGB);
    for (int y = 0; y < height; y += std::max(1, height / 8))
        for (int x = 0; x < width; ++x)
            bitmap.SetRGB(x, y, TRGB{static_cast<uint8_t>(x), 40, static_cast<uint8_t>(y)});
    io.SaveFile(path.string());
    ASSERT_FALSE(io.AbortFlag);
}

// Stands in for the modal save dialog.
class TFakeSaveDialog : public TSavePictureDialog {
public:
    bool Execute(QWidget*) override {
        ++Shown;
        return Confirm;
    }
    QString FileName() const override { return Name; }
    int FilterIndex() const override { return Row; }

    QString Name;
    int Row = 1;
    bool Confirm = true;
    int Shown = 0;
};

// A writer for a format whose codec is not built yet: it writes a marker
// with the colour fields, so the file shows which writer ran with what.
class TStandInWriter {
public:
    explicit TStandInWriter(TIOFormatId format) {
        if (CodecOf(format).Write) return;
        TIECodec codec = CodecOf(format);
        codec.Write = [format](TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
                               TIOProgressRec&) {
            const std::string marker =
                "writer " + std::to_string(format) + " " + std::to_string(params.BitsPerSample) +
                "x" + std::to_string(params.SamplesPerPixel) + " " + std::to_string(bitmap.Width());
            stream.WriteExact(marker.data(), static_cast<int64_t>(marker.size()));
        };
        fOverride.emplace(format, std::move(codec));
    }

private:
    std::optional<TCodecOverride> fOverride;
};

class BrowseLoadSaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("vellinor-browse-" + std::to_string(getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        form = std::make_unique<TFormMain>((folder / "vellinor.ini").string());
        form->ReportError = [this](const QString& m) { errors << m; };
        auto dialog = std::make_unique<TFakeSaveDialog>();
        saveDialog = dialog.get();
        form->SavePictureDialog1 = std::move(dialog);
        form->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        form.reset();
        fs::remove_all(folder);
    }

    // Selects a folder in the tree and a file in the list, as the user would.
    void Open(const fs::path& file) {
        ASSERT_TRUE(form->ShellTreeView1->SelectPath(Q(file.parent_path())));
        ASSERT_TRUE(form->FileListBox1->SelectFile(Q(file.filename())));
    }
    QStringList Listed() const {
        QStringList names;
        for (int i = 0; i < form->FileListBox1->count(); ++i)
            names << form->FileListBox1->item(i)->text();
        return names;
    }
    QString Panel(int i) const { return form->StatusPanels[i]->text(); }

    // Runs act on the options dialog once it shows; false when it never did.
    void WhenOptionsShow(std::function<void(TIOPreviewsForm&)> act) {
        optionsShown = false;
        QTimer::singleShot(0, [this, act] {
            auto* options = qobject_cast<TIOPreviewsForm*>(QApplication::activeModalWidget());
            if (options == nullptr) return;
            optionsShown = true;
            act(*options);
        });
    }
    void Save(const fs::path& file, int row) {
        saveDialog->Name = Q(file);
        saveDialog->Row = row;
        form->ButtonSaveAs->click();
    }

    fs::path folder;
    std::unique_ptr<TFormMain> form;
    TFakeSaveDialog* saveDialog = nullptr;
    QStringList errors;
    bool optionsShown = false;
};

TEST_F(BrowseLoadSaveTest, AFolderListsExactlyTheMaskedFilesByName) {
    for (const char* name : {"photo.JPG", "b.tif", "a.png", "c.txt", "d.jpeg", "E.Bmp",
                             ".hidden.jpg", "noext", "f.jp2", "g.dcm", "h.emf", "i.wmf", "j.cur",
                             "k.ico", "l.pcx", "m.gif", "n.tiff", "o.jpe"})
        WriteText(folder / name, "x");
    fs::create_directories(folder / "folder.jpg");
    fs::create_directories(folder / ".hiddenfolder");
    ASSERT_TRUE(form->ShellTreeView1->SelectPath(Q(folder)));
    EXPECT_EQ(form->FileListBox1->Directory(), Q(folder));
    EXPECT_EQ(Listed(), (QStringList{"a.png", "b.tif", "d.jpeg", "E.Bmp", "f.jp2", "g.dcm", "h.emf",
                                     "i.wmf", "j.cur", "k.ico", "l.pcx", "m.gif", "photo.JPG"}));
    EXPECT_EQ(form->FileListBox1->currentRow(), -1); // listing loads nothing
    EXPECT_TRUE(form->CurrentFile().isEmpty());

    // The tree shows the folder, not the hidden one; the list follows the tree.
    QTreeWidgetItem* node = form->ShellTreeView1->currentItem();
    node->setExpanded(true);
    ASSERT_EQ(node->childCount(), 1);
    EXPECT_EQ(node->child(0)->text(0), U("folder.jpg"));
    form->ShellTreeView1->setCurrentItem(node->child(0));
    EXPECT_TRUE(Listed().isEmpty());
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(BrowseLoadSaveTest, TheTreeStartsAtHomeAndRootAndARightClickSelects) {
    TShellTreeView& tree = *form->ShellTreeView1;
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_TRUE(tree.topLevelItem(0)->isExpanded());
    EXPECT_EQ(tree.topLevelItem(1)->text(0), U("/"));
    tree.topLevelItem(1)->setExpanded(true);
    ASSERT_GT(tree.topLevelItem(1)->childCount(), 0);
    QTreeWidgetItem* target = tree.topLevelItem(1)->child(0);
    QApplication::processEvents();
    const QRect at = tree.visualItemRect(target);
    ASSERT_FALSE(at.isEmpty());
    QTest::mouseClick(tree.viewport(), Qt::RightButton, {}, at.center());
    EXPECT_EQ(tree.currentItem(), target);
    EXPECT_EQ(tree.SelectedPath(), U("/") + target->text(0));
}

TEST_F(BrowseLoadSaveTest, SelectingAFileSetsCaptionAndPanelZero) {
    WriteText(folder / "photo.JPG", "not a picture");
    Open(folder / "photo.JPG");
    EXPECT_EQ(form->CurrentFile(), Q(folder / "photo.JPG"));
    EXPECT_EQ(form->windowTitle(), U("Vellinor - ") + Q(folder) + U("/"));
    EXPECT_EQ(Panel(0), U("photo.JPG"));
    // It cannot be read: the user is told, naming the file.
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(U("无法打开文件 ") + Q(folder / "photo.JPG")))
        << errors[0].toStdString();
    EXPECT_EQ(Panel(1), errors[0]);
    EXPECT_FALSE(errors[0].contains(QLatin1Char('\n')));
}

TEST_F(BrowseLoadSaveTest, LoadingShowsTheSizeAndEnablesTheButtons) {
    WriteBmp(folder / "big.bmp", 3000, 2000);
    Open(folder / "big.bmp");
    EXPECT_EQ(Panel(2), U("3000 x 2000"));
    EXPECT_TRUE(form->ButtonAddCopyright->isEnabled());
    EXPECT_TRUE(form->ButtonSaveAs->isEnabled());
    EXPECT_FALSE(form->ProgressBar->isVisible());
    EXPECT_EQ(form->ProgressBar->value(), 0); // back to 0 at 100
    EXPECT_LT(form->ImageVect().Zoom(), 100); // fitted
    EXPECT_EQ(form->ImageVect().CurrentBitmap().Width(), 3000);
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_TRUE(Panel(1).isEmpty());
}

TEST_F(BrowseLoadSaveTest, ProgressFollowsTheViewAndFallsBackToZero) {
    form->ImageVectProgress(42);
    EXPECT_EQ(form->ProgressBar->value(), 42);
    form->ImageVectProgress(100);
    EXPECT_EQ(form->ProgressBar->value(), 0);
}

TEST_F(BrowseLoadSaveTest, AFailedLoadKeepsThePreviousPictureAndSaysSo) {
    WriteBmp(folder / "good.bmp", 30, 20);
    WriteText(folder / "bad.bmp", "XX not a bitmap at all, but long enough");
    Open(folder / "good.bmp");
    ASSERT_EQ(Panel(2), U("30 x 20"));
    form->FileListBox1->SelectFile(U("bad.bmp"));
    EXPECT_EQ(Panel(0), U("bad.bmp"));
    EXPECT_EQ(form->ImageVect().CurrentBitmap().Width(), 30);
    EXPECT_EQ(form->ImageVect().CurrentBitmap().PixelFormat(), ie24RGB);
    EXPECT_EQ(Panel(2), U("30 x 20"));
    EXPECT_TRUE(form->ButtonSaveAs->isEnabled());
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], U("无法打开文件 ") + Q(folder / "bad.bmp"));

    // A file that cannot be opened at all gives the system's reason.
    fs::create_directories(folder / "locked.bmp");
    form->FileListBox1->SetDirectory(Q(folder));  // directories are not listed ...
    form->FileListBox1->addItem(U("locked.bmp")); // ... so put one in by hand
    form->FileListBox1->item(form->FileListBox1->count() - 1)
        ->setData(Qt::UserRole, Q(folder / "locked.bmp"));
    form->FileListBox1->setCurrentRow(form->FileListBox1->count() - 1);
    ASSERT_EQ(errors.size(), 2);
    EXPECT_TRUE(errors[1].startsWith(U("无法打开文件 ") + Q(folder / "locked.bmp") + U(": ")))
        << errors[1].toStdString();
    EXPECT_EQ(form->ImageVect().CurrentBitmap().Width(), 30);
}

TEST_F(BrowseLoadSaveTest, APartialPictureIsShownWithTheMessage) {
    TIECodec partial = CodecOf(iofPCX);
    partial.Read = [](TStream&, TIEBitmap& bitmap, TIOParamsVals&, TIOProgressRec& progress,
                      TIEReadOptions&) {
        bitmap.Setup(7, 5, ie24RGB);
        progress.Abort();
    };
    const TCodecOverride pcx(iofPCX, partial);
    WriteBmp(folder / "good.bmp", 30, 20);
    WriteText(folder / "cut.pcx", "whatever");
    Open(folder / "good.bmp");
    form->FileListBox1->SelectFile(U("cut.pcx"));
    EXPECT_EQ(Panel(2), U("7 x 5"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], U("无法打开文件 ") + Q(folder / "cut.pcx"));
}

TEST_F(BrowseLoadSaveTest, AFileGoneSinceListingChangesOnlyCaptionAndPanelZero) {
    WriteBmp(folder / "good.bmp", 30, 20);
    WriteBmp(folder / "gone.bmp", 8, 8);
    Open(folder / "good.bmp");
    fs::remove(folder / "gone.bmp");
    form->FileListBox1->SelectFile(U("gone.bmp"));
    EXPECT_EQ(Panel(0), U("gone.bmp"));
    EXPECT_EQ(Panel(2), U("30 x 20"));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(BrowseLoadSaveTest, ThePcxRowWritesAPcxAfterThePcxPageIsConfirmed) {
    const TStandInWriter pcxWriter(iofPCX);
    WriteBmp(folder / "photo.bmp", 40, 30);
    Open(folder / "photo.bmp");
    QStringList pages;
    WhenOptionsShow([&](TIOPreviewsForm& options) {
        pages = TabTexts(options);
        options.ButtonOK->click();
    });
    Save(folder / "photo.pcx", 4);
    EXPECT_TRUE(optionsShown);
    EXPECT_EQ(pages, QStringList{"PCX"});
    ASSERT_TRUE(fs::exists(folder / "photo.pcx"));
    TIEImageIO& io = *form->ImageVect().AttachedIO();
    EXPECT_EQ(ReadAll(folder / "photo.pcx"),
              WriterOutput(form->ImageVect().CurrentBitmap(), io.Params(), iofPCX));
    EXPECT_EQ(Panel(0), U("photo.pcx"));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(BrowseLoadSaveTest, APngNameWithTheGifRowShowsTheGifPageAndWritesPng) {
    const TStandInWriter pngWriter(iofPNG);
    WriteBmp(folder / "photo.bmp", 40, 30);
    Open(folder / "photo.bmp");
    QStringList pages;
    WhenOptionsShow([&](TIOPreviewsForm& options) {
        pages = TabTexts(options);
        options.ListBox(TPreviewsPage::Gif, pfColors)->setCurrentIndex(3); // "16"
        options.ButtonOK->click();
    });
    Save(folder / "marked.png", 1);
    EXPECT_TRUE(optionsShown);
    EXPECT_EQ(pages, QStringList{"GIF"});
    TIEImageIO& io = *form->ImageVect().AttachedIO();
    EXPECT_EQ(io.Params().BitsPerSample, 4); // the GIF page's value, written as PNG
    ASSERT_TRUE(fs::exists(folder / "marked.png"));
    EXPECT_EQ(ReadAll(folder / "marked.png"),
              WriterOutput(form->ImageVect().CurrentBitmap(), io.Params(), iofPNG));
    EXPECT_EQ(io.Params().FileFormat, iofPNG);
}

TEST_F(BrowseLoadSaveTest, CancelInTheOptionsDialogWritesNothing) {
    WriteBmp(folder / "photo.bmp", 40, 30);
    Open(folder / "photo.bmp");
    WhenOptionsShow([](TIOPreviewsForm& options) {
        options.TrackBar(TPreviewsPage::Jpeg, pfQuality)->setValue(10);
        options.ButtonCancel->click();
    });
    Save(folder / "out.jpg", 2);
    EXPECT_TRUE(optionsShown);
    EXPECT_FALSE(fs::exists(folder / "out.jpg"));
    EXPECT_EQ(form->ImageVect().AttachedIO()->Params().JpegQuality, 80);
    EXPECT_EQ(Panel(0), U("photo.bmp"));
    EXPECT_TRUE(errors.isEmpty());

    // Cancelling the save dialog shows no options dialog at all.
    saveDialog->Confirm = false;
    WhenOptionsShow([](TIOPreviewsForm& options) { options.ButtonCancel->click(); });
    form->ButtonSaveAs->click();
    QApplication::processEvents();
    EXPECT_FALSE(optionsShown);
}

TEST_F(BrowseLoadSaveTest, AFailedSaveLeavesTheOldFileAndSaysSo) {
    WriteBmp(folder / "photo.bmp", 40, 30);
    WriteText(folder / "keep.bmp", "the old file");
    Open(folder / "photo.bmp");
    TIECodec failing = CodecOf(iofBMP);
    failing.Write = [](TStream& stream, TIEBitmap&, TIOParamsVals&, TIOProgressRec& progress) {
        stream.WriteExact("BM half", 7);
        progress.Abort();
    };
    {
        const TCodecOverride bmp(iofBMP, failing);
        WhenOptionsShow([](TIOPreviewsForm& options) { options.ButtonOK->click(); });
        Save(folder / "keep.bmp", 3);
    }
    EXPECT_TRUE(optionsShown);
    const std::vector<uint8_t> old = {'t', 'h', 'e', ' ', 'o', 'l', 'd', ' ', 'f', 'i', 'l', 'e'};
    EXPECT_EQ(ReadAll(folder / "keep.bmp"), old);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], U("无法保存文件 ") + Q(folder / "keep.bmp"));
    EXPECT_EQ(Panel(1), errors[0]);
    EXPECT_EQ(Panel(0), U("photo.bmp")); // not the name that was not written

    // A name no writer takes: nothing is created, and the reason is given.
    WhenOptionsShow([](TIOPreviewsForm& options) { options.ButtonOK->click(); });
    Save(folder / "photo.xyz", 3);
    EXPECT_FALSE(fs::exists(folder / "photo.xyz"));
    ASSERT_EQ(errors.size(), 2);
    EXPECT_EQ(errors[1], U("无法保存文件 ") + Q(folder / "photo.xyz") + U(": 不支持此文件格式"));

    // And a folder that does not exist gives the system's reason.
    WhenOptionsShow([](TIOPreviewsForm& options) { options.ButtonOK->click(); });
    Save(folder / "no" / "such.bmp", 3);
    ASSERT_EQ(errors.size(), 3);
    EXPECT_TRUE(errors[2].startsWith(U("无法保存文件 ") + Q(folder / "no" / "such.bmp") + U(": ")))
        << errors[2].toStdString();
}

TEST_F(BrowseLoadSaveTest, ASuccessfulSaveNamesTheFileAndKeepsTheCurrentFile) {
    WriteBmp(folder / "photo.bmp", 40, 30);
    Open(folder / "photo.bmp");
    WhenOptionsShow([](TIOPreviewsForm& options) {
        options.ListBox(TPreviewsPage::Bmp, pfCompression)->setCurrentIndex(1); // RLE
        options.ListBox(TPreviewsPage::Bmp, pfColors)->setCurrentIndex(2);      // 256
        options.ButtonOK->click();
    });
    Save(folder / "copy.bmp", 3);
    EXPECT_EQ(Panel(0), U("copy.bmp"));
    EXPECT_EQ(form->CurrentFile(), Q(folder / "photo.bmp"));
    // The file is an 8-bit RLE bitmap, as the page said.
    TIEImageIO check;
    check.LoadFile((folder / "copy.bmp").string());
    ASSERT_FALSE(check.AbortFlag);
    EXPECT_EQ(check.Params().BitsPerSample, 8);
    EXPECT_EQ(check.Params().SamplesPerPixel, 1);
    EXPECT_EQ(check.Params().BmpCompression, 1);
}

TEST_F(BrowseLoadSaveTest, FilterRowsGiveTheirPages) {
    const TIOPreviewsPages expected[] = {0,      ppgGif,  ppgJpeg,     ppgBmp, ppgPcx,
                                         ppgPng, ppgTiff, ppgJpeg2000, 0};
    for (int row = 0; row <= 8; ++row)
        EXPECT_EQ(OptionsPageOfFilterRow(row), expected[row]) << row;
    EXPECT_EQ(QtNameFilters(QString::fromLatin1(kSavePictureFilter)),
              (QStringList{"GIF Image (*.gif)", "JPEG Image File (*.jpg)", "Bitmaps (*.bmp)",
                           "PCX (*.pcx)", "PNG (*.png)", "TIF (*.tif)", "JP2 (*.jp2)"}));
}

TEST(SavePictureDialog, TheQtDialogStartsEmptyWithoutPlacesAndAddsGif) {
    const fs::path folder =
        fs::temp_directory_path() / ("vellinor-savedialog-" + std::to_string(getpid()));
    fs::create_directories(folder);
    std::unique_ptr<TSavePictureDialog> dialog = CreateSavePictureDialog();
    struct Run {
        const char* typed;
        const char* filter;
        const char* expected;
        int row;
    } runs[] = {{"marked", "PCX (*.pcx)", "marked.gif", 4},
                {"photo.png", "GIF Image (*.gif)", "photo.png", 1}};
    bool first = true;
    for (const Run& run : runs) {
        QStringList filters;
        QString before;
        QTimer::singleShot(0, [&] {
            auto* file = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(file, nullptr);
            filters = file->nameFilters();
            auto* name = file->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            before = name->text();
            auto* places = file->findChild<QWidget*>(QStringLiteral("sidebar"));
            ASSERT_NE(places, nullptr);
            EXPECT_FALSE(places->isVisible());
            if (first) file->setDirectory(QString::fromStdString(folder.string()));
            file->selectNameFilter(QString::fromLatin1(run.filter));
            name->setText(QString::fromLatin1(run.typed));
            static_cast<QDialog*>(file)->accept();
        });
        ASSERT_TRUE(dialog->Execute(nullptr));
        first = false;
        EXPECT_EQ(filters.size(), 7);
        EXPECT_TRUE(before.isEmpty()) << before.toStdString();
        EXPECT_EQ(dialog->FileName(), QString::fromStdString((folder / run.expected).string()));
        EXPECT_EQ(dialog->FilterIndex(), run.row);
    }
    fs::remove_all(folder);
}

} // namespace
} // namespace vellinor
