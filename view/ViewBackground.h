#pragma once
// The area of the view around (and under transparent parts of) the image:
// a solid colour or a chessboard.

#include "platform/Color.h"
#include "view/ViewTypes.h"

namespace vellinor {

class TIEBitmap;

// The two chessboard colours.
constexpr TColor kChessboardLight = 0xFFFFFF;
constexpr TColor kChessboardDark = 0xCCCCCC;

// True where the 8 x 8 pattern of a brush style is set (solid: everywhere,
// clear: nowhere).
bool BrushPatternCovers(TBrushStyle style, int x, int y);

// Fills the whole ie24RGB buffer. Chessboard squares are counted from the
// buffer's top-left corner; the dark squares are painted with the brush style.
void PaintViewBackground(TIEBitmap& buffer, TIEBackgroundStyle style, TColor background,
                         int squareSize, TBrushStyle brushStyle);

} // namespace vellinor
