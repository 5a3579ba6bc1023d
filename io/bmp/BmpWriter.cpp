// Writing BMP files: the bit count chosen by the parameters, the headers
// completed once the pixels are written.

#include "image/TIEBitmap.h"
#include "io/IOGuards.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/TwoColorConversion.h"
#include "io/bmp/BmpCodec.h"
#include "io/bmp/BmpPalette.h"
#include "io/bmp/BmpRle.h"
#include "platform/Stream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace vellinor {

namespace {

int32_t PixelsPerMetre(int dpi) {
    return static_cast<int32_t>(std::nearbyint(dpi / 2.54 * 100));
}

class TBmpWriter {
public:
    TBmpWriter(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, bool keepAlpha,
               TIOProgressRec& progress)
        : fStream(stream), fBitmap(bitmap), fParams(params), fKeepAlpha(keepAlpha),
          fProgress(progress) {}

    void Write();

private:
    int ChooseBitCount() const;
    bool Put(const void* data, int64_t count) {
        if (fProgress.Aborted()) return false;
        if (fStream.Write(data, count) != count) {
            fProgress.Abort();
            return false;
        }
        return true;
    }
    bool WriteHeaders();
    bool WritePalette();
    bool PrepareSource();
    void WriteRows();
    void WriteRowsDirect(TIEBitmap& source);
    void WriteIndexRows();
    void Finish();

    TStream& fStream;
    TIEBitmap& fBitmap;
    TIOParamsVals& fParams;
    bool fKeepAlpha;
    TIOProgressRec& fProgress;

    int fBits = 24;
    bool fCore = false;
    int fInfoSize = 40;
    bool fRle = false;
    int64_t fStart = 0;
    int64_t fInfoStart = 0;
    int64_t fPixelStart = 0;
    TIEBitmap* fSource = nullptr; // the bitmap whose rows are written
    TIEBitmap fConverted;         // a converted copy, when needed
    TBmpIndexSource fIndexes;     // 4 and 8 bits
};

int TBmpWriter::ChooseBitCount() const {
    if (fParams.BitsPerSample == 1 || fParams.BitsPerSample == 4) return fParams.BitsPerSample;
    if (fParams.SamplesPerPixel == 1) return 8;
    return fBitmap.HasAlphaPlane() ? 32 : 24;
}

bool TBmpWriter::PrepareSource() {
    const TIEPixelFormat format = fBitmap.PixelFormat();
    fSource = &fBitmap;
    if (fBits == 1) {
        const TRGB black{0, 0, 0}, white{255, 255, 255};
        fParams.Palette = {black, white};
        if (format == ie1g) return true;
        TRGB first{}, second{};
        if (MakeTwoColorBitmap(fBitmap, fConverted, first, second)) {
            fParams.Palette = {first, second};
        } else {
            fConverted.CopyFrom(fBitmap);
            fConverted.ConvertTo(ie1g);
        }
        fSource = &fConverted;
        return fConverted.PixelFormat() == ie1g;
    }
    if (fBits == 4 || fBits == 8) {
        fIndexes = TBmpIndexSource(fBitmap, 1 << fBits);
        fParams.Palette = fIndexes.Palette();
        return fIndexes.Valid();
    }
    if (format == ie24RGB) return true;
    fConverted.CopyFrom(fBitmap);
    fConverted.ConvertTo(ie24RGB);
    fSource = &fConverted;
    return fConverted.PixelFormat() == ie24RGB;
}

bool TBmpWriter::WriteHeaders() {
    fStart = fStream.Position();
    uint8_t file[14] = {'B', 'M'};
    if (!Put(file, 14)) return false;
    fInfoStart = fStream.Position();
    uint8_t h[64] = {};
    const int width = fBitmap.Width(), height = fBitmap.Height();
    if (fCore) {
        StoreLE32(h, 12);
        StoreLE16(h + 4, static_cast<uint16_t>(width));
        StoreLE16(h + 6, static_cast<uint16_t>(height));
        StoreLE16(h + 8, 1);
        return Put(h, 12);
    }
    StoreLE32(h, static_cast<uint32_t>(fInfoSize));
    StoreLE32(h + 4, static_cast<uint32_t>(width));
    StoreLE32(h + 8, static_cast<uint32_t>(height));
    StoreLE16(h + 12, 1);
    uint32_t compression = 0;
    if (fRle) compression = fBits == 4 ? 2 : 1;
    StoreLE32(h + 16, compression);
    StoreLE32(h + 24, static_cast<uint32_t>(PixelsPerMetre(fParams.ResolutionX())));
    StoreLE32(h + 28, static_cast<uint32_t>(PixelsPerMetre(fParams.ResolutionY())));
    StoreLE32(h + 32, fBits <= 8 ? 1u << fBits : 0);
    StoreLE32(h + 36, fBits == 32 ? 1u : 1u << std::min(fBits, 24));
    return Put(h, fInfoSize);
}

bool TBmpWriter::WritePalette() {
    if (fBits > 8) return true;
    const int entry = fCore ? 3 : 4;
    std::vector<uint8_t> bytes;
    for (const TRGB& c : fParams.Palette) {
        bytes.insert(bytes.end(), {c.b, c.g, c.r});
        if (entry == 4) bytes.push_back(0);
    }
    return Put(bytes.data(), static_cast<int64_t>(bytes.size()));
}

// Rows in the bitmap's own layout (1 and 24 bits), bottom row first.
void TBmpWriter::WriteRowsDirect(TIEBitmap& source) {
    const int height = source.Height();
    const int64_t rowBytes = source.RowBytes();
    const int64_t fileRow = (static_cast<int64_t>(source.Width()) * fBits + 31) / 32 * 4;
    int last = 0;
    const bool contiguous = rowBytes == fileRow && source.Location() == ieMemory &&
                            !source.UsesFragments() &&
                            source.Row(0) == source.Row(height - 1) + (height - 1) * rowBytes;
    if (contiguous) {
        // The block's lowest address is the bottom row: memory order is file order.
        const int blockRows = BlockRows(rowBytes, height);
        for (int done = 0; done < height; done += blockRows) {
            if (!fProgress.ReportUnitIfChanged(done, last)) return;
            const int rows = std::min(blockRows, height - done);
            if (!Put(source.Row(height - 1) + done * rowBytes, rows * rowBytes)) return;
        }
        return;
    }
    std::vector<uint8_t> row(static_cast<size_t>(fileRow));
    for (int y = height - 1; y >= 0; --y) {
        if (!fProgress.ReportUnitIfChanged(height - 1 - y, last)) return;
        std::memcpy(row.data(), source.Row(y), static_cast<size_t>(std::min(fileRow, rowBytes)));
        if (!Put(row.data(), fileRow)) return;
    }
}

void TBmpWriter::WriteIndexRows() {
    const int width = fBitmap.Width(), height = fBitmap.Height();
    const int64_t fileRow = (static_cast<int64_t>(width) * fBits + 31) / 32 * 4;
    std::vector<uint8_t> indexes(static_cast<size_t>(width));
    std::vector<uint8_t> out;
    int last = 0;
    for (int y = height - 1; y >= 0; --y) {
        if (!fProgress.ReportUnitIfChanged(height - 1 - y, last)) return;
        fIndexes.Row(y, indexes);
        out.clear();
        if (fRle) {
            if (fBits == 8) {
                EncodeRle8Row(indexes, out);
            } else {
                EncodeRle4Row(indexes, out);
            }
        } else {
            out.assign(static_cast<size_t>(fileRow), 0);
            for (int x = 0; x < width; ++x) {
                if (fBits == 8) {
                    out[static_cast<size_t>(x)] = indexes[static_cast<size_t>(x)];
                } else {
                    const auto i = static_cast<uint8_t>(indexes[static_cast<size_t>(x)] & 15);
                    out[static_cast<size_t>(x / 2)] |= (x & 1) ? i : static_cast<uint8_t>(i << 4);
                }
            }
        }
        if (!Put(out.data(), static_cast<int64_t>(out.size()))) return;
    }
    if (fRle) {
        const uint8_t endOfBitmap[2] = {0, 1};
        Put(endOfBitmap, 2);
    }
}

void TBmpWriter::WriteRows() {
    if (fBits == 4 || fBits == 8) {
        WriteIndexRows();
        return;
    }
    if (fBits != 32) {
        WriteRowsDirect(*fSource);
        return;
    }
    const int width = fSource->Width(), height = fSource->Height();
    TIEBitmap* alpha = fKeepAlpha && fBitmap.HasAlphaPlane() ? fBitmap.AlphaPlane() : nullptr;
    std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
    int last = 0;
    for (int y = height - 1; y >= 0; --y) {
        if (!fProgress.ReportUnitIfChanged(height - 1 - y, last)) return;
        const auto* src = reinterpret_cast<const TRGB*>(fSource->Row(y));
        const uint8_t* a = alpha != nullptr ? alpha->Row(y) : nullptr;
        for (int x = 0; x < width; ++x) {
            uint8_t* p = row.data() + 4 * x;
            p[0] = src[x].b;
            p[1] = src[x].g;
            p[2] = src[x].r;
            p[3] = a != nullptr ? a[x] : 255;
        }
        if (!Put(row.data(), static_cast<int64_t>(row.size()))) return;
    }
}

// Sizes, offsets and the bit count go into the headers at the end.
void TBmpWriter::Finish() {
    const int64_t end = fStream.Position();
    uint8_t file[14] = {'B', 'M'};
    StoreLE32(file + 2, static_cast<uint32_t>(end - fStart));
    StoreLE32(file + 10, static_cast<uint32_t>(fPixelStart - fStart));
    uint8_t bitCount[2];
    StoreLE16(bitCount, static_cast<uint16_t>(fBits));
    uint8_t imageSize[4];
    StoreLE32(imageSize, static_cast<uint32_t>(end - fPixelStart));
    bool ok = fStream.Seek(fStart, TSeekOrigin::soBeginning) == fStart && Put(file, 14);
    ok = ok && fStream.Seek(fInfoStart + (fCore ? 10 : 14), TSeekOrigin::soBeginning) >= 0 &&
         Put(bitCount, 2);
    if (ok && !fCore) {
        ok = fStream.Seek(fInfoStart + 20, TSeekOrigin::soBeginning) >= 0 && Put(imageSize, 4);
    }
    fStream.Seek(end, TSeekOrigin::soBeginning);
    if (!ok) fProgress.Abort();
}

void TBmpWriter::Write() {
    if (fBitmap.IsVoid()) {
        fProgress.Abort();
        return;
    }
    fBits = ChooseBitCount();
    fCore = fParams.BmpVersion == 2;
    fInfoSize = fParams.BmpVersion == 3 ? 64 : 40;
    fRle = fParams.BmpCompression == 1 && !fCore && (fBits == 4 || fBits == 8);
    if (fCore && (fBitmap.Width() > 0xFFFF || fBitmap.Height() > 0xFFFF)) {
        fProgress.Abort(); // the core header holds 16-bit sizes
        return;
    }
    if (!PrepareSource()) {
        fProgress.Abort();
        return;
    }
    if (!WriteHeaders() || !WritePalette()) return;
    fPixelStart = fStream.Position();
    fProgress.SetUnits(fBitmap.Height());
    WriteRows();
    if (!fProgress.Aborted()) Finish();
}

} // namespace

void WriteBmpStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, bool keepAlpha,
                    TIOProgressRec& progress) {
    TBmpWriter writer(stream, bitmap, params, keepAlpha, progress);
    writer.Write();
}

} // namespace vellinor
