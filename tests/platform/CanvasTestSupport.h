#pragma once
// Small helpers for the drawing-layer tests: a filled bitmap and questions
// about which pixels changed.

#include "platform/Canvas.h"
#include "platform/PlatformBitmap.h"

#include <functional>
#include <string>
#include <vector>

namespace vellinor::test {

inline TColor PixelColor(const TPlatformBitmap& b, int x, int y) {
    return TRGB2TColor(b.GetPixelRGB(x, y));
}

// A 24-bit bitmap filled with one colour.
inline void Fill(TPlatformBitmap& b, TColor color) {
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            b.SetPixelRGB(x, y, TColor2TRGB(color));
}

inline int CountIf(const TPlatformBitmap& b, const std::function<bool(int, int)>& test) {
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            n += test(x, y) ? 1 : 0;
    return n;
}

inline int CountColor(const TPlatformBitmap& b, TColor color) {
    return CountIf(b, [&](int x, int y) { return PixelColor(b, x, y) == color; });
}

// The smallest rectangle holding every pixel that differs from `background`
// (empty when none does).
inline TRect ChangedBounds(const TPlatformBitmap& b, TColor background) {
    TRect r{b.Width(), b.Height(), 0, 0};
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (PixelColor(b, x, y) != background) {
                r.Left = std::min(r.Left, x);
                r.Top = std::min(r.Top, y);
                r.Right = std::max(r.Right, x + 1);
                r.Bottom = std::max(r.Bottom, y + 1);
            }
    return r.IsEmpty() ? TRect{} : r;
}

// One character per pixel of a row: '#' for `ink`, '.' for anything else.
inline std::string RowPicture(const TPlatformBitmap& b, int y, int x0, int x1, TColor ink) {
    std::string s;
    for (int x = x0; x < x1; ++x)
        s += PixelColor(b, x, y) == ink ? '#' : '.';
    return s;
}

// An 8-bit bitmap whose colour table is the grey ramp (entry i = i, i, i), as
// the alpha planes are.
inline void SetGreyRamp(TPlatformBitmap& b) {
    std::vector<TRGB> ramp(256);
    for (int i = 0; i < 256; ++i)
        ramp[static_cast<size_t>(i)] =
            MakeRGB(static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i));
    b.SetColorTable(ramp);
}

inline bool SamePixels(const TPlatformBitmap& a, const TPlatformBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (!(a.GetPixelRGB(x, y) == b.GetPixelRGB(x, y))) return false;
    return true;
}

} // namespace vellinor::test
