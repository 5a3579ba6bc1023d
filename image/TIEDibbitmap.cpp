#include "image/TIEDibbitmap.h"

namespace vellinor {

bool TIEDibbitmap::AllocateBits(int width, int height, int bitsPerPixel) {
    FreeBits();
    if (width <= 0 || height <= 0) return false;
    if (bitsPerPixel != 1 && bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) {
        return false;
    }
    if (!fBitmap.SetBitCount(bitsPerPixel) || !fBitmap.SetSize(width, height)) {
        FreeBits();
        return false;
    }
    return true;
}

void TIEDibbitmap::FreeBits() {
    fBitmap.SetSize(0, 0);
}

bool TIEDibbitmap::CopyFrom(const TIEDibbitmap& source) {
    return fBitmap.Assign(source.fBitmap);
}

} // namespace vellinor
