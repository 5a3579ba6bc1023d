// Interaction modes (ShapeInteract and the view's MouseInteract), the end of
// in-place text editing, and fast drawing while the mouse button is held.

#include "platform/Canvas.h"
#include "platform/PlatformBitmap.h"
#include "vect/REzoreZuDidu.h"
#include "vect/TIEVectEditBox.h"
#include "view/ViewTimer.h"

#include <cmath>
#include <initializer_list>

namespace vellinor {

namespace {

// The order in which a newly set mode bit is looked for.
constexpr int kModeOrder[] = {
    oiMeasureArea,  oiMeasurePerimeter, oiDrawLine,      oiDrawLabelledLine,
    oiDrawBox,      oiDrawEllipse,      oiDrawPicture,   oiDrawText,
    oiDrawRichText, oiSelect,           oiMeasureLength, oiDrawRuler,
    oiDrawPolyline, oiDrawAngle,        oiDrawCustom,    oiEditPolyline};

constexpr int kMeasureModes = oiMeasureArea | oiMeasurePerimeter;

constexpr int kFastDrawingInterval = 50; // ms

} // namespace

void REzoreZuDidu::SetShapeInteract(int flags) {
    EndTextEdit();
    ResetInteraction();
    const int old = fShapeInteract;
    if (flags == old) return;
    int chosen = 0;
    for (int bit : kModeOrder) {
        if ((flags & bit) != 0 && (old & bit) == 0) {
            chosen = bit;
            break;
        }
    }
    fShapeInteract = chosen != 0 ? chosen | (flags & oiNoClickCreate) : flags;
    if (chosen != 0 && (chosen & kMeasureModes) == 0) DOrevaDeVeri::SetMouseInteract({});
    fMeasureValue = 0;
    if ((fShapeInteract & kMeasureModes) != 0) {
        fMeasureHintShown = true;
        fMeasureHintPosition = {VisibleWidth() / 2, VisibleHeight() / 2};
    } else {
        fMeasureHintShown = false;
    }
    if ((old & oiEditPolyline) != 0 || chosen == oiEditPolyline) Update();
}

void REzoreZuDidu::SetMouseInteract(TIEMouseInteract value) {
    DOrevaDeVeri::SetMouseInteract(value);
    if (!value.Empty()) fShapeInteract &= kMeasureModes | oiNoClickCreate;
    EndTextEdit();
    ResetInteraction();
}

void REzoreZuDidu::ResetInteraction() {}

// --- In-place editing ----------------------------------------------------------------

namespace {

// Width of the text in the edit box's font, in screen pixels.
int EditedTextWidth(const TVectShape& s, double zoomY, int boxHeight, const std::string& text) {
    TLogFontA lf = s.Font ? *s.Font : TLogFontA{};
    lf.lfHeight =
        lf.lfHeight != 0 ? static_cast<int32_t>(std::trunc(lf.lfHeight * zoomY)) : boxHeight;
    TPlatformBitmap scratch(1, 1, 24);
    TCanvas& canvas = scratch.Canvas();
    canvas.SelectFont(CreateFontIndirectA(lf));
    return canvas.TextWidth(text);
}

} // namespace

void REzoreZuDidu::EndTextEdit() {
    if (fEditingShape < 0) return;
    const int hobj = fEditingShape;
    fEditingShape = -1;
    if (TVectShape* s = Lookup(hobj); s != nullptr && fEditBox != nullptr) {
        s->Text = WithoutCarriageReturns(fEditBox->Text());
        if (s->FitToText != 0) {
            const double zoomX = ZoomX() / 100, zoomY = ZoomY() / 100;
            const int boxHeight = YBmp2Scr(s->Bottom) - YBmp2Scr(s->Top);
            const int width = EditedTextWidth(*s, zoomY, boxHeight, *s->Text);
            s->Right = s->Left + static_cast<int>(std::trunc(width / zoomX));
        }
        fEditBox->Hide();
    }
    if (OnDeactivateTextEdit) OnDeactivateTextEdit(*this, hobj);
    FireVectorialChanged();
}

// --- Mouse button and fast drawing -------------------------------------------------------

void REzoreZuDidu::MouseDown(const TIEMouseEvent& event) {
    if (event.Button == mbLeft) fPrimaryDown = true;
    DOrevaDeVeri::MouseDown(event);
}

void REzoreZuDidu::MouseUp(const TIEMouseEvent& event) {
    if (event.Button == mbLeft) fPrimaryDown = false;
    DOrevaDeVeri::MouseUp(event);
}

void REzoreZuDidu::StartFastDrawingIfPressed() {
    if (!fPrimaryDown) return;
    if (!fFastTimer) {
        fFastTimer = CreateTimer();
        fFastTimer->OnTimer = [this] { FastDrawingTick(); };
    }
    if (fFastTimer->Active() || (fFastDrawing && FastWhileDragging)) return;
    fFastDrawing = true;
    fFastTimer->Start(kFastDrawingInterval);
}

void REzoreZuDidu::FastDrawingTick() {
    if (fPrimaryDown) return;
    fFastTimer->Stop();
    fFastDrawing = false;
    Update();
}

} // namespace vellinor
