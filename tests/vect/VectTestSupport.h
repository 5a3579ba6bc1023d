#pragma once
// Small helpers for the vector-layer tests: filled pictures, comparisons and
// text objects.

#include "image/TIEBitmap.h"
#include "platform/Pen.h"
#include "vect/REzoreZuDidu.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace vellinor::test {

inline void FillImage(TIEBitmap& b, TRGB c) {
    for (int y = 0; y < b.Height(); ++y) {
        auto* row = reinterpret_cast<TRGB*>(b.Row(y));
        std::fill(row, row + b.Width(), c);
    }
}

// The smallest rectangle (Right and Bottom outside) of pixels that differ
// from `background`; empty when none does.
inline TRect ChangedBounds(TIEBitmap& b, TRGB background) {
    TRect r{b.Width(), b.Height(), 0, 0};
    for (int y = 0; y < b.Height(); ++y) {
        const auto* row = reinterpret_cast<const TRGB*>(b.Row(y));
        for (int x = 0; x < b.Width(); ++x) {
            if (row[x] == background) continue;
            r.Left = std::min(r.Left, x);
            r.Top = std::min(r.Top, y);
            r.Right = std::max(r.Right, x + 1);
            r.Bottom = std::max(r.Bottom, y + 1);
        }
    }
    return r.IsEmpty() ? TRect{} : r;
}

inline bool SamePixels(TIEBitmap& a, TIEBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.PixelFormat() != b.PixelFormat())
        return false;
    const size_t bytes = static_cast<size_t>(a.PackedRowBytes());
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.Row(y), b.Row(y), bytes) != 0) return false;
    return true;
}

// Number of pixels that differ between two pictures of one size.
inline int DifferentPixels(TIEBitmap& a, TIEBitmap& b) {
    int n = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            n += a.GetRGB(x, y) == b.GetRGB(x, y) ? 0 : 1;
    return n;
}

// A text object in the box (left, top)-(right, bottom) (inclusive), no
// outline, no fill, no shadow.
inline int AddText(REzoreZuDidu& view, int left, int top, int right, int bottom,
                   const std::string& text, TColor color, int lfHeight = 0,
                   const char* face = "Liberation Sans") {
    view.SetShapeKind(-1, vkText);
    TVectShape& t = view.Shape(-1);
    t.Left = left;
    t.Top = top;
    t.Right = right;
    t.Bottom = bottom;
    t.PenStyle = psClear;
    t.FillStyle = bsClear;
    t.PenColor = color;
    t.Opacity = 255;
    t.Font->SetFaceName(face);
    t.Font->lfHeight = lfHeight;
    t.Shadow->Enabled = 0;
    view.SetShapeText(-1, text);
    return view.AddShape();
}

} // namespace vellinor::test
