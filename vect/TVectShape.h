#pragma once
// TVectShape: the record of one vector object, and of the template (handle
// -1) that new objects are copied from.
//
// Coordinates are bitmap pixels of the current image. The box runs from
// (Left, Top) to (Right, Bottom), both inclusive; for lines, rulers and
// labelled lines the corners are the start and the end point.
//
// What the record owns (text, font, shadow, points, custom object, user data)
// is held by owning members, so a record can only be moved, never copied by
// accident; CopyShapeForAdd makes the deep copy that adding an object needs.

#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/LogFont.h"
#include "vect/TIEVSoftShadow.h"
#include "vect/VectTypes.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellinor {

class TIECanvas;

// A point of a text path, 0 ... 1 relative to the box.
struct TVectPathPoint {
    double X = 0;
    double Y = 0;
};

// One character-format record of rich text (kept as bytes: only the rich-text
// editor reads them).
using TRichCharFormat = std::array<uint8_t, 280>;

// An object of kind vkCustom draws itself.
class TIEVCustomShape {
public:
    virtual ~TIEVCustomShape() = default;
    virtual std::unique_ptr<TIEVCustomShape> Clone() const = 0;
    // Told the handle of the record it now belongs to.
    virtual void Bind(int32_t hobj) {}
    // Draws into the mapped box (target pixels, corners inclusive).
    virtual void Draw(TIECanvas& canvas, const TRect& box, bool alphaPass) = 0;
};

struct TVectShape {
    TVectShape();
    ~TVectShape();
    TVectShape(TVectShape&&) noexcept;
    TVectShape& operator=(TVectShape&&) noexcept;

    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 63;
    int32_t Bottom = 63;
    uint8_t Kind = vkNone;
    int32_t Opacity = 255; // pen, fill, text and picture
    // The caller's data block. When UserDataLength > 0 the record holds its
    // own copy of those bytes (UserData then points into it) and frees it.
    void* UserData = nullptr;
    int32_t UserDataLength = 0;
    std::vector<uint8_t> OwnedUserData;
    uint8_t KeepAspect = 0;
    uint8_t StartArrow = 0;
    uint8_t EndArrow = 0;
    int32_t ArrowWidth = 10;
    int32_t ArrowLength = 20;
    TColor LabelFillColor = clWhite;
    uint8_t LabelFillStyle = 0;
    uint8_t LabelEnd = 1;
    uint8_t LabelBorder = 1;   // 0 none, 1 rectangle, 2 rounded, 3 ellipse
    TRect LabelRect{};         // as last drawn (target pixels)
    TColor PenColor = clBlack; // also the text colour
    uint8_t PenStyle = 0;      // TPenStyle ordinal
    int32_t PenWidth = 1;
    TColor FillColor = clWhite;
    uint8_t FillStyle = 1; // TBrushStyle ordinal; 1 = clear
    uint8_t Highlight = 0; // vkBox: AND the pixels with FillColor
    double ArcStart = 0;
    double ArcEnd = 6.283185307179586;
    int32_t PictureIndex = -1;
    uint8_t PictureBorder = 0;
    std::optional<std::string> Text; // LF line breaks only; none differs from empty
    std::unique_ptr<TLogFontA> Font;
    uint8_t FontQuality = fqAntialiased;
    uint8_t TextAlign = 0; // 0 left, 1 right, 2 centred, 3 justified
    uint8_t FitToText = 0;
    uint8_t RichOption = 1;
    std::vector<TVectPathPoint> TextPath;
    int32_t TextPathSpacing = -10;
    uint8_t Editable = 1;
    std::vector<int32_t> RichCharFormat; // one format index per character
    std::vector<TRichCharFormat> RichFormats;
    int32_t RichValue1 = 0;
    TColor RichBorderColor = clWhite;
    uint8_t RichBorderStyle = 0;
    int32_t RichValue2 = 0;
    uint8_t RichBackPicture = 0;
    std::array<double, 4> RichMargins{};
    uint8_t RichBackStyle = 0;
    std::string Name;
    uint32_t Tag = 0;
    uint8_t Flags = vfSelectable | vfMovable | vfResizable | vfVisible;
    uint8_t RulerUnit = ieuPIXELS;
    uint8_t RulerDigits = 2;
    std::vector<TPoint> PolyPoints; // in the PolyBase frame
    TRect PolyBase{};               // minimum x, minimum y, maximum x, maximum y
    uint8_t PolyClosed = 0;
    std::vector<TPoint> DrawPoints; // scratch: transformed polyline points
    std::array<TPoint, 3> AnglePoints{TPoint{0, 0}, TPoint{50, 0}, TPoint{50, 50}};
    TRect SavedBox{};
    TRect DrawnBounds{}; // what the last drawing touched (target pixels)
    int32_t DrawnPenWidth = 0;
    std::unique_ptr<TIEVSoftShadow> Shadow;
    std::unique_ptr<TIEVCustomShape> Custom;

    int32_t TextPathCount() const { return static_cast<int32_t>(TextPath.size()); }
    int32_t PolyCount() const { return static_cast<int32_t>(PolyPoints.size()); }
    bool HasFlag(TVectFlag flag) const { return (Flags & flag) != 0; }
    // The shadow, made on first use for a record that lost it.
    TIEVSoftShadow& ShadowSettings();
};

// Stores text without its CR characters (LF line breaks stay).
std::string WithoutCarriageReturns(std::string_view text);

// The record of a newly added object: every plain field of `source`, fresh
// owned fields (copies of its text, font, text path, name, points and shadow,
// a clone of its custom object), no picture yet and the corners put in order
// for every kind but lines, rulers, polylines and labelled lines. The caller
// gives it the picture reference and binds the custom object.
TVectShape CopyShapeForAdd(const TVectShape& source);

} // namespace vellinor
