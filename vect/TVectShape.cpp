#include "vect/TVectShape.h"

#include <algorithm>
#include <utility>

namespace vellinor {

TVectShape::TVectShape() : Shadow(std::make_unique<TIEVSoftShadow>()) {}
TVectShape::~TVectShape() = default;
TVectShape::TVectShape(TVectShape&&) noexcept = default;
TVectShape& TVectShape::operator=(TVectShape&&) noexcept = default;

TIEVSoftShadow& TVectShape::ShadowSettings() {
    if (!Shadow) Shadow = std::make_unique<TIEVSoftShadow>();
    return *Shadow;
}

std::string WithoutCarriageReturns(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

namespace {

// Everything but the owned members.
void CopyPlainFields(const TVectShape& s, TVectShape& d) {
    d.Left = s.Left;
    d.Top = s.Top;
    d.Right = s.Right;
    d.Bottom = s.Bottom;
    d.Kind = s.Kind;
    d.Opacity = s.Opacity;
    d.KeepAspect = s.KeepAspect;
    d.StartArrow = s.StartArrow;
    d.EndArrow = s.EndArrow;
    d.ArrowWidth = s.ArrowWidth;
    d.ArrowLength = s.ArrowLength;
    d.LabelFillColor = s.LabelFillColor;
    d.LabelFillStyle = s.LabelFillStyle;
    d.LabelEnd = s.LabelEnd;
    d.LabelBorder = s.LabelBorder;
    d.LabelRect = s.LabelRect;
    d.PenColor = s.PenColor;
    d.PenStyle = s.PenStyle;
    d.PenWidth = s.PenWidth;
    d.FillColor = s.FillColor;
    d.FillStyle = s.FillStyle;
    d.Highlight = s.Highlight;
    d.ArcStart = s.ArcStart;
    d.ArcEnd = s.ArcEnd;
    d.PictureBorder = s.PictureBorder;
    d.FontQuality = s.FontQuality;
    d.TextAlign = s.TextAlign;
    d.FitToText = s.FitToText;
    d.RichOption = s.RichOption;
    d.TextPathSpacing = s.TextPathSpacing;
    d.Editable = s.Editable;
    d.RichValue1 = s.RichValue1;
    d.RichBorderColor = s.RichBorderColor;
    d.RichBorderStyle = s.RichBorderStyle;
    d.RichValue2 = s.RichValue2;
    d.RichBackPicture = s.RichBackPicture;
    d.RichMargins = s.RichMargins;
    d.RichBackStyle = s.RichBackStyle;
    d.Tag = s.Tag;
    d.Flags = s.Flags;
    d.RulerUnit = s.RulerUnit;
    d.RulerDigits = s.RulerDigits;
    d.PolyClosed = s.PolyClosed;
    d.SavedBox = s.SavedBox;
    d.DrawnBounds = s.DrawnBounds;
    d.DrawnPenWidth = s.DrawnPenWidth;
}

} // namespace

TVectShape CopyShapeForAdd(const TVectShape& source) {
    TVectShape d;
    CopyPlainFields(source, d);
    // Owned fields start empty: PictureIndex, Text, Font, rich formatting,
    // TextPath, DrawPoints and UserData.
    d.PictureIndex = -1;

    TIEVSoftShadow& shadow = d.ShadowSettings();
    if (source.Shadow) shadow = *source.Shadow;

    const uint8_t kind = source.Kind;
    if (kind == vkCustom && source.Custom) d.Custom = source.Custom->Clone();
    if (kind == vkText || kind == vkLabelledLine || kind == vkCustom) {
        d.Text = source.Text.value_or(std::string());
        if (source.Font) d.Font = std::make_unique<TLogFontA>(*source.Font);
        if (!source.TextPath.empty()) d.TextPath = source.TextPath;
    } else if (kind == vkRichText) {
        d.Text = source.Text;
        if (source.Font) d.Font = std::make_unique<TLogFontA>(*source.Font);
        if (!source.RichCharFormat.empty()) {
            // One format index per character of the text.
            const size_t characters = d.Text ? d.Text->size() : 0;
            d.RichCharFormat.assign(source.RichCharFormat.begin(),
                                    source.RichCharFormat.begin() +
                                        static_cast<std::ptrdiff_t>(
                                            std::min(characters, source.RichCharFormat.size())));
            d.RichCharFormat.resize(characters, 0);
            d.RichFormats = source.RichFormats;
        }
    } else if (kind == vkRuler || kind == vkAngle) {
        if (source.Font) d.Font = std::make_unique<TLogFontA>(*source.Font);
    }
    d.Name = source.Name;

    if (kind != vkLine && kind != vkRuler && kind != vkPolyline && kind != vkLabelledLine) {
        if (d.Left > d.Right) std::swap(d.Left, d.Right);
        if (d.Top > d.Bottom) std::swap(d.Top, d.Bottom);
    }
    if (kind == vkPolyline) {
        d.PolyPoints = source.PolyPoints;
        d.PolyBase = source.PolyBase;
    } else {
        d.AnglePoints = source.AnglePoints;
    }
    return d;
}

} // namespace vellinor
