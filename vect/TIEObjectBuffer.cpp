#include "vect/TIEObjectBuffer.h"

#include "platform/PlatformBitmap.h"

#include <cstring>
#include <memory>

namespace vellinor {

bool TIEObjectBuffer::Hold(int width, int height, const TRect& window) {
    TRect w = IntersectRect(window, Rect(0, 0, width, height));
    if (w.IsEmpty()) {
        Release();
        return false;
    }
    w.Left -= w.Left % 8;
    w.Top -= w.Top % 8;
    const int pw = static_cast<int>(w.Width()), ph = static_cast<int>(w.Height());
    const bool sameSize = fPixels.Width() == pw && fPixels.Height() == ph &&
                          fPixels.HasAlphaPlane() && fPixels.Location() == ieTBitmap;
    if (!sameSize) {
        fPixels.Discard(true);
        fPixels.Relocate(ieTBitmap);
        auto plane = std::make_unique<TIEBitmap>();
        plane->IsAlphaPlane = true;
        plane->Relocate(ieTBitmap);
        if (!fPixels.Setup(pw, ph, ie24RGB) || !plane->Setup(pw, ph, ie8g)) {
            Release();
            return false;
        }
        fPixels.AttachAlphaPlane(std::move(plane));
    }
    fWidth = width;
    fHeight = height;
    fWindow = w;
    return true;
}

void TIEObjectBuffer::Release() {
    fPixels.Discard(true);
    fWidth = fHeight = 0;
    fWindow = TRect{};
}

bool TIEObjectBuffer::Holds(const TRect& r) const {
    return r.Left >= fWindow.Left && r.Top >= fWindow.Top && r.Right <= fWindow.Right &&
           r.Bottom <= fWindow.Bottom;
}

TVectSurface TIEObjectBuffer::ColorSurface() {
    TVectSurface s;
    s.Bitmap = fPixels.AsVclBitmap();
    s.Container = &fPixels;
    s.OriginX = fWindow.Left;
    s.OriginY = fWindow.Top;
    s.Width = fWidth;
    s.Height = fHeight;
    return s;
}

TVectSurface TIEObjectBuffer::AlphaSurface() {
    TVectSurface s = ColorSurface();
    s.Bitmap = Alpha().AsVclBitmap();
    s.Container = &Alpha();
    return s;
}

void TIEObjectBuffer::FillColor(TColor color) {
    const TRGB c = TColor2TRGB(color);
    const int w = fPixels.Width();
    for (int y = 0; y < fPixels.Height(); ++y) {
        auto* row = reinterpret_cast<TRGB*>(fPixels.Row(y));
        std::fill(row, row + w, c);
    }
}

void TIEObjectBuffer::ClearAlpha() {
    TIEBitmap& a = Alpha();
    for (int y = 0; y < a.Height(); ++y)
        std::memset(a.Row(y), 0, static_cast<size_t>(a.Width()));
}

} // namespace vellinor
