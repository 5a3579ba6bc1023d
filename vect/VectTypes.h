#pragma once
// The small value types of the vector object layer: object kinds, the Flags
// bits of a record, the ShapeInteract mode bits, font qualities and handles.

#include "platform/LogFont.h"

#include <cstdint>

namespace vellinor {

// What an object is (one byte in its record).
enum TVectKind : uint8_t {
    vkNone = 0, // never drawn, never picked
    vkLine = 1,
    vkBox = 2,
    vkEllipse = 3,
    vkArc = 4,
    vkPicture = 5,
    vkText = 6, // the copyright line
    vkRuler = 7,
    vkPolyline = 8,
    vkAngle = 9,
    vkRichText = 10,
    vkLabelledLine = 11,
    vkCustom = 12,
};

// Kinds whose two corners are a start and an end point and keep their order.
constexpr bool IsLineKind(uint8_t kind) {
    return kind == vkLine || kind == vkRuler || kind == vkLabelledLine;
}

// Bits of TVectShape::Flags.
enum TVectFlag : uint8_t {
    vfSelectable = 1,
    vfMovable = 2,
    vfResizable = 4,
    vfVisible = 8, // drawn and pickable
};

// Bits of ShapeInteract: what the left mouse button does in the view. At most
// one mode bit is set at a time, plus the modifier oiNoClickCreate.
enum TIEShapeInteract : int32_t {
    oiMeasureArea = 0x1,
    oiMeasurePerimeter = 0x2,
    oiDrawLine = 0x4,
    oiDrawBox = 0x8,
    oiDrawEllipse = 0x10,
    oiDrawPicture = 0x20,
    oiDrawText = 0x40,
    oiSelect = 0x80,
    oiMeasureLength = 0x100,
    oiDrawRuler = 0x200,
    oiDrawPolyline = 0x400,
    oiDrawAngle = 0x800,
    oiDrawRichText = 0x1000,
    oiDrawLabelledLine = 0x2000,
    oiEditPolyline = 0x4000,
    oiNoClickCreate = 0x8000, // modifier: a click without movement creates nothing
    oiDrawCustom = 0x10000,
};

// Handles that name no ordinary record.
constexpr int32_t kTemplateHandle = -1;   // the prototype of the next object
constexpr int32_t kLastRecordHandle = -2; // RecordCount - 1
constexpr int32_t kNoShape = -3;          // what picking returns when nothing is hit

// TVectShape::FontQuality: how text objects are rendered.
enum TIEFontQuality : uint8_t {
    fqAntialiased = 0,
    fqClearType = 1,
    fqClearTypeNatural = 2,
    fqDefault = 3,
    fqDraft = 4,
    fqNonAntialiased = 5,
    fqProof = 6,
};

// The LOGFONT quality value of a FontQuality byte (out-of-range bytes draw
// with the default quality).
constexpr uint8_t LogFontQualityOf(uint8_t fontQuality) {
    constexpr uint8_t kTable[7] = {
        ANTIALIASED_QUALITY, CLEARTYPE_QUALITY, CLEARTYPE_NATURAL_QUALITY,
        DEFAULT_QUALITY,     DRAFT_QUALITY,     NONANTIALIASED_QUALITY,
        PROOF_QUALITY};
    return fontQuality < 7 ? kTable[fontQuality] : DEFAULT_QUALITY;
}

// Measure units of rulers and read-outs.
enum TIEUnits : uint8_t {
    ieuPIXELS = 0,
    ieuINCHES = 1,
    ieuKM = 2,
    ieuMETERS = 3,
    ieuCENTIMETERS = 4,
    ieuMILLIMETERS = 5,
    ieuMICRONS = 6,
    ieuNANOMETERS = 7,
};

enum TIEUndoMode : uint8_t { ieumSeparated = 0, ieumShared = 1 };

} // namespace vellinor
