#pragma once
// A 1- or 8-bit selection mask with the bounding box of its set pixels.

#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vellinor {

class TIEMask {
public:
    TIEMask() = default;
    TIEMask(int width, int height, int bitsPerPixel) { Allocate(width, height, bitsPerPixel); }

    // Zero-filled, bounding box empty, Full false. bitsPerPixel is 1 or 8; false
    // (and an empty mask) for other values or sizes that cannot be held.
    bool Allocate(int width, int height, int bitsPerPixel);
    void Free();

    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    int BitsPerPixel() const { return fBitsPerPixel; }
    int RowBytes() const { return fRowBytes; }
    bool IsEmpty() const { return fWidth == 0 || fHeight == 0; }

    // Rows are bottom-up; ScanLine(0) is the top row.
    uint8_t* ScanLine(int y) { return fBits.data() + RowOffset(y); }
    const uint8_t* ScanLine(int y) const { return fBits.data() + RowOffset(y); }

    // 0 or 1 for 1-bit masks, the byte for 8-bit masks; 0 outside the mask.
    int GetPixel(int x, int y) const;
    // Ignored outside the mask. For 1-bit masks any non-zero value sets the bit.
    void SetPixel(int x, int y, int value);
    bool IsSelected(int x, int y) const { return GetPixel(x, y) != 0; }

    // Recomputes X1, Y1, X2, Y2 by scanning every pixel.
    void SyncBoundingBox();
    bool HasSelection() const { return X2 >= X1 && Y2 >= Y1; }

    // Bounding box of the set pixels; empty = X1 = Y1 = INT_MAX, X2 = Y2 = 0.
    int X1 = INT_MAX, Y1 = INT_MAX, X2 = 0, Y2 = 0;
    bool Full = false;

private:
    size_t RowOffset(int y) const { return static_cast<size_t>(fHeight - 1 - y) * fRowBytes; }

    int fWidth = 0, fHeight = 0, fBitsPerPixel = 8, fRowBytes = 0;
    std::vector<uint8_t> fBits;
};

} // namespace vellinor
