#pragma once
// Small helpers for the vector-layer tests: filled pictures, comparisons,
// text objects and a set of objects that exercise the object buffer.

#include "DefaultCopyright.h"
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

// Number of pixels whose colours differ between two pictures of one size.
inline int DifferentPixels(TIEBitmap& a, TIEBitmap& b) {
    int n = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            n += a.ReadAsRGB(x, y) == b.ReadAsRGB(x, y) ? 0 : 1;
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

// A gradient, so that shadow and glyphs differ from what they cover.
inline void PaintGradient(TIEBitmap& b) {
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            b.SetRGB(x, y,
                     MakeRGB(static_cast<uint8_t>(100 + x % 100),
                             static_cast<uint8_t>(150 + y % 80),
                             static_cast<uint8_t>(200 - x % 50)));
}

// Objects that stress the windowed buffer: shadows reaching the picture's
// edges, offsets, hatched fills (their pattern is anchored at the buffer's
// origin), a highlight, lines with arrows, and text near the corner.
inline void AddAssortedObjects(REzoreZuDidu& v) {
    const int w = v.CurrentBitmap().Width(), h = v.CurrentBitmap().Height();
    AddDefaultCopyright(v, "photo.jpg");
    v.SetShapeKind(-1, vkBox);
    TVectShape& t = v.Shape(-1);
    t.Left = 3;
    t.Top = 2;
    t.Right = 70;
    t.Bottom = 45;
    t.FillStyle = bsDiagCross;
    t.FillColor = 0x0000C000;
    t.PenStyle = psSolid;
    t.PenWidth = 3;
    t.PenColor = 0x00800000;
    t.Shadow->Enabled = 1;
    t.Shadow->OffsetX = 5;
    t.Shadow->OffsetY = -4;
    t.Shadow->Radius = 2.5;
    t.Shadow->Intensity = 60;
    v.AddShape();
    t.Kind = vkEllipse;
    t.Left = w - 60;
    t.Top = h - 50;
    t.Right = w + 20; // past the picture
    t.Bottom = h + 5;
    t.FillStyle = bsHorizontal;
    t.Opacity = 200;
    t.Shadow->Radius = 0; // box blur
    v.AddShape();
    t.Kind = vkBox;
    t.Left = 100;
    t.Top = 30;
    t.Right = 160;
    t.Bottom = 80;
    t.Highlight = 1;
    t.FillColor = 0x0080FFFF;
    t.Shadow->Enabled = 0;
    v.AddShape();
    t.Kind = vkLine;
    t.Highlight = 0;
    t.Left = 180;
    t.Top = 10;
    t.Right = 120;
    t.Bottom = 90;
    t.PenWidth = 4;
    t.StartArrow = 1;
    t.EndArrow = 2;
    t.Shadow->Enabled = 1;
    t.Shadow->Radius = 4;
    v.AddShape();
    t.Kind = vkText;
    t.Left = w - 90;
    t.Top = -6;
    t.Right = w + 40;
    t.Bottom = 20;
    t.Opacity = 180;
    v.SetShapeText(-1, "Corner text");
    v.AddShape();
    // Points outside their base frame land outside the box: more than the
    // box promised, so the buffer must grow for it.
    t.Kind = vkPolyline;
    t.Left = 150;
    t.Top = 100;
    t.Right = 170;
    t.Bottom = 120;
    t.PolyPoints = {{0, 0}, {10, 0}, {-40, 30}, {60, 50}};
    t.PolyBase = Rect(0, 0, 10, 10);
    t.Opacity = 255;
    t.Shadow->Radius = 2;
    v.AddShape();
}

} // namespace vellinor::test
