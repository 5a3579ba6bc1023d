// ImageResize and Clear: placement of the old pixels, fill of the new area,
// the alpha plane and when nothing happens.

#include "image/TIEBitmap.h"
#include "proc/ProcTestSupport.h"
#include "proc/VEduzoDeRivi.h"
#include "view/DOrevaDeVeri.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vellinor {
namespace {

using test::FillWithPositions;
using test::Position;

const TRGB kFill = MakeRGB(200, 100, 50);

// An unbound object with a background of kFill.
class ResizeTest : public ::testing::Test {
protected:
    ResizeTest() { proc.SetBackground(TRGB2TColor(kFill)); }
    TIEBitmap& Picture() { return *proc.IEBitmap(); }
    VEduzoDeRivi proc;
};

TEST(ImageResizeFrame, CentresThePictureWithAnEightyPixelMarginOfTheViewsBackground) {
    DOrevaDeVeri view;
    FillWithPositions(view.CurrentBitmap(), 100, 50);
    view.AttachedProc()->ImageResize(100 + 160, 50 + 160, 1, 1, 255);
    TIEBitmap& b = view.CurrentBitmap();
    ASSERT_EQ(b.Width(), 260);
    ASSERT_EQ(b.Height(), 210);
    const TRGB background = TColor2TRGB(clBtnFace);
    int wrong = 0;
    for (int y = 0; y < 210; ++y)
        for (int x = 0; x < 260; ++x) {
            const bool inside = x >= 80 && x < 180 && y >= 80 && y < 130;
            const TRGB expected = inside ? Position(x - 80, y - 80) : background;
            wrong += b.GetRGB(x, y) == expected ? 0 : 1;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_FALSE(b.HasAlphaPlane());
    EXPECT_EQ(view.AttachedProc()->UndoList().At(0).Caption, "ImageResize 260,210");
}

TEST_F(ResizeTest, OddDifferencesPutTheSmallerPartFirst) {
    struct Case {
        int from, to, align;
        int firstOldColumn; // old column shown at new column 0 (negative: new column -n)
        const char* what;
    } cases[] = {
        {10, 13, 1, -1, "enlarged centred: old 0 at 1"},
        {13, 10, 1, 1, "shrunk centred: keeps 1..10"},
        {13, 10, 2, 3, "shrunk right: keeps the right-most part"},
        {10, 13, 2, -3, "enlarged right: all new area on the left"},
        {13, 10, 0, 0, "shrunk left"},
        {10, 13, 7, 0, "unknown alignment acts as left"},
    };
    for (const Case& c : cases) {
        FillWithPositions(Picture(), c.from, 3);
        proc.ImageResize(c.to, 3, c.align, 0, 255);
        ASSERT_EQ(Picture().Width(), c.to) << c.what;
        for (int x = 0; x < c.to; ++x) {
            const int old = x + c.firstOldColumn;
            const TRGB expected = old >= 0 && old < c.from ? Position(old, 1) : kFill;
            EXPECT_EQ(Picture().GetRGB(x, 1), expected) << c.what << ", column " << x;
        }
    }
}

TEST_F(ResizeTest, VerticalAlignmentTwoAddsEverythingOnTop) {
    FillWithPositions(Picture(), 3, 4);
    proc.ImageResize(3, 7, 0, 2, 255);
    for (int y = 0; y < 7; ++y)
        EXPECT_EQ(Picture().GetRGB(0, y), y < 3 ? kFill : Position(0, y - 3)) << y;
}

TEST_F(ResizeTest, NarrowerButTallerCropsOneAxisAndExtendsTheOther) {
    FillWithPositions(Picture(), 10, 4);
    proc.ImageResize(6, 8, 1, 1, 255);
    ASSERT_EQ(Picture().Width(), 6);
    ASSERT_EQ(Picture().Height(), 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 6; ++x) {
            const TRGB expected = y >= 2 && y < 6 ? Position(x + 2, y - 2) : kFill;
            EXPECT_EQ(Picture().GetRGB(x, y), expected) << x << "," << y;
        }
}

TEST_F(ResizeTest, AlphaBelowOpaqueMakesTheMarginTransparentAndKeepsOldAlpha) {
    // Without an alpha plane: one is made, the old content opaque.
    FillWithPositions(Picture(), 4, 4);
    proc.ImageResize(6, 6, 1, 1, 0);
    ASSERT_TRUE(Picture().HasAlphaPlane());
    EXPECT_EQ(Picture().GetAlpha(0, 0), 0);
    EXPECT_EQ(Picture().GetAlpha(1, 1), 255);
    EXPECT_EQ(Picture().GetAlpha(4, 4), 255);
    EXPECT_EQ(Picture().GetAlpha(5, 5), 0);

    // With one: old values stay where their pixels go.
    Picture().SetAlpha(1, 1, 90);
    proc.ImageResize(8, 8, 2, 2, 0);
    EXPECT_EQ(Picture().GetAlpha(3, 3), 90);
    EXPECT_EQ(Picture().GetRGB(3, 3), Position(0, 0));
    EXPECT_EQ(Picture().GetAlpha(0, 7), 0);
}

TEST_F(ResizeTest, SameOrZeroSizeChangesNothingAndRecordsNothing) {
    proc.AutoUndo = true;
    int finished = 0;
    proc.OnFinishWork = [&](VEduzoDeRivi&) { ++finished; };
    FillWithPositions(Picture(), 5, 4);
    for (auto [w, h] : {std::pair{5, 4}, std::pair{0, 9}, std::pair{9, 0}}) {
        proc.ImageResize(w, h, 1, 1, 0);
        EXPECT_EQ(Picture().Width(), 5);
        EXPECT_EQ(Picture().Height(), 4);
        EXPECT_FALSE(Picture().HasAlphaPlane());
    }
    EXPECT_EQ(proc.UndoList().Count(), 0);
    EXPECT_EQ(finished, 0);
}

TEST_F(ResizeTest, OnePixelPictureIsClearedFirst) {
    Picture().Setup(1, 1, ie24RGB);
    Picture().SetRGB(0, 0, MakeRGB(1, 2, 3));
    proc.ImageResize(3, 3, 1, 1, 255);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(Picture().GetRGB(x, y), kFill) << x << "," << y;
}

TEST_F(ResizeTest, FinishReportsOneHundredThenFinishes) {
    std::vector<std::string> events;
    proc.OnProgress = [&](VEduzoDeRivi&, int per) { events.push_back(std::to_string(per)); };
    proc.OnFinishWork = [&](VEduzoDeRivi&) { events.push_back("finish"); };
    FillWithPositions(Picture(), 4, 4);
    proc.ImageResize(5, 4);
    EXPECT_EQ(events, (std::vector<std::string>{"100", "finish"}));
}

TEST_F(ResizeTest, ClearFillsWithTheBackgroundAndRecordsClear) {
    proc.AutoUndo = true;
    FillWithPositions(Picture(), 4, 3);
    proc.Clear();
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Picture().GetRGB(x, y), kFill);
    ASSERT_EQ(proc.UndoList().Count(), 1);
    EXPECT_EQ(proc.UndoList().At(0).Caption, "Clear");
    EXPECT_EQ(proc.UndoList().At(0).Image->GetRGB(3, 2), Position(3, 2));
}

} // namespace
} // namespace vellinor
