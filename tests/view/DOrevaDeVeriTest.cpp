// The image view without a toolkit: emptiness, fit, wheel, scroll steps,
// conversions, zoom events, mouse interaction and the back buffer.

#include "view/DOrevaDeVeri.h"

#include "io/TIEImageIO.h"
#include "view/ViewBackground.h"
#include "view/ViewHost.h"
#include "view/ViewTimer.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vellinor {
namespace {

TRGB Gray(uint8_t v) {
    return TRGB{v, v, v};
}

// A view of a width x height picture in a client of the given size.
class ViewTest : public ::testing::Test {
protected:
    void Show(int width, int height, int clientWidth, int clientHeight) {
        view.CurrentBitmap().Setup(width, height, ie24RGB);
        view.SetClientSize(clientWidth, clientHeight);
        view.Update();
    }
    void Wheel(int delta) {
        TIEWheelEvent e;
        e.Delta = delta;
        view.MouseWheel(e);
    }
    // The main window's settings.
    void ConfigureLikeTheMainWindow() {
        view.BackgroundStyle = iebsChessboard;
        view.SetChessboard(6, bsSolid);
        view.MouseWheelParams.WheelAction = 1;
        view.MouseWheelParams.WheelAmountKind = 1;
        view.MouseWheelParams.WheelAmount = 15;
        view.HorizontalScrollBarParams.LineStep = 15;
        view.VerticalScrollBarParams.LineStep = 15;
    }
    DOrevaDeVeri view;
};

TEST_F(ViewTest, EmptyMeansSmallerThanTwoInBothDirections) {
    EXPECT_TRUE(view.IsEmptyImage()); // fresh: 1 x 1
    EXPECT_EQ(view.CurrentBitmap().Width(), 1);
    struct Case {
        int w, h;
        bool empty;
    } cases[] = {{1, 1, true}, {2, 1, false}, {1, 2, false}, {0, 0, true}, {5, 5, false}};
    for (const Case& c : cases) {
        view.CurrentBitmap().Setup(c.w, c.h, ie24RGB);
        EXPECT_EQ(view.IsEmptyImage(), c.empty) << c.w << " x " << c.h;
    }
}

TEST_F(ViewTest, ClearImageLeavesOneBackgroundPixelWithoutAlpha) {
    view.CurrentBitmap().Setup(30, 20, ie8g);
    view.CurrentBitmap().AlphaPlane();
    view.Background = 0x00336699;
    view.ClearImage();
    TIEBitmap& b = view.CurrentBitmap();
    EXPECT_EQ(b.Width(), 1);
    EXPECT_EQ(b.Height(), 1);
    EXPECT_EQ(b.PixelFormat(), ie24RGB);
    EXPECT_FALSE(b.HasAlphaPlane());
    EXPECT_EQ(b.GetRGB(0, 0), MakeRGB(0x99, 0x66, 0x33));
    EXPECT_TRUE(view.IsEmptyImage());
    ASSERT_NE(view.LegacyVclBitmap(), nullptr); // the picture lives in a platform bitmap
}

TEST_F(ViewTest, FitZoomIsTheLargestZoomShowingTheWholePicture) {
    Show(400, 300, 200, 300);
    EXPECT_DOUBLE_EQ(view.GetFitZoom(), 50);
    Show(100, 50, 300, 300);
    EXPECT_DOUBLE_EQ(view.GetFitZoom(), 300); // small pictures are enlarged
    view.CurrentBitmap().Setup(0, 0, ie24RGB);
    EXPECT_DOUBLE_EQ(view.GetFitZoom(), 100);
}

TEST_F(ViewTest, AutoFitRefitsAtEveryRefreshButNeverBelowOnePercent) {
    view.SetAutoFit(true);
    Show(800, 600, 300, 400);
    EXPECT_DOUBLE_EQ(view.Zoom(), 37.5);
    view.SetClientSize(600, 400);
    EXPECT_NEAR(view.Zoom(), 200.0 / 3, 1e-9);
    Show(100000, 10, 500, 500);
    EXPECT_DOUBLE_EQ(view.Zoom(), 1);
}

TEST_F(ViewTest, FitAfterLoadFitsOnceAndHidesTheScrollBars) {
    view.SetScrollBarSize(17);
    Show(1000, 500, 400, 400);
    EXPECT_TRUE(view.HorizontalScroll().Visible);
    view.FitAfterLoad();
    EXPECT_DOUBLE_EQ(view.Zoom(), 40);
    EXPECT_FALSE(view.HorizontalScroll().Visible);
    EXPECT_FALSE(view.VerticalScroll().Visible);
    EXPECT_FALSE(view.AutoFit());
    view.SetClientSize(800, 800);
    EXPECT_DOUBLE_EQ(view.Zoom(), 40); // not refitted: AutoFit is off
}

TEST_F(ViewTest, WheelDoesNothingInAutoFit) {
    ConfigureLikeTheMainWindow();
    view.SetAutoFit(true);
    Show(1000, 4000, 500, 500);
    view.SetAutoFit(false);
    view.SetZoom(100);
    view.SetAutoFit(true); // zoom 100 kept until the next refresh
    const int before = view.ViewY();
    TIEWheelEvent e;
    e.Delta = -120;
    EXPECT_FALSE(view.MouseWheel(e));
    EXPECT_EQ(view.ViewY(), before);
}

TEST_F(ViewTest, WheelScrollsFifteenPercentOfTheVisibleHeightPerNotch) {
    ConfigureLikeTheMainWindow();
    Show(1000, 1000, 400, 300);
    EXPECT_EQ(view.VisibleHeight(), 300);
    Wheel(-120); // towards the user: down
    EXPECT_EQ(view.ViewY(), 45);
    Wheel(-120);
    EXPECT_EQ(view.ViewY(), 90);
    Wheel(120);
    EXPECT_EQ(view.ViewY(), 45);
    EXPECT_EQ(view.ViewX(), 0);

    view.SetScrollBarSize(17); // the visible height shrinks to 283
    view.SetViewXY(0, 0);
    Wheel(-120);
    EXPECT_EQ(view.ViewY(), 42); // round(283 * 15 / 100)
}

TEST_F(ViewTest, WheelScrollsSidewaysWhenOnlyThatIsPossible) {
    ConfigureLikeTheMainWindow();
    Show(2000, 100, 400, 300);
    Wheel(-120);
    EXPECT_EQ(view.ViewX(), 60); // 15 % of 400
    EXPECT_EQ(view.ViewY(), 0);
}

TEST_F(ViewTest, WheelAbsoluteScrollAndZoomFollowTheirKinds) {
    Show(1000, 1000, 100, 100);
    view.MouseWheelParams.WheelAction = 1;
    view.MouseWheelParams.WheelAmountKind = 0;
    view.MouseWheelParams.WheelAmount = 8;
    view.SetZoom(250);
    view.SetViewXY(0, 0);
    Wheel(-120);
    EXPECT_EQ(view.ViewY(), 16); // 8 x trunc(250 / 100)

    // Default wheel: zoom by 8 % of the zoom; towards the user zooms in.
    view.MouseWheelParams = TIEMouseWheelParams{};
    std::vector<double> in, out;
    view.OnZoomIn = [&](DOrevaDeVeri& v, double z) { in.push_back(v.Zoom() * 1000 + z); };
    view.OnZoomOut = [&](DOrevaDeVeri&, double z) { out.push_back(z); };
    view.SetZoom(100);
    Wheel(-120);
    EXPECT_DOUBLE_EQ(view.Zoom(), 108);
    ASSERT_EQ(in.size(), 1u);
    EXPECT_DOUBLE_EQ(in[0], 100 * 1000 + 108); // fired before the step
    Wheel(120);
    EXPECT_DOUBLE_EQ(view.Zoom(), 99);
    ASSERT_EQ(out.size(), 1u);
}

TEST_F(ViewTest, ScrollBarSteps) {
    ConfigureLikeTheMainWindow();
    Show(1000, 1000, 200, 100);
    view.ScrollLines(false, 1);
    EXPECT_EQ(view.ViewY(), 15);
    view.ScrollLines(true, 2);
    EXPECT_EQ(view.ViewX(), 30);
    view.ScrollPages(false, 1); // built-in page: the visible height
    EXPECT_EQ(view.ViewY(), 115);
    view.VerticalScrollBarParams.PageStep = 7;
    view.ScrollPages(false, -1);
    EXPECT_EQ(view.ViewY(), 108);
    view.VerticalScrollBarParams.LineStep = -1;
    view.ScrollLines(false, -1);
    EXPECT_EQ(view.ViewY(), 107);
    view.ScrollPages(false, 1000);
    EXPECT_EQ(view.ViewY(), 900); // clamped to the last position
    EXPECT_EQ(view.VerticalScroll().Max, 900);
}

TEST_F(ViewTest, ScrollBarsAppearOnlyWhereThePictureDoesNotFit) {
    view.SetScrollBarSize(17);
    Show(500, 290, 400, 300); // wider; the horizontal bar then makes it too high
    EXPECT_TRUE(view.HorizontalScroll().Visible);
    EXPECT_TRUE(view.VerticalScroll().Visible);
    EXPECT_EQ(view.VisibleWidth(), 383);
    EXPECT_EQ(view.VisibleHeight(), 283);
    Show(500, 200, 400, 300);
    EXPECT_TRUE(view.HorizontalScroll().Visible);
    EXPECT_FALSE(view.VerticalScroll().Visible);
    EXPECT_EQ(view.BackBuffer().Width(), 400);
    EXPECT_EQ(view.BackBuffer().Height(), 283);
}

TEST_F(ViewTest, ConversionsAt200PercentWithScrolling) {
    Show(800, 800, 100, 100);
    view.SetZoom(200);
    view.SetViewXY(30, 50);
    EXPECT_EQ(view.XBmp2Scr(10), -10);
    EXPECT_EQ(view.YBmp2Scr(40), 30);
    EXPECT_EQ(view.XScr2Bmp(-10), 10);
    EXPECT_EQ(view.XScr2Bmp(-9), 10);
    EXPECT_EQ(view.XScr2Bmp(21), 25);
    EXPECT_EQ(view.YScr2Bmp(31), 40);
    for (int x = -5; x < 60; ++x)
        EXPECT_EQ(view.XScr2Bmp(view.XBmp2Scr(x)), x);
}

TEST_F(ViewTest, ConversionsAt37Point5PercentWithCentring) {
    view.SetAutoFit(true);
    Show(800, 600, 400, 225); // fit 37.5 %: 300 x 225, centred 50 pixels in
    ASSERT_DOUBLE_EQ(view.Zoom(), 37.5);
    EXPECT_EQ(view.OffsetX(), 50);
    EXPECT_EQ(view.XBmp2Scr(0), 50);
    EXPECT_EQ(view.XBmp2Scr(8), 53);
    EXPECT_EQ(view.XScr2Bmp(53), 8);
    EXPECT_EQ(view.XScr2Bmp(54), 10); // floor(4 / 0.375)
    EXPECT_EQ(view.YBmp2Scr(599), 224);
    EXPECT_EQ(view.YScr2Bmp(224), 597);
    for (int s = 50; s < 349; ++s) { // each screen column advances 2 or 3 bitmap columns
        const int step = view.XScr2Bmp(s + 1) - view.XScr2Bmp(s);
        EXPECT_TRUE(step == 2 || step == 3) << s;
    }
}

TEST_F(ViewTest, ZeroOrNegativeZoomIsIgnored) {
    Show(100, 100, 100, 100);
    view.SetZoom(150);
    view.SetZoom(0);
    view.SetZoom(-20);
    EXPECT_DOUBLE_EQ(view.Zoom(), 150);
}

TEST_F(ViewTest, ClickZoomStepsAndFiresBeforeApplying) {
    Show(100, 100, 400, 400);
    view.SetMouseInteract({miZoom, miScroll});
    std::vector<std::pair<double, double>> events; // zoom held, new zoom
    view.OnZoomIn = [&](DOrevaDeVeri& v, double z) { events.emplace_back(v.Zoom(), z); };
    view.OnZoomOut = [&](DOrevaDeVeri& v, double z) { events.emplace_back(v.Zoom(), -z); };
    int clicks = 0;
    view.OnClick = [&](DOrevaDeVeri&) { ++clicks; };
    TIEMouseEvent e;
    e.X = 200;
    e.Y = 200;
    view.MouseDown(e);
    view.MouseUp(e);
    EXPECT_DOUBLE_EQ(view.Zoom(), 125);
    e.Button = mbRight;
    view.MouseDown(e);
    view.MouseUp(e);
    EXPECT_DOUBLE_EQ(view.Zoom(), 100);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], std::make_pair(100.0, 125.0));
    EXPECT_EQ(events[1], std::make_pair(125.0, -100.0));
    EXPECT_EQ(clicks, 1); // left button only

    view.SetMouseInteract({miScroll}); // no zoom by click
    e.Button = mbLeft;
    view.MouseDown(e);
    view.MouseUp(e);
    EXPECT_DOUBLE_EQ(view.Zoom(), 100);
}

TEST_F(ViewTest, ZoomAtKeepsThePointUnderThePointer) {
    Show(1000, 1000, 200, 200);
    const int bx = view.XScr2Bmp(50), by = view.YScr2Bmp(120);
    view.ZoomAt(300, 50, 120);
    EXPECT_EQ(view.XScr2Bmp(50), bx);
    EXPECT_EQ(view.YScr2Bmp(120), by);
}

TEST_F(ViewTest, DraggingScrollsInScrollMode) {
    Show(1000, 1000, 200, 200);
    view.SetMouseInteract({miZoom, miScroll});
    TIEMouseEvent e;
    e.X = 100;
    e.Y = 100;
    view.MouseDown(e);
    e.X = 60;
    e.Y = 80;
    view.MouseMove(e);
    view.MouseUp(e);
    EXPECT_EQ(view.ViewX(), 40);
    EXPECT_EQ(view.ViewY(), 20);
    EXPECT_DOUBLE_EQ(view.Zoom(), 100); // a drag is no click
}

TEST_F(ViewTest, BackBufferShowsThePictureOverTheChessboard) {
    ConfigureLikeTheMainWindow();
    view.CurrentBitmap().Setup(2, 2, ie24RGB);
    TIEBitmap& b = view.CurrentBitmap();
    b.SetRGB(0, 0, MakeRGB(255, 0, 0));
    b.SetRGB(1, 0, MakeRGB(0, 255, 0));
    b.SetRGB(0, 1, MakeRGB(0, 0, 255));
    b.SetRGB(1, 1, MakeRGB(10, 20, 30));
    b.SetAlpha(1, 1, 0); // transparent: the chessboard shows through
    view.SetClientSize(30, 30);
    view.SetZoom(500); // 10 x 10, centred at (10, 10)
    TIEBitmap& buffer = view.BackBuffer();
    ASSERT_EQ(buffer.Width(), 30);
    EXPECT_EQ(buffer.GetRGB(10, 10), MakeRGB(255, 0, 0));
    EXPECT_EQ(buffer.GetRGB(19, 14), MakeRGB(0, 255, 0));
    EXPECT_EQ(buffer.GetRGB(14, 15), MakeRGB(0, 0, 255));
    const TRGB light = TColor2TRGB(kChessboardLight), dark = TColor2TRGB(kChessboardDark);
    EXPECT_EQ(buffer.GetRGB(0, 0), light);
    EXPECT_EQ(buffer.GetRGB(6, 0), dark);
    EXPECT_EQ(buffer.GetRGB(6, 6), light);
    // Under the transparent pixel (screen 15..19) the chessboard shows.
    EXPECT_EQ(buffer.GetRGB(18, 15), dark);
    EXPECT_EQ(buffer.GetRGB(16, 16), light);
}

// A descendant drawing over the picture, as the vector layer does.
class MarkingView : public DOrevaDeVeri {
public:
    int markX = 0;
    int draws = 0;

protected:
    void DrawOverImage(TIEBitmap& buffer) override {
        ++draws;
        buffer.SetRGB(markX, 0, MakeRGB(1, 2, 3));
    }
};

TEST(ViewPainting, TheOverlayHookDrawsAfterThePictureAndRedrawsOverAClean) {
    MarkingView view;
    view.Background = 0x00FFFFFF;
    view.CurrentBitmap().Setup(4, 4, ie24RGB);
    view.CurrentBitmap().FillAll(0x00808080);
    view.SetClientSize(4, 4);
    EXPECT_EQ(view.BackBuffer().GetRGB(0, 0), MakeRGB(1, 2, 3));
    view.markX = 2;
    const int before = view.draws;
    view.RedrawOverImage();
    EXPECT_EQ(view.draws, before + 1);
    EXPECT_EQ(view.BackBuffer().GetRGB(0, 0), Gray(0x80)); // the old mark is gone
    EXPECT_EQ(view.BackBuffer().GetRGB(2, 0), MakeRGB(1, 2, 3));
    ASSERT_NE(view.BackBuffer().AsVclBitmap(), nullptr); // drawable with the canvas
}

class RecordingHost : public TIEViewHost {
public:
    void ViewChanged() override { ++changes; }
    void ShowViewCursor(int index) override { cursors.push_back(index); }
    std::unique_ptr<TIETimer> CreateTimer() override {
        ++timers;
        return std::make_unique<TIEManualTimer>();
    }
    void WakeViewThread() override { ++wakes; }
    int changes = 0;
    int timers = 0;
    int wakes = 0;
    std::vector<int> cursors;
};

TEST(ViewHost, CursorsRepaintsAndTimersGoThroughTheHost) {
    DOrevaDeVeri view;
    EXPECT_EQ(view.Cursor(), crIECross3);
    auto manual = view.CreateTimer(); // no host: a manual timer
    int ticks = 0;
    manual->OnTimer = [&] { ++ticks; };
    auto* m = dynamic_cast<TIEManualTimer*>(manual.get());
    ASSERT_NE(m, nullptr);
    m->Tick();
    EXPECT_EQ(ticks, 0); // not started
    m->Start(50);
    m->Tick();
    EXPECT_EQ(ticks, 1);

    RecordingHost host;
    view.SetHost(&host);
    view.SetViewCursor(crIEZoomIn);
    EXPECT_EQ(host.cursors.back(), crIEZoomIn);
    EXPECT_EQ(view.Cursor(), crIEZoomIn);
    const int before = host.changes;
    view.SetClientSize(50, 50);
    EXPECT_GT(host.changes, before);
    view.CreateTimer();
    EXPECT_EQ(host.timers, 1);
    view.SetHost(nullptr);
}

TEST(ViewAttachedIO, CreatedOnceAndBoundToTheCurrentBitmap) {
    DOrevaDeVeri view;
    TIEImageIO* io = view.AttachedIO();
    ASSERT_NE(io, nullptr);
    EXPECT_EQ(view.AttachedIO(), io);
    EXPECT_EQ(io->IEBitmap(), &view.CurrentBitmap());
    view.Background = 0x00123456;
    EXPECT_EQ(io->Background(), 0x00123456u);
}

TEST(ViewAttachedIO, LoadingFillsThePictureAndReports) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("vellinor-view-" + std::to_string(getpid()) + ".bmp"))
                                 .string();
    {
        TIEImageIO writer;
        writer.IEBitmap()->Setup(7, 5, ie24RGB);
        writer.IEBitmap()->SetRGB(3, 2, MakeRGB(200, 100, 50));
        writer.SaveFile(path);
        ASSERT_FALSE(writer.AbortFlag);
    }
    DOrevaDeVeri view;
    view.SetClientSize(70, 50);
    int changes = 0, finished = 0;
    std::vector<int> progress;
    view.OnImageChange = [&](DOrevaDeVeri&) { ++changes; };
    view.OnFinishWork = [&](DOrevaDeVeri&) { ++finished; };
    view.OnProgress = [&](DOrevaDeVeri&, int per) { progress.push_back(per); };
    view.AttachedIO()->LoadFile(path);
    std::filesystem::remove(path);
    EXPECT_FALSE(view.AttachedIO()->AbortFlag);
    EXPECT_EQ(view.CurrentBitmap().Width(), 7);
    EXPECT_EQ(view.CurrentBitmap().ReadAsRGB(3, 2), MakeRGB(200, 100, 50));
    EXPECT_FALSE(view.IsEmptyImage());
    EXPECT_GE(changes, 1);
    EXPECT_EQ(finished, 1);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    view.FitAfterLoad();
    EXPECT_DOUBLE_EQ(view.Zoom(), 1000);
    EXPECT_EQ(view.BackBuffer().GetRGB(35, 25), MakeRGB(200, 100, 50));
}

TEST(ViewPostedWork, RunsOnTheViewThreadWhenDispatched) {
    DOrevaDeVeri view;
    RecordingHost host;
    view.SetHost(&host);
    int runs = 0;
    std::thread worker([&] { view.PostToViewThread([&] { ++runs; }); });
    worker.join();
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(host.wakes, 1);
    view.DispatchPostedWork();
    EXPECT_EQ(runs, 1);
    view.DispatchPostedWork();
    EXPECT_EQ(runs, 1);
    view.SetHost(nullptr);
}

TEST(ViewProgress, ForwardsPercentages) {
    DOrevaDeVeri view;
    std::vector<int> seen;
    view.OnProgress = [&](DOrevaDeVeri&, int per) { seen.push_back(per); };
    view.NotifyProgress(0);
    view.NotifyProgress(100);
    EXPECT_EQ(seen, (std::vector<int>{0, 100}));
}

TEST(ViewCursors, RolesOfTheCursorTable) {
    EXPECT_EQ(CursorRole(crIEZoomIn), TCursorRole::ZoomIn);
    EXPECT_EQ(CursorRole(crIEZoomOut), TCursorRole::ZoomOut);
    EXPECT_EQ(CursorRole(crIEHand), TCursorRole::Hand);
    EXPECT_EQ(CursorRole(crDefault), TCursorRole::Arrow);
    EXPECT_EQ(CursorRole(crIEMove2), TCursorRole::SizeDiagonalDown);
    EXPECT_EQ(CursorRole(crIEMove1), TCursorRole::SizeDiagonalUp);
    EXPECT_EQ(CursorRole(crIEMoveX), TCursorRole::SizeHorizontal);
    EXPECT_EQ(CursorRole(crIEMoveY), TCursorRole::SizeVertical);
    EXPECT_EQ(CursorRole(crIEMove), TCursorRole::SizeAll);
}

} // namespace
} // namespace vellinor
