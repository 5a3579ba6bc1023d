// Whole-bitmap copies, size changes, canvas resize and rectangle copies.

#include "image/TIEBitmap.h"
#include "platform/PlatformBitmap.h"

#include <algorithm>
#include <cstring>

namespace vellinor {

namespace {

int BytesPerPixel(TIEPixelFormat f) {
    switch (f) {
    case ie8p:
    case ie8g:
        return 1;
    case ie16g:
        return 2;
    case ie24RGB:
    case ieCIELab:
        return 3;
    case ie32f:
    case ieCMYK:
    case ie32RGB:
        return 4;
    case ieRGB48:
        return 6;
    default:
        return 0;
    }
}

bool GetBitOf(const uint8_t* row, int x) {
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

void PutBitOf(uint8_t* row, int x, bool value) {
    const auto bit = static_cast<uint8_t>(0x80 >> (x & 7));
    row[x >> 3] =
        value ? static_cast<uint8_t>(row[x >> 3] | bit) : static_cast<uint8_t>(row[x >> 3] & ~bit);
}

} // namespace

// --- Whole copies ---------------------------------------------------------------

void TIEBitmap::CopyFrom(TIEBitmap& source) {
    CopyWholeFrom(source, true);
}

void TIEBitmap::CopyPixelsFrom(TIEBitmap& source) {
    CopyWholeFrom(source, false);
}

void TIEBitmap::CopyWholeFrom(TIEBitmap& source, bool withAlphaAndDither) {
    if (&source == this) return;
    source.Sync();
    if (!withAlphaAndDither && source.IsVoid()) return;
    FullReallocate = true;
    if (fLocation == ieTBitmap) {
        if (source.IsVoid()) return;
        if (!PlatformCanHold(source.fFormat)) {
            // No platform depth for this format: keep it in memory instead.
            std::unique_ptr<TIEBitmap> alpha = std::move(fAlpha);
            Discard(true);
            fAlpha = std::move(alpha);
            fLocation = ieMemory;
        }
    }
    if (fLocation != ieTBitmap) fRowAlignment = source.fRowAlignment;
    const bool sameRows =
        ComputeRowBytes(source.fWidth, source.fFormat, fRowAlignment) == source.fRowBytes;
    Reallocate(source.fWidth, source.fHeight, source.fFormat, !withAlphaAndDither, sameRows);
    CopyRowsFrom(source);
    if (withAlphaAndDither && !IsAlphaPlane) {
        if (source.fAlpha) {
            AlphaPlane()->CopyFrom(*source.fAlpha);
        } else {
            DropAlphaPlane(false, clWhite);
        }
    }
    source.CopyPaletteTo(*this);
    if (withAlphaAndDither) {
        DitherMethod = source.DitherMethod;
        Opaque = source.Opaque;
    } else {
        Opaque = false;
    }
}

void TIEBitmap::CopyRowsFrom(TIEBitmap& source) {
    if (IsVoid() || source.IsVoid()) return;
    const uint8_t sourceAccess = source.SwitchAccess(iedaRead);
    const uint8_t access = SwitchAccess(iedaWrite);
    const int rows = std::min(fHeight, source.fHeight);
    const int bytes = std::min(fRowBytes, source.fRowBytes);
    const bool narrow16 = source.fFormat == ie16g && fFormat == ie8g;
    if (fFile.Active() && source.fFile.Active() && fRowBytes == source.fRowBytes &&
        fHeight == source.fHeight) {
        fFile.CopyContentsFrom(source.fFile, iedaRead, iedaWrite);
    } else if (fStart != nullptr && source.fStart != nullptr && fRowBytes == source.fRowBytes &&
               fHeight == source.fHeight) {
        std::memcpy(fStart, source.fStart, static_cast<size_t>(fRowBytes) * fHeight);
    } else {
        for (int y = 0; y < rows; ++y) {
            const uint8_t* src = source.Row(y);
            uint8_t* dst = Row(y);
            if (narrow16) {
                const auto* words = reinterpret_cast<const uint16_t*>(src);
                for (int x = 0; x < fWidth; ++x)
                    dst[x] = static_cast<uint8_t>(words[x] >> 8);
            } else {
                std::memcpy(dst, src, static_cast<size_t>(bytes));
            }
        }
    }
    SwitchAccess(access);
    source.SwitchAccess(sourceAccess);
}

void TIEBitmap::CopyPaletteTo(TIEBitmap& dest) const {
    if (&dest == this) return;
    Sync();
    if (fPalette.empty()) {
        dest.fPalette.clear();
        dest.PaletteUsed = 256;
    } else {
        dest.fPalette = fPalette;
        dest.PaletteUsed = PaletteUsed;
    }
    dest.PushPaletteToPlatform();
}

void TIEBitmap::CopyFrom(TPlatformBitmap& source) {
    FullReallocate = true;
    CopyFromVclBitmap(source);
}

// --- Size changes ---------------------------------------------------------------

void TIEBitmap::ChangeWidth(int width) {
    Sync();
    if (width == fWidth || width < 0) return;
    if (fAlpha) fAlpha->ChangeWidth(width);
    if (fLocation == ieTBitmap && fVcl != nullptr) {
        fVcl->SetSize(width, fHeight);
        Sync();
        return;
    }
    if (fFormat == ieNull || fHeight == 0) {
        fWidth = width;
        return;
    }
    ResizeStorage(width, fHeight);
}

void TIEBitmap::ChangeHeight(int height) {
    Sync();
    if (height == fHeight || height < 0) return;
    if (fAlpha) fAlpha->ChangeHeight(height);
    if (fLocation == ieTBitmap && fVcl != nullptr) {
        fVcl->SetSize(fWidth, height);
        Sync();
        return;
    }
    if (fFormat == ieNull || fWidth == 0) {
        fHeight = height;
        return;
    }
    ResizeStorage(fWidth, height);
}

void TIEBitmap::ResizeStorage(int width, int height) {
    TIEBitmap old;
    old.MinFileSize = MinFileSize;
    HandOver(old);
    FullReallocate = true;
    if (Setup(width, height, old.fFormat)) {
        const uint8_t access = SwitchAccess(iedaRead | iedaWrite);
        const int rows = std::min(old.fHeight, fHeight);
        const int bytes = std::min(old.fRowBytes, fRowBytes);
        for (int y = 0; y < rows; ++y) {
            std::memcpy(Row(y), old.Row(y), static_cast<size_t>(bytes));
        }
        SwitchAccess(access);
        fPalette = old.fPalette;
        PaletteUsed = old.PaletteUsed;
        PushPaletteToPlatform();
    }
    fAlpha = std::move(old.fAlpha);
    Opaque = false;
}

void TIEBitmap::ResizeCanvas(int newWidth, int newHeight, double fillValue, int alphaFill,
                             int horizAlign, int vertAlign) {
    Sync();
    const int w = fWidth;
    const int h = fHeight;
    if (newWidth < 0 || newHeight < 0) return;
    auto bothPlanes = [&](auto&& step) {
        step(*this, fillValue);
        if (fAlpha) step(*fAlpha, static_cast<double>(alphaFill));
    };

    // Growing in both directions (the frame of the stamping workflow) in one
    // pass: the storage grows once, the old rows move in place (bottom row
    // first, so none is overwritten before it moved) and only the new
    // margins are filled. The pixels come out as the general path gives them.
    const bool grows = newWidth >= w && newHeight >= h && (newWidth > w || newHeight > h);
    if (grows && BytesPerPixel(fFormat) > 0 && !IsVoid()) {
        auto offset = [](int align, int grow) {
            return align == 1 ? grow / 2 : align == 2 ? grow : 0;
        };
        const int dx = offset(horizAlign, newWidth - w), dy = offset(vertAlign, newHeight - h);
        if (fAlpha) {
            fAlpha->ChangeWidth(newWidth);
            fAlpha->ChangeHeight(newHeight);
        }
        if (fLocation == ieTBitmap && fVcl != nullptr) {
            fVcl->SetSize(newWidth, newHeight);
            Sync();
        } else {
            ResizeStorage(newWidth, newHeight);
        }
        if (fWidth != newWidth || fHeight != newHeight) return; // out of memory
        bothPlanes([&](TIEBitmap& b, double fill) {
            if (dx != 0 || dy != 0) {
                const size_t bytes = static_cast<size_t>(w) * BytesPerPixel(b.fFormat);
                const size_t shift = static_cast<size_t>(dx) * BytesPerPixel(b.fFormat);
                const uint8_t access = b.SwitchAccess(iedaRead | iedaWrite);
                std::vector<uint8_t> line(b.RowPointersStable() ? 0 : bytes);
                for (int y = h - 1; y >= 0; --y) {
                    const uint8_t* src = b.Row(y);
                    if (!line.empty())
                        src = static_cast<uint8_t*>(std::memcpy(line.data(), src, bytes));
                    std::memmove(b.Row(y + dy) + shift, src, bytes);
                }
                b.SwitchAccess(access);
            }
            b.FillArea(0, 0, newWidth - 1, dy - 1, fill);
            b.FillArea(0, dy + h, newWidth - 1, newHeight - 1, fill);
            b.FillArea(0, dy, dx - 1, dy + h - 1, fill);
            b.FillArea(dx + w, dy, newWidth - 1, dy + h - 1, fill);
        });
        return;
    }

    // Shrinking: bring the part that stays to the top-left corner.
    bothPlanes([&](TIEBitmap& b, double fill) {
        if (newWidth < w) {
            const int d = w - newWidth;
            if (horizAlign == 1) b.MoveBlock(d / 2, 0, d / 2 + newWidth - 1, h - 1, 0, 0, fill);
            if (horizAlign == 2) b.MoveBlock(d, 0, w - 1, h - 1, 0, 0, fill);
        }
        if (newHeight < h) {
            const int d = h - newHeight;
            if (vertAlign == 1) b.MoveBlock(0, d / 2, w - 1, d / 2 + newHeight - 1, 0, 0, fill);
            if (vertAlign == 2) b.MoveBlock(0, d, w - 1, h - 1, 0, 0, fill);
        }
    });

    ChangeWidth(newWidth);
    ChangeHeight(newHeight);

    // Growing: fill the new strips, then move the old picture into place.
    bothPlanes([&](TIEBitmap& b, double fill) {
        if (w < newWidth) {
            b.FillArea(w, 0, newWidth - 1, newHeight - 1, fill);
            if (horizAlign == 1) b.MoveBlock(0, 0, w - 1, h - 1, (newWidth - w) / 2, 0, fill);
            if (horizAlign == 2) b.MoveBlock(0, 0, w - 1, h - 1, newWidth - w, 0, fill);
        }
        if (h < newHeight) {
            b.FillArea(0, h, newWidth - 1, newHeight - 1, fill);
            if (vertAlign == 1) {
                b.MoveBlock(0, 0, newWidth - 1, h - 1, 0, (newHeight - h) / 2, fill);
            }
            if (vertAlign == 2) b.MoveBlock(0, 0, newWidth - 1, h - 1, 0, newHeight - h, fill);
        }
    });
}

void TIEBitmap::MoveBlock(int x1, int y1, int x2, int y2, int destX, int destY, double fill) {
    const int w = x2 - x1 + 1;
    const int h = y2 - y1 + 1;
    if (w <= 0 || h <= 0) return;
    TIEBitmap block;
    block.MinFileSize = MinFileSize;
    if (!block.Setup(w, h, PixelFormat())) return;
    CopyArea(block, x1, y1, 0, 0, w, h);
    FillArea(x1, y1, x2, y2, fill);
    block.CopyArea(*this, 0, 0, destX, destY, w, h);
}

// --- Rectangle copies -------------------------------------------------------------

void TIEBitmap::CopyArea(TIEBitmap& dest, int srcX, int srcY, int destX, int destY, int width,
                         int height) {
    Sync();
    dest.Sync();
    if (destX < 0) {
        srcX -= destX;
        width += destX;
        destX = 0;
    }
    if (destY < 0) {
        srcY -= destY;
        height += destY;
        destY = 0;
    }
    if (srcX < 0) {
        destX -= srcX;
        width += srcX;
        srcX = 0;
    }
    if (srcY < 0) {
        destY -= srcY;
        height += srcY;
        srcY = 0;
    }
    if (srcX >= fWidth || srcY >= fHeight || destX >= dest.fWidth || destY >= dest.fHeight) return;
    width = std::min({width, fWidth - srcX, dest.fWidth - destX});
    height = std::min({height, fHeight - srcY, dest.fHeight - destY});
    if (width <= 0 || height <= 0) return;

    const TIEPixelFormat from = fFormat;
    const TIEPixelFormat to = dest.fFormat;
    const bool bits = from == ie1g && to == ie1g;
    const bool bitsToRGB = from == ie1g && to == ie24RGB;
    const int bytesPerPixel = from == to ? BytesPerPixel(from) : 0;
    if (!bits && !bitsToRGB && bytesPerPixel == 0) return;

    // Row pointers of a row-buffered file are valid one at a time: go through
    // a line buffer when reading and writing the same bitmap.
    const bool viaBuffer = &dest == this && !RowPointersStable();
    std::vector<uint8_t> line(viaBuffer ? static_cast<size_t>(fRowBytes) : 0);
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = Row(srcY + y);
        if (viaBuffer) {
            std::memcpy(line.data(), src, line.size());
            src = line.data();
        }
        uint8_t* dst = dest.Row(destY + y);
        if (bits) {
            for (int x = 0; x < width; ++x)
                PutBitOf(dst, destX + x, GetBitOf(src, srcX + x));
        } else if (bitsToRGB) {
            for (int x = 0; x < width; ++x) {
                const uint8_t v = GetBitOf(src, srcX + x) ? 255 : 0;
                std::memset(dst + 3 * (destX + x), v, 3);
            }
        } else {
            std::memmove(dst + static_cast<size_t>(destX) * bytesPerPixel,
                         src + static_cast<size_t>(srcX) * bytesPerPixel,
                         static_cast<size_t>(width) * bytesPerPixel);
        }
    }
}

void TIEBitmap::CopyAlphaArea(TIEBitmap& dest, int srcX, int srcY, int destX, int destY, int width,
                              int height) {
    if (!HasAlphaPlane() && !dest.HasAlphaPlane()) return;
    TIEBitmap* from = AlphaPlane();
    TIEBitmap* to = dest.AlphaPlane();
    if (from == nullptr || to == nullptr) return;
    if (from->PixelFormat() != ie8g || to->PixelFormat() != ie8g) return;
    from->CopyArea(*to, srcX, srcY, destX, destY, width, height);
}

} // namespace vellinor
