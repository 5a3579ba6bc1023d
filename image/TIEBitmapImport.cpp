// Imports from platform bitmaps, DIB sections and selection masks, and the
// export to a mask.

#include "image/TIEBitmap.h"
#include "image/TIEDibbitmap.h"
#include "image/TIEMask.h"
#include "platform/PlatformBitmap.h"

#include <algorithm>
#include <cstring>

namespace vellinor {

void TIEBitmap::CopyFromVclBitmap(TPlatformBitmap& bitmap) {
    const int bits = bitmap.BitCount();
    const int w = bitmap.Width();
    const int h = bitmap.Height();
    if (fLocation == ieTBitmap) {
        // The platform face holds 1, 24 and 32 bits; others become 24 first.
        if (bits != 1 && bits != 24 && bits != 32) bitmap.SetBitCount(24);
        std::unique_ptr<TIEBitmap> alpha = std::move(fAlpha);
        if (fVcl == nullptr || fVclBorrowed) {
            Discard(true);
            fLocation = ieTBitmap;
            fOwnedVcl = std::make_unique<TPlatformBitmap>();
            fVcl = fOwnedVcl.get();
        }
        fAlpha = std::move(alpha);
        fVcl->Assign(bitmap);
        fRowAlignment = 32;
        fWidth = -1; // take everything from the copy
        Sync();
        Opaque = false;
        return;
    }

    auto copyRows = [&] {
        const int bytes = std::min(RowBytes(), bitmap.RowBytes());
        for (int y = 0; y < h; ++y)
            std::memcpy(Row(y), bitmap.ScanLine(y), bytes);
    };
    auto takePalette = [&] {
        const auto& table = bitmap.ColorTable();
        for (size_t i = 0; i < table.size() && i < fPalette.size(); ++i)
            fPalette[i] = table[i];
    };
    switch (bits) {
    case 1:
        if (bitmap.IsMonochrome()) {
            if (!Setup(w, h, ie1g)) return;
            copyRows();
        } else {
            if (!Setup(w, h, ie8p)) return;
            takePalette();
            for (int y = 0; y < h; ++y) {
                const uint8_t* src = bitmap.ScanLine(y);
                uint8_t* dst = Row(y);
                for (int x = 0; x < w; ++x)
                    dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
            }
        }
        break;
    case 4:
        if (!Setup(w, h, ie8p)) return;
        takePalette();
        for (int y = 0; y < h; ++y) {
            const uint8_t* src = bitmap.ScanLine(y);
            uint8_t* dst = Row(y);
            for (int x = 0; x < w; ++x)
                dst[x] = (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4);
        }
        break;
    case 8:
        if (!Setup(w, h, ie8p)) return;
        takePalette();
        copyRows();
        break;
    case 15:
    case 16:
        if (!Setup(w, h, ie24RGB)) return;
        for (int y = 0; y < h; ++y) {
            const uint8_t* src = bitmap.ScanLine(y);
            auto* dst = reinterpret_cast<TRGB*>(Row(y));
            for (int x = 0; x < w; ++x) {
                const unsigned v = src[2 * x] | (src[2 * x + 1] << 8);
                if (bits == 15) {
                    dst[x] = MakeRGB(static_cast<uint8_t>(((v >> 10) & 31) << 3),
                                     static_cast<uint8_t>(((v >> 5) & 31) << 3),
                                     static_cast<uint8_t>((v & 31) << 3));
                } else {
                    dst[x] = MakeRGB(static_cast<uint8_t>(((v >> 11) & 31) << 3),
                                     static_cast<uint8_t>(((v >> 5) & 63) << 2),
                                     static_cast<uint8_t>((v & 31) << 3));
                }
            }
        }
        break;
    case 24:
        if (!Setup(w, h, ie24RGB)) return;
        copyRows();
        break;
    case 32:
        if (!Setup(w, h, ie32RGB)) return;
        copyRows();
        break;
    default:
        return;
    }
    Opaque = false;
}

void TIEBitmap::CopyFromDib(TIEDibbitmap& dib) {
    TIEPixelFormat format = ieNull;
    switch (dib.BitsPerPixel()) {
    case 1:
        format = ie1g;
        break;
    case 8:
        format = ie8g;
        break;
    case 24:
        format = ie24RGB;
        break;
    case 32:
        format = ie32RGB;
        break;
    default:
        return;
    }
    if (!Setup(dib.Width(), dib.Height(), format)) return;
    const int bytes = std::min(RowBytes(), dib.RowBytes());
    for (int y = 0; y < dib.Height(); ++y)
        std::memcpy(Row(y), dib.ScanLine(y), bytes);
}

void TIEBitmap::CopyFromMask(const TIEMask* mask) {
    if (mask == nullptr || mask->IsEmpty()) {
        FillAll(255);
        return;
    }
    if (!Setup(mask->Width(), mask->Height(), mask->BitsPerPixel() == 1 ? ie1g : ie8g)) return;
    const int bytes = std::min(RowBytes(), mask->RowBytes());
    for (int y = 0; y < mask->Height(); ++y)
        std::memcpy(Row(y), mask->ScanLine(y), bytes);
    Opaque = mask->Full;
}

void TIEBitmap::CopyToMask(TIEMask& mask) {
    const TIEPixelFormat format = PixelFormat();
    if (IsVoid()) return;
    if (format == ie1g || format == ie8g) {
        if (!mask.Allocate(fWidth, fHeight, format == ie1g ? 1 : 8)) return;
        const int bytes = std::min(fRowBytes, mask.RowBytes());
        for (int y = 0; y < fHeight; ++y)
            std::memcpy(mask.ScanLine(y), Row(y), bytes);
        mask.Full = Opaque;
    } else if (format == ie24RGB) {
        const bool full = mask.Full;
        if (!mask.Allocate(fWidth, fHeight, 8)) return;
        for (int y = 0; y < fHeight; ++y) {
            const auto* src = reinterpret_cast<const TRGB*>(Row(y));
            uint8_t* dst = mask.ScanLine(y);
            for (int x = 0; x < fWidth; ++x)
                dst[x] = static_cast<uint8_t>(GrayLevel(src[x]) >> 2);
        }
        mask.Full = full;
    } else {
        return;
    }
    mask.SyncBoundingBox();
}

} // namespace vellinor
