#pragma once
// The pen a canvas draws lines and outlines with. A pen of width 0 or 1 is a
// cosmetic one-pixel pen: its styles are the platform's pixel patterns and
// lines leave out their last point. A wider pen is geometric: it strokes the
// outline with round caps and joins (CreatePen behaviour); only solid, clear
// and inside-frame styles apply, the dash styles draw solid. A pen with
// Geometric set (ExtCreatePen behaviour) uses EndCap and Join as given and
// draws its dashes scaled by its width.

#include "platform/Color.h"

#include <cstdint>

namespace vellinor {

// Ordinals are the platform's (the vector layer stores them in its records).
enum TPenStyle : uint8_t {
    psSolid = 0,
    psDash = 1,       // 18 on, 6 off
    psDot = 2,        // 3 on, 3 off
    psDashDot = 3,    // 9 on, 6 off, 3 on, 6 off
    psDashDotDot = 4, // 9 on, 3 off, 3 on, 3 off, 3 on, 3 off
    psClear = 5,
    psInsideFrame = 6, // closed figures keep a wide pen inside their box
};

// The sixteen binary raster operations between pen (P) and pixel (D).
enum TPenMode : uint8_t {
    pmBlack = 0,
    pmWhite = 1,
    pmNop = 2,
    pmNot = 3, // ~D
    pmCopy = 4,
    pmNotCopy = 5,
    pmMergePenNot = 6,
    pmMaskPenNot = 7,
    pmMergeNotPen = 8,
    pmMaskNotPen = 9,
    pmMerge = 10,
    pmNotMerge = 11,
    pmMask = 12,
    pmNotMask = 13,
    pmXor = 14,
    pmNotXor = 15,
};

enum TPenEndCap : uint8_t { pecRound = 0, pecSquare = 1, pecFlat = 2 };
enum TPenJoin : uint8_t { pjRound = 0, pjBevel = 1, pjMiter = 2 };

struct TPen {
    TColor Color = clBlack;
    int32_t Width = 1;
    TPenStyle Style = psSolid;
    TPenMode Mode = pmCopy;
    bool Geometric = false;
    TPenEndCap EndCap = pecRound;
    TPenJoin Join = pjRound;

    bool IsWide() const { return Width > 1 || Geometric; }
    friend bool operator==(const TPen&, const TPen&) = default;
};

// The platform's raster-operation code (R2_BLACK = 1 ... R2_WHITE = 16) of a
// pen mode; code - 1 is the truth table indexed by (P << 1 | D).
constexpr int Rop2OfPenMode(TPenMode mode) {
    constexpr int kCodes[16] = {1, 16, 11, 6, 13, 4, 14, 5, 12, 3, 15, 2, 9, 8, 7, 10};
    return kCodes[mode & 15];
}

} // namespace vellinor
