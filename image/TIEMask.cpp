#include "image/TIEMask.h"

#include <new>

namespace vellinor {

bool TIEMask::Allocate(int width, int height, int bitsPerPixel) {
    Free();
    if (width <= 0 || height <= 0 || (bitsPerPixel != 1 && bitsPerPixel != 8)) return false;
    const int64_t rowBytes = (static_cast<int64_t>(width) * bitsPerPixel + 31) / 32 * 4;
    if (rowBytes > INT_MAX) return false;
    try {
        fBits.assign(static_cast<size_t>(rowBytes) * static_cast<size_t>(height), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    fWidth = width;
    fHeight = height;
    fBitsPerPixel = bitsPerPixel;
    fRowBytes = static_cast<int>(rowBytes);
    return true;
}

void TIEMask::Free() {
    fBits.clear();
    fBits.shrink_to_fit();
    fWidth = fHeight = fRowBytes = 0;
    X1 = Y1 = INT_MAX;
    X2 = Y2 = 0;
    Full = false;
}

int TIEMask::GetPixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= fWidth || y >= fHeight) return 0;
    const uint8_t* row = ScanLine(y);
    if (fBitsPerPixel == 1) return (row[x >> 3] >> (7 - (x & 7))) & 1;
    return row[x];
}

void TIEMask::SetPixel(int x, int y, int value) {
    if (x < 0 || y < 0 || x >= fWidth || y >= fHeight) return;
    uint8_t* row = ScanLine(y);
    if (fBitsPerPixel == 1) {
        const auto bit = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = value != 0 ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
    } else {
        row[x] = static_cast<uint8_t>(value);
    }
}

void TIEMask::SyncBoundingBox() {
    X1 = Y1 = INT_MAX;
    X2 = Y2 = 0;
    for (int y = 0; y < fHeight; ++y) {
        for (int x = 0; x < fWidth; ++x) {
            if (GetPixel(x, y) == 0) continue;
            if (x < X1) X1 = x;
            if (x > X2) X2 = x;
            if (y < Y1) Y1 = y;
            if (y > Y2) Y2 = y;
        }
    }
}

} // namespace vellinor
