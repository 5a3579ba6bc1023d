// The processing object: binding to a view, background, undo entries and the
// events it fires.

#include "proc/VEduzoDeRivi.h"

#include "image/TIEBitmap.h"
#include "platform/PlatformBitmap.h"
#include "proc/ProcTestSupport.h"
#include "view/DOrevaDeVeri.h"
#include "view/TIELayer.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vellinor {
namespace {

using test::FillWithPositions;
using test::Position;

TEST(ProcBinding, UnboundObjectWorksOnItsOwnBitmapWithItsOwnBackground) {
    VEduzoDeRivi proc;
    EXPECT_FALSE(proc.AutoUndo);
    EXPECT_EQ(proc.UndoLimit, 1);
    EXPECT_EQ(proc.Background(), clBlack);
    ASSERT_NE(proc.IEBitmap(), nullptr);
    FillWithPositions(*proc.IEBitmap(), 4, 4);
    proc.SetBackground(0x00123456);
    proc.ImageResize(6, 4, 0, 0, 255);
    EXPECT_EQ(proc.IEBitmap()->Width(), 6);
    EXPECT_EQ(proc.IEBitmap()->GetRGB(5, 0), MakeRGB(0x56, 0x34, 0x12));
    EXPECT_EQ(proc.UndoList().Count(), 0); // AutoUndo is off without an owner
}

TEST(ProcBinding, ViewMakesOneObjectWithUndoAndSharesItsBackground) {
    DOrevaDeVeri view;
    VEduzoDeRivi* proc = view.AttachedProc();
    ASSERT_NE(proc, nullptr);
    EXPECT_EQ(view.AttachedProc(), proc);
    EXPECT_TRUE(proc->AutoUndo);
    EXPECT_EQ(proc->IEBitmap(), &view.CurrentBitmap());
    EXPECT_EQ(proc->Background(), clBtnFace);
    proc->SetBackground(0x00FF0000);
    EXPECT_EQ(view.Background, 0x00FF0000u);
    view.Background = 0x0000FF00;
    EXPECT_EQ(proc->Background(), 0x0000FF00u);
}

TEST(ProcBinding, ObjectTakesTheViewsHandlersAsTheyWereWhenItWasMade) {
    DOrevaDeVeri view;
    std::vector<int> progress;
    int finished = 0;
    view.OnProgress = [&](DOrevaDeVeri& sender, int per) {
        EXPECT_EQ(&sender, &view);
        progress.push_back(per);
    };
    view.OnFinishWork = [&](DOrevaDeVeri&) { ++finished; };
    std::vector<TIEUndoSource> saved;
    view.OnSaveUndo = [&](DOrevaDeVeri&, TIEUndoSource kind) { saved.push_back(kind); };
    VEduzoDeRivi* proc = view.AttachedProc();
    int imageChanges = 0;
    view.OnImageChange = [&](DOrevaDeVeri&) { ++imageChanges; };
    view.OnFinishWork = nullptr; // later changes of the view's handlers do not reach it

    FillWithPositions(view.CurrentBitmap(), 8, 8);
    proc->ImageResize(10, 10, 0, 0, 255);
    EXPECT_EQ(progress, std::vector<int>{100});
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(saved, std::vector<TIEUndoSource>{ieuImage});
    EXPECT_EQ(imageChanges, 1);
}

TEST(ProcBinding, ObjectFollowsTheCurrentLayerAndOutlivesItsView) {
    VEduzoDeRivi proc;
    {
        DOrevaDeVeri view;
        view.CurrentBitmap().Setup(5, 5, ie24RGB);
        proc.SetAttachedView(&view.ProcLink());
        EXPECT_EQ(proc.IEBitmap(), &view.CurrentBitmap());
        view.AppendLayer();
        EXPECT_EQ(proc.IEBitmap(), &view.CurrentBitmap());
        EXPECT_EQ(view.AttachedProc()->IEBitmap(), &view.CurrentBitmap());
        view.SelectLayer(0);
        EXPECT_EQ(proc.IEBitmap(), view.LayerAt(0).LayerBitmap);
    }
    // The view is gone: the object is unbound and works on a bitmap of its own.
    EXPECT_EQ(proc.AttachedView(), nullptr);
    ASSERT_NE(proc.IEBitmap(), nullptr);
    proc.IEBitmap()->Setup(3, 3, ie24RGB);
    proc.ImageResize(4, 4);
    EXPECT_EQ(proc.IEBitmap()->Width(), 4);
}

TEST(ProcBinding, PlatformBitmapIsChangedThroughItsWrapper) {
    TPlatformBitmap platform(4, 3, 24);
    VEduzoDeRivi proc;
    proc.SetAttachedBitmap(&platform);
    proc.SetBackground(clWhite);
    proc.ImageResize(6, 5, 1, 1, 0);
    EXPECT_EQ(platform.Width(), 6);
    EXPECT_EQ(platform.Height(), 5);
    EXPECT_EQ(platform.GetPixelRGB(0, 0), MakeRGB(255, 255, 255));
    EXPECT_EQ(platform.GetPixelRGB(1, 1), MakeRGB(0, 0, 0));
    EXPECT_TRUE(platform.Modified);
    EXPECT_FALSE(proc.IEBitmap()->HasAlphaPlane()); // a platform bitmap keeps no alpha
}

// --- Undo ---------------------------------------------------------------------------

TEST(ProcUndo, EntryHoldsTheWholePictureInATemporaryFile) {
    DOrevaDeVeri view;
    TIEBitmap& picture = view.CurrentBitmap();
    FillWithPositions(picture, 12, 9);
    picture.SetAlpha(3, 4, 77);
    view.AttachedProc()->ImageResize(1184, 928, 1, 1, 255);

    const TIEUndoList& undo = view.AttachedProc()->UndoList();
    ASSERT_EQ(undo.Count(), 1);
    const TIEUndoEntry& entry = undo.At(0);
    EXPECT_EQ(entry.Caption, "ImageResize 1184,928");
    EXPECT_EQ(entry.Kind, ieuImage);
    EXPECT_EQ(entry.LayerIndex, 0);
    ASSERT_NE(entry.Image, nullptr);
    TIEBitmap& copy = *entry.Image;
    EXPECT_EQ(copy.Width(), 12);
    EXPECT_EQ(copy.Height(), 9);
    EXPECT_TRUE(copy.UsesFile()); // threshold 0: even a tiny copy goes to a file
    EXPECT_EQ(copy.GetRGB(11, 8), Position(11, 8));
    EXPECT_EQ(copy.GetAlpha(3, 4), 77);
}

TEST(ProcUndo, ListKeepsUndoLimitEntriesNewestLast) {
    VEduzoDeRivi proc;
    proc.AutoUndo = true;
    FillWithPositions(*proc.IEBitmap(), 4, 4);
    proc.ImageResize(5, 5);
    proc.ImageResize(6, 6);
    ASSERT_EQ(proc.UndoList().Count(), 1);
    EXPECT_EQ(proc.UndoList().At(0).Caption, "ImageResize 6,6");
    EXPECT_EQ(proc.UndoList().At(0).Image->Width(), 5);
    EXPECT_EQ(proc.UndoList().At(0).LayerIndex, -1); // no view

    proc.UndoLimit = 2;
    proc.ImageResize(7, 7);
    proc.ImageResize(8, 8);
    ASSERT_EQ(proc.UndoList().Count(), 2);
    EXPECT_EQ(proc.UndoList().At(0).Caption, "ImageResize 7,7");
    EXPECT_EQ(proc.UndoList().At(1).Caption, "ImageResize 8,8");

    proc.ClearUndo();
    proc.UndoLimit = 0;
    proc.ImageResize(9, 9);
    EXPECT_EQ(proc.UndoList().Count(), 0);
}

TEST(ProcUndo, NothingIsSavedForAPictureUnderTwoPixelsInEitherDirection) {
    VEduzoDeRivi proc;
    proc.AutoUndo = true;
    for (auto [w, h] : {std::pair{1, 5}, std::pair{5, 1}}) {
        proc.IEBitmap()->Setup(w, h, ie24RGB);
        proc.SaveUndoCaptioned("x");
        EXPECT_EQ(proc.UndoList().Count(), 0) << w << " x " << h;
    }
    proc.IEBitmap()->Setup(2, 2, ie24RGB);
    proc.SaveUndoCaptioned("x");
    EXPECT_EQ(proc.UndoList().Count(), 1);
}

} // namespace
} // namespace vellinor
