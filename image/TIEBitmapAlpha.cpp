// The alpha plane: an ie8g bitmap of the same size, 255 = opaque.

#include "image/TIEBitmap.h"

#include <algorithm>

namespace vellinor {

TIEBitmap* TIEBitmap::AlphaPlane() {
    if (IsAlphaPlane) return nullptr;
    if (!fAlpha) {
        auto plane = std::make_unique<TIEBitmap>();
        plane->IsAlphaPlane = true;
        plane->MinFileSize = MinFileSize;
        plane->fLocation = fLocation == ieTBitmap ? ieMemory : fLocation;
        plane->Setup(Width(), Height(), ie8g);
        plane->FillAll(255);
        plane->Opaque = true;
        fAlpha = std::move(plane);
    }
    return fAlpha.get();
}

void TIEBitmap::DropAlphaPlane(bool blend, TColor backgroundColour) {
    if (IsAlphaPlane || !fAlpha) return;
    if (blend && PixelFormat() == ie24RGB && fAlpha->Width() == fWidth &&
        fAlpha->Height() == fHeight) {
        const TRGB bg = TColor2TRGB(backgroundColour);
        const int b[3] = {bg.b, bg.g, bg.r};
        for (int y = 0; y < fHeight; ++y) {
            const uint8_t* alpha = fAlpha->Row(y);
            uint8_t* p = Row(y);
            for (int x = 0; x < fWidth; ++x) {
                const int a = alpha[x];
                for (int c = 0; c < 3; ++c, ++p) {
                    // Arithmetic shift: floor division by 256, also for p < b.
                    *p = static_cast<uint8_t>(b[c] + (((*p - b[c]) * a) >> 8));
                }
            }
        }
    }
    fAlpha.reset();
}

void TIEBitmap::AttachAlphaPlane(std::unique_ptr<TIEBitmap> plane) {
    if (IsAlphaPlane) return;
    fAlpha = std::move(plane);
    if (fAlpha) {
        fAlpha->IsAlphaPlane = true;
        fAlpha->fAlpha.reset();
    }
}

std::unique_ptr<TIEBitmap> TIEBitmap::DetachAlphaPlane() {
    std::unique_ptr<TIEBitmap> plane = std::move(fAlpha);
    if (plane) plane->IsAlphaPlane = false;
    return plane;
}

uint8_t TIEBitmap::GetAlpha(int x, int y) {
    if (IsAlphaPlane) return GetByte(x, y);
    return AlphaPlane()->GetByte(x, y);
}

void TIEBitmap::SetAlpha(int x, int y, uint8_t value) {
    if (IsAlphaPlane) {
        SetByte(x, y, value);
    } else {
        AlphaPlane()->SetByte(x, y, value);
    }
}

void TIEBitmap::RecheckOpaque() {
    const int64_t bytes = PackedRowBytes();
    for (int y = 0; y < Height(); ++y) {
        const uint8_t* p = Row(y);
        if (!std::all_of(p, p + bytes, [](uint8_t v) { return v == 255; })) {
            Opaque = false;
            return;
        }
    }
    Opaque = true;
}

} // namespace vellinor
