// The object store of the vector layer: handles, the template, setters,
// selection, notifications, pictures and the interaction-mode rules.

#include "vect/REzoreZuDidu.h"
#include "view/ViewHost.h"
#include "view/ViewTimer.h"

#include <gtest/gtest.h>

namespace vellinor {
namespace {

// Counts how often the view shows a new back buffer (every refresh).
class CountingHost : public TIEViewHost {
public:
    void ViewChanged() override { ++Refreshes; }
    void ShowViewCursor(int) override {}
    std::unique_ptr<TIETimer> CreateTimer() override { return std::make_unique<TIEManualTimer>(); }
    void WakeViewThread() override {}
    int Refreshes = 0;
};

class ObjectModelTest : public ::testing::Test {
protected:
    ObjectModelTest() {
        view.CurrentBitmap().Setup(200, 100, ie24RGB);
        view.SetHost(&host);
        view.OnVectorialChanged = [this](REzoreZuDidu&) { ++vectorialChanged; };
        view.OnSelectObject = [this](REzoreZuDidu&) { ++selectionChanged; };
    }
    ~ObjectModelTest() override { view.SetHost(nullptr); }
    REzoreZuDidu view;
    CountingHost host;
    int vectorialChanged = 0;
    int selectionChanged = 0;
};

TEST_F(ObjectModelTest, TemplateStartsWithTheTableDefaults) {
    TVectShape& t = view.Shape(-1);
    EXPECT_EQ(t.Left, 0);
    EXPECT_EQ(t.Right, 63);
    EXPECT_EQ(t.Bottom, 63);
    EXPECT_EQ(t.Kind, vkNone);
    EXPECT_EQ(t.Opacity, 255);
    EXPECT_EQ(t.ArrowWidth, 10);
    EXPECT_EQ(t.ArrowLength, 20);
    EXPECT_EQ(t.FillStyle, bsClear);
    EXPECT_EQ(t.Flags, vfSelectable | vfMovable | vfResizable | vfVisible);
    EXPECT_EQ(t.TextPathSpacing, -10);
    EXPECT_DOUBLE_EQ(t.ArcEnd, 6.283185307179586);
    ASSERT_TRUE(t.Font);
    EXPECT_EQ(t.Font->FaceName(), "Arial");
    EXPECT_EQ(t.Font->lfHeight, TFont().LogFont().lfHeight); // the canvas default otherwise
    EXPECT_EQ(t.PenColor, TFont().Color);
    ASSERT_TRUE(t.Shadow);
    EXPECT_EQ(t.Shadow->Enabled, 0);
    EXPECT_DOUBLE_EQ(t.Shadow->Radius, 3.0);
    EXPECT_EQ(t.Shadow->Intensity, 100);
    TIEBitmap* hand = view.ShapeBitmap(-1);
    ASSERT_NE(hand, nullptr);
    EXPECT_EQ(hand->Width(), 64);
    EXPECT_EQ(hand->Height(), 64);
    EXPECT_EQ(hand->PixelFormat(), ie24RGB);
}

TEST_F(ObjectModelTest, SelectedShapeOutOfRangeIsHandleZero) {
    EXPECT_EQ(view.SelectedShape(-1), 0);
    EXPECT_EQ(view.SelectedShape(0), 0); // nothing selected
    view.AddShape();
    const int h = view.AddShape();
    view.SelectShape(h);
    EXPECT_EQ(view.SelectedShape(0), 1);
    EXPECT_EQ(view.SelectedShape(1), 0);
    EXPECT_EQ(view.SelectedShape(-1), 0);
}

TEST_F(ObjectModelTest, OnlyTheHighestHandleIsGivenOutAgain) {
    struct Case {
        int removed;
        int next;
    } cases[] = {{0, 2}, {1, 1}};
    for (const Case& c : cases) {
        view.RemoveAllShapes();
        view.SetShapeKind(-1, vkBox);
        ASSERT_EQ(view.AddShape(), 0);
        ASSERT_EQ(view.AddShape(), 1);
        view.SetShapeLeft(1, 17); // marks handle 1
        view.RemoveShape(c.removed);
        EXPECT_EQ(view.ShapeCount(), 1) << "removed " << c.removed;
        if (c.removed == 0) {
            EXPECT_EQ(view.Shape(1).Left, 17); // the other handle is unchanged
        }
        EXPECT_EQ(view.AddShape(), c.next) << "removed " << c.removed;
    }
}

TEST_F(ObjectModelTest, RemovingARemovedHandleChangesNothingButNotifies) {
    view.SetShapeKind(-1, vkBox);
    view.AddShape();
    view.AddShape();
    view.AddShape();
    view.SetShapeLeft(2, 40);
    view.RemoveShape(1);
    const int before = vectorialChanged;
    const int refreshes = host.Refreshes;
    view.RemoveShape(1);
    EXPECT_EQ(view.ShapeCount(), 2);
    EXPECT_EQ(view.RecordCount(), 3);
    EXPECT_EQ(view.ShapeAt(0), 0);
    EXPECT_EQ(view.ShapeAt(1), 2);
    EXPECT_EQ(view.Shape(2).Left, 40);
    EXPECT_EQ(vectorialChanged, before + 1);
    EXPECT_GT(host.Refreshes, refreshes);
    view.RemoveShape(77); // never existed
    EXPECT_EQ(view.ShapeCount(), 2);
    EXPECT_EQ(vectorialChanged, before + 2);
}

TEST_F(ObjectModelTest, TextIsStoredWithoutCarriageReturns) {
    view.SetShapeText(-1, "a\r\nb");
    ASSERT_TRUE(view.Shape(-1).Text);
    EXPECT_EQ(*view.Shape(-1).Text, "a\nb");
    view.Shape(-1).RichCharFormat = {1, 2, 3};
    view.SetShapeText(-1, "\r\r");
    EXPECT_EQ(*view.Shape(-1).Text, "");
    EXPECT_TRUE(view.Shape(-1).RichCharFormat.empty());
}

TEST_F(ObjectModelTest, GeometrySetters) {
    view.SetShapeKind(-1, vkLine);
    TVectShape& t = view.Shape(-1);
    t.Left = 50;
    t.Top = 40;
    t.Right = 10; // a line keeps its direction
    t.Bottom = 5;
    const int h = view.AddShape();
    TVectShape& line = view.Shape(h);
    EXPECT_EQ(line.Left, 50);
    EXPECT_EQ(line.Right, 10);
    view.SetShapeLeft(h, 60); // both points move
    EXPECT_EQ(line.Left, 60);
    EXPECT_EQ(line.Right, 20);
    view.SetShapeTop(h, 30);
    EXPECT_EQ(line.Top, 30);
    EXPECT_EQ(line.Bottom, -5);
    view.SetShapeWidth(h, 1);
    EXPECT_EQ(line.Right, line.Left);
    view.SetShapeHeight(h, 5);
    EXPECT_EQ(line.Bottom, 34);

    view.SetShapeKind(-1, vkBox); // every other kind gets its corners in order
    const int box = view.AddShape();
    EXPECT_EQ(view.Shape(box).Left, 10);
    EXPECT_EQ(view.Shape(box).Right, 50);
    EXPECT_EQ(view.Shape(box).Top, 5);
    EXPECT_EQ(view.Shape(box).Bottom, 40);
}

TEST_F(ObjectModelTest, TemplateChangesReachOnlyTheNextObject) {
    view.SetShapeKind(-1, vkText);
    view.SetShapeText(-1, "first");
    const int first = view.AddShape();
    const int refreshes = host.Refreshes;
    view.SetShapeText(-1, "second");
    view.SetShapePenColor(-1, 0x0000FF);
    view.SetShapeLeft(-1, 12);
    EXPECT_EQ(host.Refreshes, refreshes); // the template never refreshes
    EXPECT_EQ(*view.Shape(first).Text, "first");
    EXPECT_NE(view.Shape(first).PenColor, 0x0000FFu);
    const int second = view.AddShape();
    EXPECT_EQ(*view.Shape(second).Text, "second");
    EXPECT_EQ(view.Shape(second).PenColor, 0x0000FFu);
    EXPECT_EQ(view.Shape(second).Left, 12);
    view.SetShapePenColor(second, 0x00FF00); // an object's setter refreshes
    EXPECT_GT(host.Refreshes, refreshes);
}

TEST_F(ObjectModelTest, EveryRecordOwnsItsTextFontAndShadow) {
    view.SetShapeKind(-1, vkText);
    view.SetShapeText(-1, "x");
    view.ShapeShadow(-1).Enabled = 1;
    view.ShapeShadow(-1).Radius = 5;
    const int h = view.AddShape();
    EXPECT_NE(&view.ShapeShadow(h), &view.ShapeShadow(-1));
    EXPECT_EQ(view.ShapeShadow(h).Enabled, 1);
    EXPECT_DOUBLE_EQ(view.ShapeShadow(h).Radius, 5);
    view.ShapeShadow(-1).Enabled = 0;
    view.ShapeShadow(-1).Radius = 1;
    view.Shape(-1).Font->lfItalic = 1;
    EXPECT_EQ(view.ShapeShadow(h).Enabled, 1);
    EXPECT_DOUBLE_EQ(view.ShapeShadow(h).Radius, 5);
    EXPECT_EQ(view.Shape(h).Font->lfItalic, 0);
    EXPECT_NE(view.Shape(h).Font.get(), view.Shape(-1).Font.get());
}

TEST_F(ObjectModelTest, SetShapeKindKeepsTextAndFontAndFillsThemIn) {
    view.SetShapeText(-1, "kept");
    view.Shape(-1).Font->lfWeight = FW_BOLD;
    view.SetShapeKind(-1, vkText);
    EXPECT_EQ(*view.Shape(-1).Text, "kept");
    EXPECT_EQ(view.Shape(-1).Font->lfWeight, FW_BOLD);

    view.SetShapeKind(-1, vkBox);
    const int h = view.AddShape(); // a box gets neither text nor font
    EXPECT_FALSE(view.Shape(h).Text);
    EXPECT_FALSE(view.Shape(h).Font);
    view.SetShapeKind(h, vkText);
    ASSERT_TRUE(view.Shape(h).Text);
    EXPECT_EQ(*view.Shape(h).Text, "");
    ASSERT_TRUE(view.Shape(h).Font);
    EXPECT_EQ(view.Shape(h).Font->lfWeight, FW_BOLD);
}

TEST_F(ObjectModelTest, SetShapeFontCopiesTheRecordAndTheColour) {
    TFont font;
    font.Name = "Times New Roman";
    font.SetSize(0);
    font.Style = fsItalic;
    font.Color = 0x0000FFFF;
    font.Orientation = 450;
    view.SetShapeFont(-1, font);
    const TVectShape& t = view.Shape(-1);
    EXPECT_EQ(t.Font->FaceName(), "Times New Roman");
    EXPECT_EQ(t.Font->lfHeight, 0);
    EXPECT_EQ(t.Font->lfItalic, 1);
    EXPECT_EQ(t.Font->lfEscapement, 450);
    EXPECT_EQ(t.PenColor, 0x0000FFFFu);
}

TEST_F(ObjectModelTest, NotificationsFollowTheirRules) {
    view.SetShapeKind(-1, vkBox);
    const int a = view.AddShape();
    const int b = view.AddShape();
    view.SetShapeLeft(a, 3);
    view.SetShapeText(b, "t");
    view.SetShapeOpacity(b, 10);
    EXPECT_EQ(vectorialChanged, 0); // neither AddShape nor the setters

    view.SelectShape(b);
    EXPECT_EQ(selectionChanged, 1);
    EXPECT_TRUE(view.IsShapeSelected(b));
    EXPECT_TRUE(view.IsShapeSelected(-2)); // the last record
    view.DeselectShape(a);                 // not selected: nothing happens
    EXPECT_EQ(selectionChanged, 1);
    view.DeselectShape(b);
    EXPECT_EQ(selectionChanged, 2);

    view.Shape(a).Flags &= ~vfSelectable;
    view.SelectShape(a); // not selectable: not added, still notified
    EXPECT_EQ(view.SelectedCount(), 0);
    EXPECT_EQ(selectionChanged, 3);

    view.SelectShape(b);
    view.RemoveShape(b); // deselects first
    EXPECT_EQ(view.SelectedCount(), 0);
    EXPECT_EQ(vectorialChanged, 1);
    view.RemoveAllShapes();
    EXPECT_EQ(vectorialChanged, 2);
    EXPECT_EQ(view.ShapeCount(), 0);
    EXPECT_EQ(view.RecordCount(), 0);
}

TEST_F(ObjectModelTest, SelectionKeepsOrderAndDuplicates) {
    view.SetShapeKind(-1, vkBox);
    for (int i = 0; i < 3; ++i)
        view.AddShape();
    view.SelectShape(2);
    view.SelectShape(0);
    view.SelectShape(2); // not checked for being there already
    EXPECT_EQ(view.SelectedCount(), 3);
    EXPECT_EQ(view.SelectedShape(0), 2);
    EXPECT_EQ(view.SelectedShape(1), 0);
    view.DeselectAll();
    EXPECT_EQ(view.SelectedCount(), 0);
    view.SelectShape(5); // no such object
    EXPECT_EQ(view.SelectedCount(), 0);
}

TEST_F(ObjectModelTest, PicturesAreSharedOrCopiedAndReleased) {
    view.SetShapeKind(-1, vkPicture);
    const int index = view.Shape(-1).PictureIndex;
    const int shared = view.AddShape();
    EXPECT_EQ(view.Shape(shared).PictureIndex, index);
    EXPECT_EQ(view.Pictures().RefCount(index), 2);
    view.ShareBitmaps = false;
    const int own = view.AddShape();
    EXPECT_NE(view.Shape(own).PictureIndex, index);
    EXPECT_EQ(view.Pictures().Count(), 2);
    view.RemoveShape(own);
    EXPECT_EQ(view.Pictures().Count(), 1);
    view.RemoveShape(shared);
    EXPECT_EQ(view.Pictures().RefCount(index), 1); // the template's own
    view.SetShapeKind(-1, vkText);
    EXPECT_EQ(view.Shape(view.AddShape()).PictureIndex, -1); // other kinds take none
}

TEST_F(ObjectModelTest, UserDataWithALengthIsTheRecordsOwnCopy) {
    uint8_t block[4] = {1, 2, 3, 4};
    view.SetShapeUserData(-1, block);
    view.SetShapeUserDataLength(-1, 4);
    EXPECT_NE(view.Shape(-1).UserData, static_cast<void*>(block));
    block[0] = 9;
    EXPECT_EQ(static_cast<uint8_t*>(view.Shape(-1).UserData)[0], 1);
    const int h = view.AddShape(); // a new object starts without user data
    EXPECT_EQ(view.Shape(h).UserData, nullptr);
    EXPECT_EQ(view.Shape(h).UserDataLength, 0);
}

TEST_F(ObjectModelTest, StrayHandlesChangeNothingThatLasts) {
    view.SetShapeKind(-1, vkBox);
    view.AddShape();
    view.SetShapeLeft(9, 5);
    view.ShapeShadow(-7).Enabled = 1;
    view.SetShapeText(-3, "x");
    EXPECT_EQ(view.RecordCount(), 1);
    EXPECT_EQ(view.Shape(9).Left, 0);
    EXPECT_EQ(view.ShapeShadow(-7).Enabled, 0);
    view.RemoveAllShapes();
    view.SetShapeLeft(-2, 4); // no last record
    EXPECT_EQ(view.Shape(-1).Left, 0);
}

TEST_F(ObjectModelTest, SetShapeInteractKeepsTheFirstNewlySetMode) {
    struct Case {
        int before;
        int flags;
        int after;
    } cases[] = {
        {0, oiSelect, oiSelect},
        {0, oiSelect | oiDrawBox, oiDrawBox},                    // 0x8 comes before 0x80
        {0, oiDrawBox | oiDrawLabelledLine, oiDrawLabelledLine}, // 0x2000 comes before 0x8
        {0, oiEditPolyline | oiDrawCustom, oiDrawCustom},        // 0x10000 before 0x4000
        {0, oiMeasureArea | oiDrawLine, oiMeasureArea},
        {oiSelect, oiSelect | oiDrawText, oiDrawText}, // only newly set bits count
        {oiSelect, oiSelect | oiNoClickCreate, oiSelect | oiNoClickCreate}, // nothing new
        {oiSelect, oiDrawLine | oiNoClickCreate, oiDrawLine | oiNoClickCreate},
        {oiSelect, oiSelect, oiSelect}, // equal: nothing happens
        {oiSelect, 0, 0},
    };
    for (const Case& c : cases) {
        view.SetShapeInteract(0);
        view.SetShapeInteract(c.before);
        view.SetShapeInteract(c.flags);
        EXPECT_EQ(view.GetShapeInteract(), c.after) << std::hex << c.before << " + " << c.flags;
    }
}

TEST_F(ObjectModelTest, MouseInteractAndShapeInteractTakeTurns) {
    view.SetShapeInteract(oiSelect);
    view.SetMouseInteract({miScroll}); // the main window's MouseInteract := 2
    EXPECT_EQ(view.GetShapeInteract(), 0);
    view.SetShapeInteract(view.GetShapeInteract() | oiSelect);
    EXPECT_EQ(view.GetShapeInteract(), oiSelect);
    EXPECT_TRUE(view.MouseInteract().Empty());

    // Measuring modes and the modifier survive a MouseInteract value.
    view.SetShapeInteract(oiMeasurePerimeter | oiNoClickCreate);
    EXPECT_TRUE(view.MeasureHintShown());
    view.SetMouseInteract({miZoom});
    EXPECT_EQ(view.GetShapeInteract(), oiMeasurePerimeter | oiNoClickCreate);
    EXPECT_TRUE(view.MouseInteract().Has(miZoom)); // a measuring mode keeps MouseInteract
    view.SetShapeInteract(oiSelect);
    EXPECT_FALSE(view.MeasureHintShown());
}

TEST_F(ObjectModelTest, StoreGrowsInSteps) {
    view.SetShapeKind(-1, vkBox);
    for (int i = 0; i < 600; ++i)
        ASSERT_EQ(view.AddShape(), i);
    EXPECT_EQ(view.ShapeCount(), 600);
    view.RemoveShape(599);
    view.RemoveShape(300);
    EXPECT_EQ(view.RecordCount(), 599);
    EXPECT_EQ(view.ShapeAt(300), 301); // order kept
    EXPECT_EQ(view.AddShape(), 599);
}

} // namespace
} // namespace vellinor
