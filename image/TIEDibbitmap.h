#pragma once
// A device-independent bitmap section with a drawing surface: 1, 8, 24 or 32
// bits, bottom-up rows with 32-bit alignment.

#include "platform/PlatformBitmap.h"

namespace vellinor {

class TIEDibbitmap {
public:
    // False when width or height is 0, the depth is not 1, 8, 24 or 32, or
    // memory is short.
    bool AllocateBits(int width, int height, int bitsPerPixel);
    void FreeBits();
    bool CopyFrom(const TIEDibbitmap& source);

    int Width() const { return fBitmap.Width(); }
    int Height() const { return fBitmap.Height(); }
    int BitsPerPixel() const { return fBitmap.BitCount(); }
    int RowBytes() const { return fBitmap.RowBytes(); }
    bool IsEmpty() const { return fBitmap.Empty(); }

    // Row y starts at Bits() + RowBytes * (Height - 1 - y).
    uint8_t* Bits() { return fBitmap.Bits(); }
    uint8_t* ScanLine(int y) { return fBitmap.ScanLine(y); }

    // The surface drawing goes to (the device context of the section).
    TPlatformBitmap& Surface() { return fBitmap; }

private:
    TPlatformBitmap fBitmap;
};

} // namespace vellinor
