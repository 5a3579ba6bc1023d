// Pixel format changes: ConvertTo in place and ConvertPixelsFrom another
// bitmap, with the palette and black-and-white targets.

#include "image/Dithering.h"
#include "image/PixelRowConversion.h"
#include "image/PixelRowSimd.h"
#include "image/TIEBitmap.h"
#include "platform/PlatformBitmap.h"
#include "proc/TIEQuantizer.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace vellinor {

namespace {

bool IsGrayLevelFormat(TIEPixelFormat f) {
    return f == ie8g || f == ie16g || f == ie32f;
}

std::vector<TRGB> GrayRampPalette() {
    std::vector<TRGB> ramp(256);
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        ramp[static_cast<size_t>(i)] = TRGB{v, v, v};
    }
    return ramp;
}

} // namespace

void TIEBitmap::ConvertTo(TIEPixelFormat format) {
    Sync();
    if (format == fFormat || !IsValidPixelFormat(format)) return;
    if (fLocation == ieTBitmap) {
        ConvertOnPlatform(format);
        return;
    }
    if (ConvertInPlace(format)) return;
    const bool hadPixels = fFormat != ieNull && !IsVoid();
    TIEBitmap old;
    old.MinFileSize = MinFileSize;
    HandOver(old);
    if (!Setup(old.fWidth, old.fHeight, format)) {
        // Without memory for the new pixels the picture stays as it was.
        if (hadPixels && format != ieNull) old.HandOver(*this);
        return;
    }
    if (old.fFormat != ieNull) ConvertRowsFrom(old);
    fAlpha = std::move(old.fAlpha);
}

// A picture in one memory block is converted within that block: saves a
// second picture's allocation and page faults. Rows get shorter: they are
// rewritten from the lowest address up, so each new row only covers bytes
// already read. Rows get longer: the block grows first and rows are rewritten
// from the highest address down, each source row copied aside before its new
// row overwrites it (ie24RGB -> ie32RGB is written from its last pixel back
// instead, which needs no copy).
bool TIEBitmap::ConvertInPlace(TIEPixelFormat format) {
    if (fLocation != ieMemory || fStart == nullptr || !fFragments.empty() || fFile.Active()) {
        return false;
    }
    // The palette and black-and-white targets look at the whole picture first.
    if (fFormat == ieNull || format == ieNull || format == ie8p || format == ie1g || IsVoid()) {
        return false;
    }
    const int64_t rowBytes = ComputeRowBytes(fWidth, format, fRowAlignment);
    if (rowBytes <= 0) return false;
    const int64_t size = rowBytes * fHeight;
    // Wider pixels can still fit the old rows' padding; they are written
    // backwards all the same.
    const bool grows = kIEBitsPerPixel[format] > fBitsPerPixel;
    if (!grows && rowBytes > fRowBytes) return false;
    if (rowBytes > fRowBytes) {
        if (size > MinFileSize) return false;
        const ptrdiff_t offset = fStart - fBlock.Data();
        if (!fBlock.Grow(static_cast<size_t>(size) + 128)) return false;
        fStart = fBlock.Data() + offset;
    }

    const TIEPixelFormat from = fFormat;
    const int width = fWidth;
    std::vector<TRGB> line(static_cast<size_t>(width));
    std::vector<uint8_t> sourceRow(grows ? static_cast<size_t>(fRowBytes) : 0);
    auto convertRow = [&](int k) {
        const uint8_t* src = fStart + static_cast<int64_t>(fRowBytes) * k;
        uint8_t* dst = fStart + rowBytes * k;
        if (grows) {
            if (from == ie24RGB && format == ie32RGB) {
                simd::RGB24ToRGB32Backward(src, dst, width);
                return;
            }
            std::memcpy(sourceRow.data(), src, sourceRow.size());
            src = sourceRow.data();
        }
        if (!ConvertRowDirect(from, format, src, dst, width)) {
            RowToRGB(from, src, line.data(), width, fPalette);
            RowFromRGB(format, line.data(), dst, width);
        }
    };
    if (grows) {
        for (int k = fHeight - 1; k >= 0; --k)
            convertRow(k);
    } else {
        for (int k = 0; k < fHeight; ++k)
            convertRow(k);
        fBlock.Shrink(static_cast<size_t>(size) + 128);
    }
    fFormat = format;
    DeriveRowValues();
    fPalette.clear();
    Opaque = false;
    return true;
}

void TIEBitmap::ConvertPixelsFrom(TIEBitmap& source) {
    if (&source == this) return;
    Sync();
    source.Sync();
    if (fLocation == ieTBitmap) return;
    if (source.fWidth != fWidth || source.fHeight != fHeight) return;
    if (IsVoid() || source.IsVoid() || fFormat == ieNull || source.fFormat == ieNull) return;
    ConvertRowsFrom(source);
    if (source.fAlpha && !IsAlphaPlane) AlphaPlane()->CopyFrom(*source.fAlpha);
}

void TIEBitmap::ConvertRowsFrom(TIEBitmap& source) {
    const TIEPixelFormat from = source.fFormat;
    const TIEPixelFormat to = fFormat;
    if (to == ie8p && from != ie8p) {
        ConvertToIndexed(source);
        return;
    }
    if (to == ie1g && from != ie1g) {
        ConvertToBlackAndWhite(source);
        return;
    }
    const int width = fWidth;
    const uint8_t sourceAccess = source.SwitchAccess(iedaRead);
    const uint8_t access = SwitchAccess(iedaWrite);
    std::vector<TRGB> line(static_cast<size_t>(width));
    const size_t sameFormatBytes = static_cast<size_t>(std::min(fRowBytes, source.fRowBytes));
    for (int y = 0; y < fHeight; ++y) {
        const uint8_t* src = source.Row(y);
        uint8_t* dst = Row(y);
        if (from == to) {
            std::memcpy(dst, src, sameFormatBytes);
        } else if (!ConvertRowDirect(from, to, src, dst, width)) {
            RowToRGB(from, src, line.data(), width, source.fPalette);
            RowFromRGB(to, line.data(), dst, width);
        }
    }
    SwitchAccess(access);
    source.SwitchAccess(sourceAccess);
    if (from == to && to == ie8p) {
        fPalette = source.fPalette;
        PushPaletteToPlatform();
    }
}

void TIEBitmap::ConvertToIndexed(TIEBitmap& source) {
    const TIEPixelFormat from = source.fFormat;
    const int width = fWidth;
    fPalette.assign(256, TRGB{});

    // An ie24RGB picture to quantize: the source itself or a converted copy.
    TIEBitmap converted;
    TIEBitmap* rgb = &source;
    const bool quantize = from != ie1g && !IsGrayLevelFormat(from);
    if (quantize && from != ie24RGB) {
        converted.MinFileSize = MinFileSize;
        if (!converted.Setup(width, fHeight, ie24RGB)) return;
        converted.ConvertRowsFrom(source);
        rgb = &converted;
    }

    const uint8_t sourceAccess = rgb->SwitchAccess(iedaRead);
    const uint8_t access = SwitchAccess(iedaWrite);
    if (from == ie1g) {
        fPalette[1] = TRGB{255, 255, 255};
        std::vector<uint8_t> gray(static_cast<size_t>(width));
        for (int y = 0; y < fHeight; ++y) {
            ConvertRowDirect(ie1g, ie8g, source.Row(y), gray.data(), width);
            uint8_t* dst = Row(y);
            for (int x = 0; x < width; ++x)
                dst[x] = gray[static_cast<size_t>(x)] ? 1 : 0;
        }
    } else if (!quantize) {
        fPalette = GrayRampPalette();
        for (int y = 0; y < fHeight; ++y) {
            const uint8_t* src = source.Row(y);
            uint8_t* dst = Row(y);
            if (from == ie8g) {
                std::memcpy(dst, src, static_cast<size_t>(width));
            } else {
                ConvertRowDirect(from, ie8g, src, dst, width);
            }
        }
    } else {
        const int colors = std::clamp(PaletteUsed, 1, 256);
        TIEQuantizer quantizer(*rgb, fPalette, colors);
        for (int y = 0; y < fHeight; ++y) {
            const auto* src = reinterpret_cast<const TRGB*>(rgb->Row(y));
            quantizer.MapRow(src, Row(y), width);
        }
    }
    SwitchAccess(access);
    rgb->SwitchAccess(sourceAccess);
    PushPaletteToPlatform();
}

void TIEBitmap::ConvertToBlackAndWhite(TIEBitmap& source) {
    const TIEPixelFormat from = source.fFormat;
    const int width = fWidth;
    const uint8_t sourceAccess = source.SwitchAccess(iedaRead);
    const uint8_t access = SwitchAccess(iedaWrite);
    std::vector<TRGB> line(static_cast<size_t>(width));
    std::vector<uint8_t> gray(static_cast<size_t>(width));
    const bool ordered = DitherMethod == ieOrdered;
    int threshold = 0;
    if (!ordered) {
        TAverageGray average;
        for (int y = 0; y < fHeight; ++y) {
            const uint8_t* src = source.Row(y);
            if (from == ie24RGB) {
                average.AddRow(reinterpret_cast<const TRGB*>(src), width);
            } else {
                RowToRGB(from, src, line.data(), width, source.fPalette);
                average.AddRow(line.data(), width);
            }
        }
        threshold = average.Threshold();
    }
    for (int y = 0; y < fHeight; ++y) {
        RowToGray(from, source.Row(y), gray.data(), width, source.fPalette, line.data());
        uint8_t* dst = Row(y);
        if (ordered) {
            DitherRowOrdered(gray.data(), dst, width, y);
        } else {
            ThresholdRow(gray.data(), dst, width, threshold);
        }
    }
    SwitchAccess(access);
    source.SwitchAccess(sourceAccess);
}

// On the platform bitmap the pixels are converted in a memory copy and
// written back into the same platform bitmap, so that a wrapped bitmap sees
// the change. Formats the platform cannot hold leave it for memory.
void TIEBitmap::ConvertOnPlatform(TIEPixelFormat format) {
    if (fVcl == nullptr || IsVoid()) {
        if (fVcl != nullptr && PlatformCanHold(format)) {
            fVcl->SetBitCount(PlatformBitCount(format));
            if (format == ie8g || format == ie16g) fVcl->SetColorTable(GrayRampPalette());
            fWidth = -1; // take the new depth over
            fVclGeneration = std::numeric_limits<uint64_t>::max();
            Sync();
        } else {
            std::unique_ptr<TIEBitmap> alpha = std::move(fAlpha);
            const int width = fWidth, height = fHeight;
            Discard(true);
            if (!PlatformCanHold(format)) fLocation = ieMemory;
            fWidth = std::max(width, 0);
            fHeight = std::max(height, 0);
            fFormat = format;
            DeriveRowValues();
            fAlpha = std::move(alpha);
        }
        return;
    }

    TIEBitmap work;
    work.fLocation = ieMemory;
    work.MinFileSize = MinFileSize;
    work.DitherMethod = DitherMethod;
    work.PaletteUsed = PaletteUsed;
    if (!work.Setup(fWidth, fHeight, fFormat)) return;
    work.CopyRowsFrom(*this);
    work.fPalette = fPalette;
    work.ConvertTo(format);
    if (work.fFormat != format || work.IsVoid()) return;

    const int width = fWidth, height = fHeight;
    const bool fits = PlatformCanHold(format) && fVcl->SetSize(0, 0) &&
                      fVcl->SetBitCount(PlatformBitCount(format)) && fVcl->SetSize(width, height);
    if (!fits) {
        std::unique_ptr<TIEBitmap> alpha = std::move(fAlpha);
        work.HandOver(*this);
        fAlpha = std::move(alpha);
        return;
    }
    if (format == ie8p) {
        fVcl->SetColorTable(work.fPalette);
    } else if (format == ie8g || format == ie16g) {
        fVcl->SetColorTable(GrayRampPalette());
    }
    const size_t bytes = static_cast<size_t>(std::min(work.fRowBytes, fVcl->RowBytes()));
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = work.Row(y);
        uint8_t* dst = fVcl->ScanLine(y);
        if (format == ie16g) {
            ConvertRowDirect(ie16g, ie8g, src, dst, width);
        } else {
            std::memcpy(dst, src, bytes);
        }
    }
    PaletteUsed = work.PaletteUsed;
    fWidth = -1; // take everything from the rebuilt platform bitmap
    fVclGeneration = std::numeric_limits<uint64_t>::max();
    Sync();
}

} // namespace vellinor
