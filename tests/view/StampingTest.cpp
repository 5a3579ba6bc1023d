// The stamping routines: the frame step and direct-drawing mode.

#include "view/Stamping.h"

#include "image/TIEBitmap.h"
#include "platform/Canvas.h"
#include "platform/PlatformBitmap.h"
#include "proc/VEduzoDeRivi.h"
#include "view/DOrevaDeVeri.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace vellinor {
namespace {

TRGB Rgb(TColor c) {
    return TColor2TRGB(c);
}

// Pixel (x, y) of the picture: a pattern with neither black nor white.
TRGB PicturePixel(int x, int y) {
    return MakeRGB(static_cast<uint8_t>(40 + x % 150), static_cast<uint8_t>(60 + y % 120), 90);
}

void LoadPicture(DOrevaDeVeri& view, int width, int height) {
    TIEBitmap& b = view.CurrentBitmap();
    b.Setup(width, height, ie24RGB);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<TRGB*>(b.Row(y));
        for (int x = 0; x < width; ++x)
            row[x] = PicturePixel(x, y);
    }
}

// What the window would see: every call in order.
class RecordingFeedback : public TStampFeedback {
public:
    void SetBusy(bool busy) override { Calls.push_back(busy ? "busy" : "idle"); }
    void SetStatus(int panel, const std::string& text) override {
        Calls.push_back(std::to_string(panel) + ":" + text);
    }
    void ShowProgress(bool visible) override { Calls.push_back(visible ? "show" : "hide"); }
    void SetCopyrightText(const std::string& text) override { Calls.push_back("box:" + text); }
    std::vector<std::string> Calls;
};

// A view holding a picture loaded from an existing file.
class StampTest : public ::testing::Test {
protected:
    StampTest() {
        file = std::filesystem::temp_directory_path() /
               ("vellinor-stamp-" + std::to_string(::getpid()) + ".jpg");
        std::ofstream(file) << "x";
        settings.FilePath = file.string();
        settings.CopyrightText = "(c) Test";
    }
    ~StampTest() override { std::filesystem::remove(file); }

    // The text exactly as direct mode draws it, on white, for comparison.
    std::unique_ptr<TPlatformBitmap> ReferenceText(int width, int height, int x, int y, int points,
                                                   const std::string& text) {
        auto reference = std::make_unique<TPlatformBitmap>(width, height, 24);
        TCanvas& canvas = reference->Canvas();
        canvas.Brush().Color = clWhite;
        canvas.FillRect(Rect(0, 0, width, height));
        canvas.Font().Name = "Times New Roman";
        canvas.Font().SetSize(points);
        canvas.Font().Color = settings.TextColor;
        canvas.Font().Style = fsBold + fsItalic;
        canvas.TextOut(x, y, text);
        return reference;
    }

    // Every pixel is the reference's ink where it has any, else (inside the
    // picture, which starts at margin) the picture's; returns the number of
    // ink pixels.
    int ExpectPictureWithText(const TPlatformBitmap& reference, int margin) {
        TIEBitmap& b = view.CurrentBitmap();
        int ink = 0, wrong = 0;
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x) {
                const TRGB r = reference.GetPixelRGB(x, y);
                const bool inked = !(r == MakeRGB(255, 255, 255));
                ink += inked ? 1 : 0;
                // With a frame, its innermost ring covers the picture's edge.
                const int ring = margin > 0 ? 1 : 0;
                const bool inPicture = x >= margin + ring && y >= margin + ring &&
                                       x < b.Width() - margin - ring &&
                                       y < b.Height() - margin - ring;
                if (!inked && !inPicture) continue; // the frame's margin
                const TRGB expected = inked ? r : PicturePixel(x - margin, y - margin);
                wrong += b.GetRGB(x, y) == expected ? 0 : 1;
            }
        EXPECT_EQ(wrong, 0);
        return ink;
    }

    std::filesystem::path file;
    TStampSettings settings;
    RecordingFeedback feedback;
    DOrevaDeVeri view;
};

TEST_F(StampTest, FrameSurroundsThePictureWithWhiteAndBlackRings) {
    LoadPicture(view, 100, 50);
    DrawFrame(view, 100, 50);
    TIEBitmap& b = view.CurrentBitmap();
    ASSERT_EQ(b.Width(), 260);
    ASSERT_EQ(b.Height(), 210);
    const TRGB white = MakeRGB(255, 255, 255), black = MakeRGB(0, 0, 0);
    EXPECT_EQ(b.GetRGB(80, 80), white); // the picture's former corner
    EXPECT_EQ(b.GetRGB(77, 100), black);
    EXPECT_EQ(b.GetRGB(70, 100), black);
    EXPECT_EQ(b.GetRGB(69, 100), white);
    EXPECT_EQ(b.GetRGB(68, 100), Rgb(clBtnFace));
    EXPECT_EQ(b.GetRGB(0, 0), Rgb(clBtnFace));
    EXPECT_EQ(b.GetRGB(81, 81), PicturePixel(1, 1));
    EXPECT_EQ(b.GetRGB(179, 100), white);
    for (int x = 182; x <= 189; ++x)
        EXPECT_EQ(b.GetRGB(x, 100), black) << x;
    EXPECT_EQ(b.GetRGB(190, 100), white);
    EXPECT_EQ(b.GetRGB(191, 100), Rgb(clBtnFace));
    // Bottom edge: rows H + 159 - k.
    EXPECT_EQ(b.GetRGB(130, 129), white);
    EXPECT_EQ(b.GetRGB(130, 132), black);
    EXPECT_EQ(b.GetRGB(130, 140), white);
    // The pen is left as the rings set it.
    EXPECT_EQ(b.DrawingCanvas()->Pen().Width, 10);
    EXPECT_EQ(view.AttachedProc()->UndoList().At(0).Caption, "ImageResize 260,210");
}

TEST_F(StampTest, FrameOnAPalettePictureIsDrawnInTrueColour) {
    LoadPicture(view, 30, 20);
    view.CurrentBitmap().ConvertTo(ie8p);
    DrawFrame(view, 30, 20);
    TIEBitmap& b = view.CurrentBitmap();
    ASSERT_EQ(b.PixelFormat(), ie24RGB);
    EXPECT_EQ(b.GetRGB(0, 0), Rgb(clBtnFace));
    EXPECT_EQ(b.GetRGB(72, 90), MakeRGB(0, 0, 0));
    EXPECT_EQ(b.GetRGB(69, 90), MakeRGB(255, 255, 255));
}

TEST_F(StampTest, DirectModeWithFrameWritesTheLineInTheBottomMargin) {
    LoadPicture(view, 1000, 800);
    settings.AddFrame = true;
    ASSERT_TRUE(StampDirect(view, settings, feedback));
    ASSERT_EQ(view.CurrentBitmap().Width(), 1160);
    ASSERT_EQ(view.CurrentBitmap().Height(), 960);
    EXPECT_EQ(view.LayerCount(), 1);
    EXPECT_FALSE(view.CurrentBitmap().HasAlphaPlane());
    auto reference = ReferenceText(1160, 960, 70, 900, 24, settings.CopyrightText);
    EXPECT_GT(ExpectPictureWithText(*reference, 80), 200);
    const std::vector<std::string> expected = {
        "busy",          "2:1000 x 800", "1:正在绘制...",     "1:调整图像的大小...",
        "1:添加图层...", "show",         "1:添加版权信息...", "1:合并图层 2...",
        "hide",          "1:",           "2:1160 x 960",      "1:",
        "idle"};
    EXPECT_EQ(feedback.Calls, expected);
}

TEST_F(StampTest, DirectModeLeavesThePictureAloneOutsideTheCharacters) {
    LoadPicture(view, 400, 300);
    settings.CopyrightInMargin = false;
    settings.TextColor = 0x00FF8000;
    ASSERT_TRUE(StampDirect(view, settings, feedback));
    auto reference = ReferenceText(400, 300, 100, 80, 24, settings.CopyrightText);
    EXPECT_GT(ExpectPictureWithText(*reference, 0), 200);
    // Fully covered pixels carry the text colour.
    int solid = 0;
    for (int y = 80; y < 120; ++y)
        for (int x = 100; x < 250; ++x)
            solid += view.CurrentBitmap().GetRGB(x, y) == Rgb(settings.TextColor) ? 1 : 0;
    EXPECT_GT(solid, 50);
}

TEST_F(StampTest, DirectModeTextSizeFollowsTheWidth) {
    for (auto [width, points] : {std::pair{2000, 24}, std::pair{2001, 48}}) {
        DOrevaDeVeri wide;
        LoadPicture(wide, width, 120);
        ASSERT_TRUE(StampDirect(wide, settings, feedback));
        auto reference = ReferenceText(width, 120, 70, 60, points, settings.CopyrightText);
        int wrong = 0;
        for (int y = 40; y < 120; ++y)
            for (int x = 60; x < 400; ++x) {
                const TRGB r = reference->GetPixelRGB(x, y);
                const TRGB expected = r == MakeRGB(255, 255, 255) ? PicturePixel(x, y) : r;
                wrong += wide.CurrentBitmap().GetRGB(x, y) == expected ? 0 : 1;
            }
        EXPECT_EQ(wrong, 0) << width;
    }
}

TEST_F(StampTest, EmptyBoxGetsTheFallbackLine) {
    LoadPicture(view, 500, 200);
    settings.CopyrightText.clear();
    ASSERT_TRUE(StampDirect(view, settings, feedback));
    EXPECT_NE(std::find(feedback.Calls.begin(), feedback.Calls.end(),
                        std::string("box:") + stamptexts::kDirectFallbackLine),
              feedback.Calls.end());
    auto reference = ReferenceText(500, 200, 70, 140, 24, stamptexts::kDirectFallbackLine);
    EXPECT_GT(ExpectPictureWithText(*reference, 0), 200);
}

TEST_F(StampTest, NothingHappensWithoutAFileOrWithAnEmptyView) {
    EXPECT_FALSE(StampDirect(view, settings, feedback)); // 1 x 1: empty
    LoadPicture(view, 50, 40);
    settings.FilePath = file.string() + ".missing";
    EXPECT_FALSE(StampDirect(view, settings, feedback));
    settings.FilePath = std::filesystem::temp_directory_path().string(); // a folder
    EXPECT_FALSE(StampDirect(view, settings, feedback));
    EXPECT_TRUE(feedback.Calls.empty());
    EXPECT_EQ(view.CurrentBitmap().GetRGB(10, 10), PicturePixel(10, 10));
    EXPECT_EQ(view.LayerCount(), 1);
}

} // namespace
} // namespace vellinor
