#pragma once
// Where the vector layer draws: a platform bitmap that holds the part of a
// larger target starting at (OriginX, OriginY). Drawing code works in target
// coordinates; only pixels inside the bitmap are written. The object buffer
// uses this to keep just the part an object can reach, and the merge to draw
// into a band of rows.

namespace vellinor {

class TPlatformBitmap;
class TIEBitmap;

struct TVectSurface {
    TPlatformBitmap* Bitmap = nullptr;
    // The same pixels as a container, when there is one (picture objects
    // write colour and alpha through it).
    TIEBitmap* Container = nullptr;
    int OriginX = 0;
    int OriginY = 0;
    // Size of the whole target.
    int Width = 0;
    int Height = 0;
};

} // namespace vellinor
