// Construction, the template, record lookup and the setters.

#include "vect/REzoreZuDidu.h"

#include "vect/HandPicture.h"
#include "vect/TIEVectEditBox.h"
#include "view/ViewTimer.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vellinor {

namespace {

int32_t ClampToInt(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

} // namespace

REzoreZuDidu::REzoreZuDidu() {
    InitTemplate();
}

REzoreZuDidu::~REzoreZuDidu() {
    // Editing ends without notifications: nobody is left to hear them.
    if (fEditingShape >= 0 && fEditBox != nullptr) fEditBox->Hide();
    fEditingShape = -1;
    fFastTimer.reset();
}

void REzoreZuDidu::InitTemplate() {
    fTemplate = TVectShape();
    fTemplate.PictureIndex = fPictures.Adopt(MakeHandPicture());
    // The canvas font with the face "Arial", everything else its defaults.
    TFont font;
    font.Name = "Arial";
    fTemplate.Font = std::make_unique<TLogFontA>(font.LogFont());
    fTemplate.PenColor = font.Color;
    fTemplate.RulerUnit = MUnit;
}

// --- Lookup ------------------------------------------------------------------------

TVectShape* REzoreZuDidu::Lookup(int hobj) {
    if (hobj == kTemplateHandle) return &fTemplate;
    if (hobj == kLastRecordHandle) hobj = RecordCount() - 1;
    if (hobj < 0 || hobj >= RecordCount()) return nullptr;
    return fRecords[static_cast<size_t>(hobj)].get();
}

TVectShape& REzoreZuDidu::Shape(int hobj) {
    if (TVectShape* s = Lookup(hobj)) return *s;
    fScratch = TVectShape();
    return fScratch;
}

int REzoreZuDidu::ShapeAt(int index) const {
    if (index < 0 || index >= ShapeCount()) return kNoShape;
    return fZOrder[static_cast<size_t>(index)];
}

bool REzoreZuDidu::IsLiveShape(int hobj) const {
    return std::find(fZOrder.begin(), fZOrder.end(), hobj) != fZOrder.end();
}

void REzoreZuDidu::RefreshUnlessTemplate(int hobj) {
    if (hobj != kTemplateHandle) Update();
}

// --- Setters -----------------------------------------------------------------------

void REzoreZuDidu::SetShapeKind(int hobj, uint8_t kind) {
    TVectShape& s = Shape(hobj);
    s.Kind = kind;
    const bool textKind = kind == vkText || kind == vkLabelledLine || kind == vkCustom;
    if (textKind || kind == vkRuler || kind == vkAngle || kind == vkRichText) {
        if (!s.Font && fTemplate.Font) s.Font = std::make_unique<TLogFontA>(*fTemplate.Font);
    }
    if (textKind && !s.Text) s.Text = std::string();
    RefreshUnlessTemplate(hobj);
}

void REzoreZuDidu::SetShapePenColor(int hobj, TColor color) {
    Shape(hobj).PenColor = color;
    RefreshUnlessTemplate(hobj);
}

void REzoreZuDidu::SetShapeLeft(int hobj, int x) {
    TVectShape& s = Shape(hobj);
    s.Right = ClampToInt(int64_t{s.Right} + x - s.Left);
    s.Left = x;
    RefreshUnlessTemplate(hobj);
}

void REzoreZuDidu::SetShapeTop(int hobj, int y) {
    TVectShape& s = Shape(hobj);
    s.Bottom = ClampToInt(int64_t{s.Bottom} + y - s.Top);
    s.Top = y;
    RefreshUnlessTemplate(hobj);
}

void REzoreZuDidu::SetShapeWidth(int hobj, int w) {
    TVectShape& s = Shape(hobj);
    s.Right = ClampToInt(int64_t{s.Left} + w - 1);
    RefreshUnlessTemplate(hobj);
}

void REzoreZuDidu::SetShapeHeight(int hobj, int h) {
    TVectShape& s = Shape(hobj);
    s.Bottom = ClampToInt(int64_t{s.Top} + h - 1);
    RefreshUnlessTemplate(hobj);
}

void REzoreZuDidu::SetShapeOpacity(int hobj, int alpha) {
    Shape(hobj).Opacity = alpha;
    RefreshUnlessTemplate(hobj);
}

void REzoreZuDidu::SetShapePenStyle(int hobj, uint8_t style) {
    Shape(hobj).PenStyle = style;
    RefreshUnlessTemplate(hobj);
}

void REzoreZuDidu::SetShapeFillColor(int hobj, TColor color) {
    Shape(hobj).FillColor = color;
    RefreshUnlessTemplate(hobj);
}

void REzoreZuDidu::SetShapeFillStyle(int hobj, uint8_t style) {
    Shape(hobj).FillStyle = style;
    RefreshUnlessTemplate(hobj);
}

void REzoreZuDidu::SetShapeFont(int hobj, const TFont& font) {
    TVectShape& s = Shape(hobj);
    if (!s.Font) s.Font = std::make_unique<TLogFontA>();
    *s.Font = font.LogFont();
    s.PenColor = font.Color;
    RefreshUnlessTemplate(hobj);
}

void REzoreZuDidu::SetShapeText(int hobj, std::string_view text) {
    TVectShape& s = Shape(hobj);
    s.RichCharFormat.clear();
    s.RichFormats.clear();
    s.Text = WithoutCarriageReturns(text);
    RefreshUnlessTemplate(hobj);
}

void REzoreZuDidu::SetShapeFitToText(int hobj, uint8_t flag) {
    Shape(hobj).FitToText = flag;
    RefreshUnlessTemplate(hobj);
}

namespace {

// The record keeps its own copy of a user data block with a length.
void TakeUserData(TVectShape& s) {
    if (s.UserDataLength <= 0 || s.UserData == nullptr) return;
    if (!s.OwnedUserData.empty() && s.UserData == s.OwnedUserData.data() &&
        s.OwnedUserData.size() == static_cast<size_t>(s.UserDataLength))
        return;
    std::vector<uint8_t> block(static_cast<size_t>(s.UserDataLength));
    std::memcpy(block.data(), s.UserData, block.size());
    s.OwnedUserData = std::move(block);
    s.UserData = s.OwnedUserData.data();
}

} // namespace

void REzoreZuDidu::SetShapeUserData(int hobj, void* data) {
    TVectShape& s = Shape(hobj);
    s.OwnedUserData.clear();
    s.UserData = data;
    TakeUserData(s);
    RefreshUnlessTemplate(hobj);
}

void REzoreZuDidu::SetShapeUserDataLength(int hobj, int length) {
    TVectShape& s = Shape(hobj);
    s.UserDataLength = length;
    TakeUserData(s);
    RefreshUnlessTemplate(hobj);
}

TIEVSoftShadow& REzoreZuDidu::ShapeShadow(int hobj) {
    return Shape(hobj).ShadowSettings();
}

void REzoreZuDidu::SetShapeBitmap(int hobj, TIEBitmap& picture) {
    TVectShape& s = Shape(hobj);
    if (&s == &fScratch) return;
    const int32_t index = fPictures.Add(picture);
    fPictures.Release(s.PictureIndex);
    s.PictureIndex = index;
    RefreshUnlessTemplate(hobj);
}

TIEBitmap* REzoreZuDidu::ShapeBitmap(int hobj) {
    return fPictures.Picture(Shape(hobj).PictureIndex);
}

// --- Settings ----------------------------------------------------------------------

void REzoreZuDidu::SetSupersampleShapes(uint8_t value) {
    fSupersampleShapes = value;
    Update();
}

void REzoreZuDidu::SetObjAntialias(bool value) {
    if (value == fObjAntialias) return;
    fObjAntialias = value;
    Update();
}

} // namespace vellinor
