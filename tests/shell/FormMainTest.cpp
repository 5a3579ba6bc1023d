// The main window under the offscreen platform: start-up with and without a
// settings file, shutdown, texts and hints, the selection group, keys,
// enable rules, the About box and the home page.

#include "shell/InterfaceTexts.h"
#include "shell/SettingsFile.h"
#include "shell/TColorBox.h"
#include "shell/TImageViewWidget.h"
#include "shell/TShellTreeView.h"
#include "shell/TURLLabel.h"
#include "shell/UnitFormAbout.h"
#include "shell/UnitFormMain.h"
#include "shell/UrlOpener.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeView>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <unistd.h>

namespace vellinor {
namespace {

namespace fs = std::filesystem;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

class FormMainTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("vellinor-form-" + std::to_string(getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        settings = (folder / "vellinor.ini").string();
    }
    void TearDown() override {
        form.reset();
        fs::remove_all(folder);
    }
    TFormMain& Start() {
        form = std::make_unique<TFormMain>(settings);
        form->ReportError = [this](const QString& m) { errors << m; };
        return *form;
    }
    TFormMain& StartShown() {
        Start().show();
        QApplication::processEvents();
        return *form;
    }
    void Restart() {
        form.reset();
        Start();
    }
    void WriteSettings(const std::string& text) { std::ofstream(settings) << text; }
    QRect Screen() const { return QGuiApplication::primaryScreen()->geometry(); }

    fs::path folder;
    std::string settings;
    std::unique_ptr<TFormMain> form;
    QStringList errors;
};

TEST_F(FormMainTest, FirstRunOpensMaximizedWithTheScreenAsRestoredGeometry) {
    TFormMain& f = StartShown();
    EXPECT_TRUE(f.isMaximized());
    EXPECT_EQ(f.CopyrightEdit->text(), U(kDefaultCopyright));
    f.showNormal();
    QApplication::processEvents();
    EXPECT_EQ(f.pos(), QPoint(0, 0));
    EXPECT_EQ(f.size(), Screen().size());
    EXPECT_EQ(QApplication::applicationName(), U("Vellinor"));
    EXPECT_EQ(f.windowTitle(), U("Vellinor"));
}

TEST_F(FormMainTest, SettingsValuesAndTheirDefaults) {
    struct Case {
        const char* width;
        int expected; // -1: the screen width
    } cases[] = {{"0x200", 512}, {"abc", -1}, {"640", 640}, {"0x", -1}, {"", -1}};
    for (const Case& c : cases) {
        form.reset(); // its shutdown writes the file too
        WriteSettings(std::string("[Copyright Form]\nLeft=10\nTop=20\nWidth=") + c.width +
                      "\nHeight=0X190\nWindow State=0\n");
        Start();
        EXPECT_EQ(form->width(), c.expected < 0 ? Screen().width() : c.expected) << c.width;
        EXPECT_EQ(form->height(), 400) << c.width;
        EXPECT_EQ(form->pos(), QPoint(10, 20));
        EXPECT_FALSE(form->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized));
    }
}

TEST_F(FormMainTest, WindowStateOutsideTheThreeFallsBackToMaximized) {
    WriteSettings("[Copyright Form]\nWindow State=7\n");
    Start();
    EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);
}

TEST_F(FormMainTest, AWindowOffEveryScreenIsBroughtBack) {
    WriteSettings("[Copyright Form]\nLeft=-20000\nTop=-20000\nWidth=300\nHeight=200\n"
                  "Window State=0\n");
    Start();
    EXPECT_TRUE(Screen().intersects(form->geometry()));
}

TEST_F(FormMainTest, ClosingMinimizedStoresOneAndTheNextRunOpensMinimized) {
    TFormMain& f = StartShown();
    f.showMinimized();
    QApplication::processEvents();
    f.close();
    form.reset();
    EXPECT_EQ(TSettingsFile(settings).ReadInteger("Copyright Form", "Window State", -1), 1);
    Start();
    EXPECT_TRUE(form->windowState() & Qt::WindowMinimized);
}

TEST_F(FormMainTest, ShutdownWritesBoundsStateAndTheCopyrightLine) {
    WriteSettings("[Copyright Form]\nLeft=30\nTop=40\nWidth=700\nHeight=500\nWindow State=0\n");
    TFormMain& f = StartShown();
    const QString line = U("版权所有 \u00A9 2024, 张三");
    f.CopyrightEdit->setText(line);
    const QPoint pos = f.pos();
    const QSize size = f.size();
    form.reset();
    const TSettingsFile ini(settings);
    EXPECT_EQ(ini.ReadInteger("Copyright Form", "Left", -1), pos.x());
    EXPECT_EQ(ini.ReadInteger("Copyright Form", "Top", -1), pos.y());
    EXPECT_EQ(ini.ReadInteger("Copyright Form", "Width", -1), size.width());
    EXPECT_EQ(ini.ReadInteger("Copyright Form", "Height", -1), size.height());
    EXPECT_EQ(ini.ReadInteger("Copyright Form", "Window State", -1), 0);
    Start();
    EXPECT_EQ(form->CopyrightEdit->text(), line);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(FormMainTest, AnUnwritableSettingsFileReportsUnableToWriteOnce) {
    std::ofstream(folder / "blocker") << "a file, not a folder";
    settings = (folder / "blocker" / "vellinor.ini").string();
    Start();
    form.reset();
    ASSERT_EQ(errors.size(), 1); // writing stopped at the first key
    EXPECT_EQ(errors[0], QString::fromStdString("Unable to write to " + settings));
}

TEST_F(FormMainTest, AFileOfTheEightBitCodePageStillReads) {
    WriteSettings("[Copyright Form]\nCopyright=Copyright \xA9 2010\n");
    Start();
    EXPECT_EQ(form->CopyrightEdit->text(), U("Copyright \u00A9 2010"));
}

TEST_F(FormMainTest, EveryCaptionIsChineseAfterStartUp) {
    TFormMain& f = StartShown();
    const std::pair<QString, QString> captions[] = {
        {f.GroupBox2->title(), U("源图片")},
        {f.CopyrightEditLabel->text(), U("版权")},
        {f.GroupBox1->title(), U("版权")},
        {f.ButtonAddCopyright->text(), U("添加版权")},
        {f.GroupBox4->title(), U("常规参数")},
        {f.CheckBoxAddFrame->text(), U("给图像加框")},
        {f.CheckBoxCopyrightInMargin->text(), U("版权信息加在图像下方空白处")},
        {f.GroupBox3->title(), U("目标参数")},
        {f.SelectRadioGroup->title(), U("选择")},
        {f.Label1->text(), U("文本颜色")},
        {f.CheckBoxUseObjects->text(), U("使用对象")},
        {f.CheckBoxAddSoftShadow->text(), U("添加软阴影")},
        {f.CheckBoxAntialiasText->text(), U("平滑文本")},
        {f.ButtonMerge->text(), U("合并")},
        {f.ButtonSaveAs->text(), U("另存为")},
        {f.Button3->text(), U("关闭")},
        {f.ButtonAbout->text(), U("关于")},
        {f.ButtonHomePage->text(), U("主页")},
        {f.Label2->text(), U("注意:(1)添加版权信息后,可以使用鼠标拖放来改变位置。")},
        {f.Label3->text(), U("(2)还可以使用鼠标来改变框架和字体大小。")},
    };
    for (const auto& [shown, expected] : captions)
        EXPECT_EQ(shown, expected);

    ASSERT_EQ(f.SelectRadioGroupItemCount(), 3);
    EXPECT_EQ(f.SelectRadioGroupItem(0)->text(), U("放大 (100.00%)"));
    EXPECT_EQ(f.SelectRadioGroupItem(1)->text(), U("自动匹配"));
    EXPECT_EQ(f.SelectRadioGroupItem(2)->text(), U("文本"));
    EXPECT_EQ(f.SelectRadioGroupItemIndex(), 1);
    EXPECT_TRUE(f.ImageVect().AutoFit());

    const QStringList note = f.Memo1Lines();
    ASSERT_EQ(note.size(), 1);
    EXPECT_EQ(note[0], U(texts::kNoteLine));
    EXPECT_TRUE(f.Memo1->isReadOnly());
}

TEST_F(FormMainTest, HintsExactlyAsListed) {
    TFormMain& f = StartShown();
    const std::map<QString, QString> expected = {
        {"Button3", "Close"},
        {"CopyrightEdit", U("编辑版权信息")},
        {"SelectRadioGroup", "View"},
        {"CheckBoxUseObjects", "Use Objects or GDI Drawing"},
        {"CheckBoxAntialiasText", "Antialias Text"},
        {"ButtonMerge", "Merge"},
        {"ButtonSaveAs", U("另存前,请确认进行了合并,否则不会保存标记内容.")},
    };
    std::map<QString, QString> shown;
    for (QWidget* w : f.findChildren<QWidget*>())
        if (!w->toolTip().isEmpty()) shown[w->objectName()] = w->toolTip();
    EXPECT_EQ(shown, expected);
}

TEST_F(FormMainTest, ControlsStartAsDesigned) {
    TFormMain& f = StartShown();
    EXPECT_FALSE(f.CheckBoxAddFrame->isChecked());
    EXPECT_TRUE(f.CheckBoxCopyrightInMargin->isChecked());
    EXPECT_TRUE(f.CheckBoxUseObjects->isChecked());
    EXPECT_TRUE(f.CheckBoxAddSoftShadow->isChecked());
    EXPECT_TRUE(f.CheckBoxAntialiasText->isChecked());
    EXPECT_EQ(f.ColorBoxTextColor->Selected(), 0x0000FFFFu); // yellow
    EXPECT_FALSE(f.ProgressBar->isVisible());
    EXPECT_EQ(f.ProgressBar->height(), 17);
    for (int i = 0; i < TFormMain::kStatusPanelCount; ++i) {
        EXPECT_EQ(f.StatusPanels[i]->width(), TFormMain::kStatusPanelWidths[i]);
        EXPECT_TRUE(f.StatusPanels[i]->text().isEmpty());
    }
    EXPECT_EQ(f.GroupBox1->height(), 272);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(f.ShellTreeView1));
}

TEST_F(FormMainTest, TheViewIsConfiguredAndEmpty) {
    TFormMain& f = StartShown();
    DOrevaDeVeri& view = f.ImageVect();
    EXPECT_TRUE(view.IsEmptyImage());
    EXPECT_EQ(view.BackgroundStyle, iebsChessboard);
    EXPECT_EQ(view.ChessboardSize(), 6);
    EXPECT_EQ(view.ChessboardBrushStyle(), bsSolid);
    EXPECT_EQ(view.MouseWheelParams.WheelAction, 1);
    EXPECT_EQ(view.MouseWheelParams.WheelAmountKind, 1);
    EXPECT_EQ(view.MouseWheelParams.WheelAmount, 15);
    EXPECT_FALSE(view.MouseWheelParams.WheelInverted);
    EXPECT_FALSE(view.MouseWheelParams.WheelZoomAtPointer);
    EXPECT_EQ(view.HorizontalScrollBarParams.LineStep, 15);
    EXPECT_EQ(view.VerticalScrollBarParams.LineStep, 15);
    EXPECT_EQ(view.ShownCursor(), crDefault); // Auto Fit
}

TEST_F(FormMainTest, CommandButtonsAreDisabledBeforeAnythingIsLoaded) {
    TFormMain& f = StartShown();
    EXPECT_FALSE(f.ButtonAddCopyright->isEnabled());
    EXPECT_FALSE(f.ButtonSaveAs->isEnabled());
    EXPECT_FALSE(f.ButtonMerge->isEnabled());
    EXPECT_TRUE(f.ButtonAbout->isEnabled());
}

TEST_F(FormMainTest, TheEnableRulesFollowTheImage) {
    TFormMain& f = StartShown();
    DOrevaDeVeri& view = f.ImageVect();
    view.CurrentBitmap().Setup(2, 1, ie24RGB);
    view.ImageChange();
    EXPECT_TRUE(f.ButtonAddCopyright->isEnabled());
    EXPECT_TRUE(f.ButtonSaveAs->isEnabled());
    EXPECT_FALSE(f.ButtonMerge->isEnabled()); // no objects

    f.CheckBoxUseObjects->click(); // unchecked
    EXPECT_FALSE(f.ButtonMerge->isEnabled());
    f.CheckBoxUseObjects->click(); // checked again
    EXPECT_TRUE(f.ButtonMerge->isEnabled());
    // A click on the view re-evaluates: without objects Merge is off again.
    QTest::mouseClick(f.ImageVectWidget, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(f.ButtonMerge->isEnabled());

    view.ClearImage();
    view.ImageChange();
    EXPECT_FALSE(f.ButtonAddCopyright->isEnabled());
}

TEST_F(FormMainTest, SelectionGroupModes) {
    TFormMain& f = StartShown();
    DOrevaDeVeri& view = f.ImageVect();
    view.CurrentBitmap().Setup(4000, 3000, ie24RGB);
    view.Update(); // Auto Fit: a reduced zoom
    const double fitted = view.Zoom();
    ASSERT_LT(fitted, 100);

    f.SelectRadioGroupItem(0)->click(); // Zoom: keeps the zoom
    EXPECT_FALSE(view.AutoFit());
    EXPECT_EQ(view.MouseInteract(), (TIEMouseInteract{miZoom, miScroll}));
    EXPECT_DOUBLE_EQ(view.Zoom(), fitted);
    EXPECT_EQ(f.SelectRadioGroupItem(0)->text(), QString::fromStdString(ZoomItemCaption(fitted)));
    EXPECT_EQ(view.ShownCursor(), crIEZoomIn);

    // A click zooms in; the caption shows the zoom held when the event fired.
    const QPoint centre = f.ImageVectWidget->rect().center();
    QTest::mouseClick(f.ImageVectWidget, Qt::LeftButton, {}, centre);
    EXPECT_GT(view.Zoom(), fitted);
    EXPECT_EQ(f.SelectRadioGroupItem(0)->text(), QString::fromStdString(ZoomItemCaption(fitted)));
    QTest::mouseClick(f.ImageVectWidget, Qt::RightButton, {}, centre);
    EXPECT_EQ(view.ShownCursor(), crIEZoomOut);
    const double zoomed = view.Zoom();

    f.SelectRadioGroupItem(2)->click(); // Text: cursor only
    EXPECT_EQ(view.ShownCursor(), crIEHand);
    EXPECT_DOUBLE_EQ(view.Zoom(), zoomed);
    EXPECT_FALSE(view.AutoFit());

    f.SelectRadioGroupItem(1)->click(); // Auto Fit again
    EXPECT_TRUE(view.AutoFit());
    EXPECT_DOUBLE_EQ(view.Zoom(), fitted);
    EXPECT_EQ(view.ShownCursor(), crDefault);
    EXPECT_EQ(f.SelectRadioGroupItem(0)->text(), QString::fromStdString(ZoomItemCaption(fitted)));
}

TEST_F(FormMainTest, TheWheelScrollsOnlyInZoomMode) {
    TFormMain& f = StartShown();
    DOrevaDeVeri& view = f.ImageVect();
    view.CurrentBitmap().Setup(3000, 3000, ie24RGB);
    view.Update();
    auto wheel = [&](int delta) {
        const QPointF at = f.ImageVectWidget->rect().center();
        QWheelEvent e(at, f.ImageVectWidget->mapToGlobal(at), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(f.ImageVectWidget, &e);
    };
    wheel(-120);
    EXPECT_EQ(view.ViewY(), 0); // Auto Fit

    f.SelectRadioGroupItem(0)->click();
    view.SetZoom(100);
    view.SetViewXY(0, 0);
    wheel(-60); // half a notch does nothing yet
    EXPECT_EQ(view.ViewY(), 0);
    wheel(-60);
    const int step = static_cast<int>(std::nearbyint(view.VisibleHeight() * 0.15));
    EXPECT_EQ(view.ViewY(), step);
    EXPECT_EQ(f.ImageVectWidget->VerticalBar()->value(), step);
}

TEST_F(FormMainTest, EscapeClosesFromAnyControl) {
    TFormMain& f = StartShown();
    f.CopyrightEdit->setFocus();
    QTest::keyClick(f.CopyrightEdit, Qt::Key_Escape);
    EXPECT_FALSE(f.isVisible());
}

TEST_F(FormMainTest, OtherKeysReachTheFocusedControl) {
    TFormMain& f = StartShown();
    f.CopyrightEdit->clear();
    f.CopyrightEdit->setFocus();
    QTest::keyClicks(f.CopyrightEdit, "ab");
    QTest::keyClick(f.CopyrightEdit, Qt::Key_Left);
    QTest::keyClick(f.CopyrightEdit, Qt::Key_Delete);
    EXPECT_EQ(f.CopyrightEdit->text(), U("a"));
    EXPECT_TRUE(f.isVisible());
}

TEST_F(FormMainTest, DeleteRemovesEverySelectedObjectFromAnyControl) {
    TFormMain& f = StartShown();
    REzoreZuDidu& view = f.ImageVect();
    view.CurrentBitmap().Setup(100, 80, ie24RGB);
    view.SetShapeKind(-1, vkBox);
    for (int i = 0; i < 4; ++i)
        view.AddShape();
    view.SelectShape(3);
    view.SelectShape(1);
    f.CopyrightEdit->setText(U("ab"));
    f.CopyrightEdit->setFocus();
    QTest::keyClick(f.CopyrightEdit, Qt::Key_Delete);
    EXPECT_EQ(view.ShapeCount(), 2);
    EXPECT_EQ(view.ShapeAt(0), 0);
    EXPECT_EQ(view.ShapeAt(1), 2);
    EXPECT_EQ(view.SelectedCount(), 0);
    EXPECT_TRUE(f.ButtonMerge->isEnabled());          // objects are left
    QTest::keyClick(f.CopyrightEdit, Qt::Key_Delete); // nothing selected: nothing removed
    EXPECT_EQ(view.ShapeCount(), 2);
    view.SelectShape(0);
    view.SelectShape(2);
    QTest::keyClick(f.CopyrightEdit, Qt::Key_Delete);
    EXPECT_EQ(view.ShapeCount(), 0);
    EXPECT_FALSE(f.ButtonMerge->isEnabled()); // re-evaluated by the objects-changed handler
}

TEST_F(FormMainTest, ActivationSetsThePickDistance) {
    TFormMain& f = StartShown();
    f.ImageVect().PickDistance = -1;
    f.FormActivate();
    EXPECT_EQ(f.ImageVect().PickDistance, 32);
}

TEST_F(FormMainTest, CloseButtonCloses) {
    TFormMain& f = StartShown();
    f.Button3->click();
    EXPECT_FALSE(f.isVisible());
}

TEST_F(FormMainTest, HomePageOpensTheProjectPage) {
    TFormMain& f = StartShown();
    std::vector<QUrl> opened;
    const TUrlOpener old = SetUrlOpener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    f.ButtonHomePage->click();
    SetUrlOpener(old);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl(U(kHomePage)));
    EXPECT_EQ(opened[0].scheme(), U("https"));
}

TEST_F(FormMainTest, AboutBoxShowsItsChineseTexts) {
    TFormMain& f = StartShown();
    std::vector<QUrl> opened;
    const TUrlOpener old = SetUrlOpener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    bool inspected = false;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<TFormAbout*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        inspected = true;
        EXPECT_EQ(about->windowTitle(), U("关于"));
        EXPECT_EQ(about->size(), QSize(337, 202));
        EXPECT_EQ(about->minimumSize(), about->maximumSize()); // fixed border
        EXPECT_EQ(about->Label1->text(), U("Vellinor"));
        EXPECT_TRUE(about->Label1->font().bold());
        EXPECT_EQ(about->Label2->text(), U("(Ver 2.0)"));
        EXPECT_EQ(about->Label5->text(), U("主页:"));
        EXPECT_EQ(about->Label6->text(), U("邮箱:"));
        EXPECT_EQ(about->URLLabel4->text(), U(kHomePage));
        EXPECT_EQ(about->URLLabel4->toolTip(), U(kHomePage));
        EXPECT_EQ(about->URLLabel4->Target(), QUrl(U(kHomePage)));
        EXPECT_EQ(about->URLLabel1->text(), U(kEMail));
        EXPECT_EQ(about->URLLabel1->Target(), QUrl(U("mailto:") + U(kEMail)));
        EXPECT_FALSE(about->Memo1->isVisible());
        EXPECT_TRUE(about->Memo2->isVisible());
        EXPECT_EQ(about->Memo2->text(), U("为您的图片添加版权和边框的工具"));
        EXPECT_EQ(about->Button1->text(), U("关闭"));
        EXPECT_EQ(about->font().family(), U("Arial"));
        const QFont link = about->URLLabel4->font();
        EXPECT_TRUE(link.underline());
        EXPECT_EQ(link.family(), U("Verdana"));
        EXPECT_EQ(about->URLLabel4->palette().color(QPalette::WindowText),
                  QColor(0x3C, 0x3C, 0x78));
        QTest::mouseClick(about->URLLabel4, Qt::LeftButton);
        EXPECT_TRUE(about->URLLabel4->Visited());
        EXPECT_EQ(about->URLLabel4->palette().color(QPalette::WindowText),
                  QColor(0x82, 0x5F, 0x46));
        about->Button1->click();
    });
    f.ButtonAboutClick(); // returns when the box is closed
    SetUrlOpener(old);
    EXPECT_TRUE(inspected);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl(U(kHomePage)));
    EXPECT_TRUE(f.findChildren<TFormAbout*>().isEmpty()); // destroyed after closing
}

TEST(ZoomItemCaption, FormatsWithTwoDecimalsLeftAligned) {
    EXPECT_EQ(QString::fromStdString(ZoomItemCaption(100)), U("放大 (100.00%)"));
    EXPECT_EQ(QString::fromStdString(ZoomItemCaption(37.5)), U("放大 (37.50%)"));
    EXPECT_EQ(QString::fromStdString(ZoomItemCaption(5)), U("放大 (5.00%)"));
    EXPECT_EQ(QString::fromStdString(ZoomItemCaption(66.666666)), U("放大 (66.67%)"));
}

} // namespace
} // namespace vellinor
