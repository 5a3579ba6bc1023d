#pragma once
// Turning a picture upright by its EXIF / TIFF orientation value.

namespace vellinor {

class TIEBitmap;

// 1 nothing; 2 mirror left-right; 3 half turn; 4 flip top-bottom; 5
// transposition (main diagonal); 6 quarter turn clockwise; 7 transposition
// about the other diagonal; 8 quarter turn counter-clockwise; other values
// nothing. Quarter turns swap width and height. The alpha plane follows.
void ApplyOrientation(TIEBitmap& bitmap, int orientation);

} // namespace vellinor
