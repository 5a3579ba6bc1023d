#pragma once
// Screen cursor indices the view and the object editor use, and the role each
// one plays, so that a toolkit adapter can give every index a fitting shape.

namespace vellinor {

// The view's cursors, registered under 1778 ... 1814.
enum TIECursorIndex : int {
    crDefault = 0,
    crArrow = -2,
    crCross = -3,
    crHourGlass = -11,
    crHandPoint = -21,
    crSizeAll = -22,
    crIEZoomOut = 1778,
    crIEZoomIn = 1779,
    crIECross = 1780,
    crIEEraser = 1781,
    crIEHand = 1782,
    crIEPen = 1783,
    crIECross1 = 1784,
    crIECross3 = 1785, // the view's own cursor until the program picks one
    crIEMove2 = 1786,  // grips 1 and 2: top-left / bottom-right
    crIEMoveY = 1787,  // grips 8 and 9: top and bottom edge
    crIEMove1 = 1788,  // grips 4, 5, 10-12: top-right / bottom-left
    crIEMoveX = 1789,  // grips 6 and 7: left and right edge
    crIEMove = 1790,   // grip 3: the body
    crIECross3Plus = 1791,
    crIECross3Minus = 1792,
    crIECross2 = 1793,
    crIECross2Plus = 1794,
    crIECross2Minus = 1795,
    crIERotate1 = 1811,
    crIERotate2 = 1812,
    crIERotate3 = 1813,
    crIERotate4 = 1814,
};

constexpr int kFirstViewCursor = 1778;
constexpr int kLastViewCursor = 1814;

enum class TCursorRole {
    Arrow,
    Wait,
    Cross,
    ZoomIn,
    ZoomOut,
    Hand,
    Pen,
    Eraser,
    SizeDiagonalDown, // top-left to bottom-right
    SizeDiagonalUp,   // bottom-left to top-right
    SizeHorizontal,
    SizeVertical,
    SizeAll,
    AddPoint,
    RemovePoint,
    Rotate,
};

TCursorRole CursorRole(int index);

} // namespace vellinor
