// The role of every screen cursor index.

#include "view/ViewCursors.h"

namespace vellinor {

TCursorRole CursorRole(int index) {
    switch (index) {
    case crHourGlass:
        return TCursorRole::Wait;
    case crCross:
    case crIECross:
    case crIECross1:
    case crIECross3:
    case crIECross2:
        return TCursorRole::Cross;
    case crHandPoint:
    case crIEHand:
        return TCursorRole::Hand;
    case crSizeAll:
    case crIEMove:
        return TCursorRole::SizeAll;
    case crIEZoomOut:
        return TCursorRole::ZoomOut;
    case crIEZoomIn:
        return TCursorRole::ZoomIn;
    case crIEEraser:
        return TCursorRole::Eraser;
    case crIEPen:
        return TCursorRole::Pen;
    case crIEMove2:
        return TCursorRole::SizeDiagonalDown;
    case crIEMoveY:
        return TCursorRole::SizeVertical;
    case crIEMove1:
        return TCursorRole::SizeDiagonalUp;
    case crIEMoveX:
        return TCursorRole::SizeHorizontal;
    case crIECross3Plus:
    case crIECross2Plus:
        return TCursorRole::AddPoint;
    case crIECross3Minus:
    case crIECross2Minus:
        return TCursorRole::RemovePoint;
    case crIERotate1:
    case crIERotate2:
    case crIERotate3:
    case crIERotate4:
        return TCursorRole::Rotate;
    default:
        // The numbered cursors 1796 ... 1810 are crosshair variants.
        if (index > crIECross2Minus && index < crIERotate1) return TCursorRole::Cross;
        return TCursorRole::Arrow;
    }
}

} // namespace vellinor
