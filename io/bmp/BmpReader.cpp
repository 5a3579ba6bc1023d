// Reading BMP files: headers, palette, then the pixels by bit count.

#include "image/TIEBitmap.h"
#include "image/TIEMask.h"
#include "io/IOGuards.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/bmp/BmpCodec.h"
#include "io/bmp/BmpRle.h"
#include "platform/Stream.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

namespace vellinor {

namespace {

enum : uint32_t { kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6 };

struct TBmpHeader {
    int64_t Start = 0;
    uint32_t PixelOffset = 0;
    uint32_t HeaderSize = 0;
    int64_t Width = 0;
    int64_t Height = 0;
    bool TopDown = false;
    int BitCount = 0;
    uint32_t Compression = kBiRgb;
    uint32_t ImageSize = 0;
    bool Core = false;
    // Bit fields: red, green, blue, alpha (alpha 0 = none).
    uint32_t Masks[4] = {0, 0, 0, 0};
    bool HasMasks = false;
};

// One channel of a bit field: position and length of its run of set bits.
struct TChannel {
    int Shift = 0;
    int Length = 0;
    uint32_t Mask = 0;
    explicit TChannel(uint32_t mask) : Mask(mask) {
        if (mask == 0) return;
        Shift = std::countr_zero(mask);
        Length = std::countr_one(mask >> Shift);
    }
    // The channel's value widened or narrowed to 8 bits by shifting.
    uint8_t Value(uint32_t v) const {
        if (Length == 0) return 0;
        const uint32_t raw = (v & Mask) >> Shift;
        return static_cast<uint8_t>(Length >= 8 ? raw >> (Length - 8) : raw << (8 - Length));
    }
};

int DpiOf(int32_t pixelsPerMetre) {
    // Nearest, halves to even (the default rounding mode).
    const auto dpi = static_cast<int>(std::nearbyint(pixelsPerMetre / 100.0 * 2.54));
    return dpi == 0 ? DefaultResolution : dpi;
}

// The rows of uncompressed pixel data, in file order, read in blocks.
class TRowReader {
public:
    TRowReader(TStream& stream, int64_t rowLength, int rows)
        : fStream(stream), fRowLength(rowLength), fRowsLeft(rows) {
        const int64_t perBlock =
            std::max<int64_t>(1, (int64_t{4} << 20) / std::max<int64_t>(rowLength, 1));
        fBlockRows = static_cast<int>(std::min<int64_t>(perBlock, std::max(rows, 1)));
        fBuffer.resize(static_cast<size_t>(fBlockRows * rowLength));
    }
    // The next file row, or null when the data ended (a partial last row is
    // completed with zeros).
    const uint8_t* Next() {
        if (fIndex >= fFilled) {
            if (fRowsLeft <= 0 || fEnded) return nullptr;
            const int want = std::min(fBlockRows, fRowsLeft);
            const int64_t bytes = fStream.Read(fBuffer.data(), want * fRowLength);
            const int64_t got = std::max<int64_t>(bytes, 0);
            fFilled = static_cast<int>((got + fRowLength - 1) / fRowLength);
            if (got < want * fRowLength) {
                fEnded = true;
                std::fill(fBuffer.begin() + got, fBuffer.begin() + fFilled * fRowLength, 0);
            }
            fRowsLeft -= fFilled;
            fIndex = 0;
            if (fFilled == 0) return nullptr;
        }
        return fBuffer.data() + (fIndex++) * fRowLength;
    }

private:
    TStream& fStream;
    int64_t fRowLength;
    int fRowsLeft;
    int fBlockRows = 1;
    int fFilled = 0;
    int fIndex = 0;
    bool fEnded = false;
    std::vector<uint8_t> fBuffer;
};

class TBmpReader {
public:
    TBmpReader(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, TIOProgressRec& progress,
               std::unique_ptr<TIEMask>& alphaMask, bool ignoreAlpha)
        : fStream(stream), fBitmap(bitmap), fParams(params), fProgress(progress),
          fAlphaMask(alphaMask), fIgnoreAlpha(ignoreAlpha) {}

    void Read(int64_t dataSize, bool preview, bool noFileHeader);

private:
    bool ReadHeaders(int64_t& dataSize, bool noFileHeader);
    bool ReadInfoHeader();
    void ReadPalette(int count, int entrySize);
    bool ReadPixels(int64_t dataSize);
    TIEPixelFormat TargetFormat() const;
    int BitmapRow(int fileRow) const {
        return fHeader.TopDown ? fileRow : static_cast<int>(fHeader.Height) - 1 - fileRow;
    }
    bool NextRowProgress(int fileRow) {
        return fProgress.ReportUnitIfChanged(fileRow, fLastPercent);
    }
    // Returns the number of file rows read whole.
    int ReadRowsDirect();
    void ReadRowsConverted();
    void ConvertRow(const uint8_t* src, int bitmapRow);
    void ReadRle(int64_t length);
    void InvertRows(int fileRows);
    void FinishAlpha();

    TStream& fStream;
    TIEBitmap& fBitmap;
    TIOParamsVals& fParams;
    TIOProgressRec& fProgress;
    std::unique_ptr<TIEMask>& fAlphaMask;
    bool fIgnoreAlpha;

    TBmpHeader fHeader;
    int64_t fRowLength = 0;
    int fLastPercent = 0;
    bool fNative = false;
    // 1-bit files: 0 as read, 1 inverted, 2 through the palette
    enum class TOneBit { AsRead, Inverted, Colours } fOneBit = TOneBit::AsRead;
    TIEPaletteTable fPaletteTable;
    bool fAllAlphaZero = true;
};

bool TBmpReader::ReadHeaders(int64_t& dataSize, bool noFileHeader) {
    fHeader.Start = fStream.Position();
    uint8_t file[14] = {};
    if (noFileHeader) {
        file[0] = 'B';
        file[1] = 'M';
        StoreLE32(file + 2, static_cast<uint32_t>(std::min<int64_t>(fStream.Size(), UINT32_MAX)));
    } else if (!fStream.ReadExact(file, 14)) {
        return false;
    }
    if (file[0] != 'B' || file[1] != 'M') return false;
    const uint32_t fileSize = LoadLE32(file + 2);
    if (fileSize != 0 && dataSize <= 0) dataSize = fileSize;
    fHeader.PixelOffset = LoadLE32(file + 10);
    fParams.Palette.clear();
    return ReadInfoHeader();
}

bool TBmpReader::ReadInfoHeader() {
    const int64_t headerStart = fStream.Position();
    uint8_t h[64] = {};
    if (!fStream.ReadExact(h, 4)) return false;
    fHeader.HeaderSize = LoadLE32(h);
    if (fHeader.HeaderSize == 12) {
        if (!fStream.ReadExact(h + 4, 8)) return false;
        fHeader.Core = true;
        fParams.BmpVersion = 2;
        fHeader.Width = LoadLE16(h + 4);
        fHeader.Height = LoadLE16(h + 6);
        fHeader.BitCount = LoadLE16(h + 10);
        fParams.SetResolutionX(DefaultResolution);
        fParams.SetResolutionY(DefaultResolution);
        if (fHeader.BitCount <= 8) ReadPalette(1 << fHeader.BitCount, 3);
        return true;
    }
    if (fHeader.HeaderSize < 16) return false;
    const uint32_t kept = std::min<uint32_t>(fHeader.HeaderSize, 64);
    // A truncated header reads as zeros beyond its end.
    fStream.Read(h + 4, kept - 4);
    if (fHeader.HeaderSize > 64) {
        fStream.Seek(headerStart + fHeader.HeaderSize, TSeekOrigin::soBeginning);
    }
    fParams.BmpVersion = fHeader.HeaderSize == 64 ? 3 : fHeader.HeaderSize == 40 ? 1 : 0;
    const auto width = static_cast<int32_t>(LoadLE32(h + 4));
    const auto height = static_cast<int32_t>(LoadLE32(h + 8));
    if (width < 0 || height == INT32_MIN) return false;
    fHeader.Width = width;
    fHeader.TopDown = height < 0;
    fHeader.Height = std::abs(static_cast<int64_t>(height));
    fHeader.BitCount = LoadLE16(h + 14);
    fHeader.Compression = LoadLE32(h + 16);
    fHeader.ImageSize = LoadLE32(h + 20);
    fParams.SetResolutionX(DpiOf(static_cast<int32_t>(LoadLE32(h + 24))));
    fParams.SetResolutionY(DpiOf(static_cast<int32_t>(LoadLE32(h + 28))));
    uint32_t colors = LoadLE32(h + 32);
    if (colors > 256) colors = 0;
    if (colors == 0 && fHeader.BitCount <= 8) colors = 1u << fHeader.BitCount;

    const bool bitfields =
        fHeader.Compression == kBiBitfields || fHeader.Compression == kBiAlphaBitfields;
    if (bitfields) {
        fHeader.HasMasks = true;
        const int masks = fHeader.Compression == kBiAlphaBitfields ? 4 : 3;
        if (fHeader.HeaderSize >= 40 + 4u * masks) {
            // Version 2 headers and later hold the masks themselves.
            for (int i = 0; i < masks; ++i)
                fHeader.Masks[i] = LoadLE32(h + 40 + 4 * i);
            if (masks == 3 && fHeader.HeaderSize >= 56) fHeader.Masks[3] = LoadLE32(h + 52);
        } else {
            // A 40-byte header is followed by the masks, then the palette.
            uint8_t m[16] = {};
            fStream.Read(m, 4 * masks);
            for (int i = 0; i < masks; ++i)
                fHeader.Masks[i] = LoadLE32(m + 4 * i);
        }
    } else if (fHeader.HeaderSize >= 56) {
        // A header that has an alpha mask field: used for 32-bit alpha.
        fHeader.Masks[3] = LoadLE32(h + 52);
    }
    if (colors > 0) ReadPalette(static_cast<int>(colors), 4);
    return true;
}

void TBmpReader::ReadPalette(int count, int entrySize) {
    // The palette cannot reach into the pixels.
    if (fHeader.PixelOffset != 0) {
        const int64_t room = fHeader.Start + fHeader.PixelOffset - fStream.Position();
        count = static_cast<int>(std::clamp<int64_t>(room / entrySize, 0, count));
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(count * entrySize));
    const int64_t got = std::max<int64_t>(fStream.Read(bytes.data(), count * entrySize), 0);
    count = static_cast<int>(got / entrySize);
    fParams.Palette.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const uint8_t* e = bytes.data() + i * entrySize;
        fParams.Palette[static_cast<size_t>(i)] = TRGB{e[0], e[1], e[2]};
    }
}

TIEPixelFormat TBmpReader::TargetFormat() const {
    switch (fHeader.BitCount) {
    case 1:
        if (fOneBit != TOneBit::Colours) return ie1g;
        return fNative ? ie8p : ie24RGB;
    case 2:
    case 4:
    case 8:
        return fNative ? ie8p : ie24RGB;
    default:
        return ie24RGB;
    }
}

void TBmpReader::Read(int64_t dataSize, bool preview, bool noFileHeader) {
    if (!ReadHeaders(dataSize, noFileHeader)) {
        fProgress.Abort();
        return;
    }
    const uint32_t c = fHeader.Compression;
    fParams.BmpCompression = (c == kBiRle8 || c == kBiRle4) ? 1 : 0;
    switch (fHeader.BitCount) {
    case 1:
    case 2:
    case 4:
    case 8:
        fParams.BitsPerSample = fHeader.BitCount;
        fParams.SamplesPerPixel = 1;
        break;
    case 16:
        fParams.BitsPerSample = 5;
        fParams.SamplesPerPixel = 3;
        break;
    case 32:
        fParams.BitsPerSample = 8;
        fParams.SamplesPerPixel = 4;
        break;
    default:
        fParams.BitsPerSample = 8;
        fParams.SamplesPerPixel = 3;
        break;
    }
    fParams.Width = fParams.StoredWidth = static_cast<int32_t>(fHeader.Width);
    fParams.Height = fParams.StoredHeight = static_cast<int32_t>(fHeader.Height);
    if (fHeader.PixelOffset != 0) {
        fStream.Seek(fHeader.Start + fHeader.PixelOffset, TSeekOrigin::soBeginning);
    }
    int64_t length = fHeader.Core ? 0 : fHeader.ImageSize;
    if (dataSize > 0) length = fHeader.Start + dataSize - fStream.Position();
    if (length <= 0) length = BytesLeft(fStream);
    if (preview || fHeader.Width == 0 || fHeader.Height == 0) return;
    if (!ReadPixels(length)) fProgress.Abort();
}

bool TBmpReader::ReadPixels(int64_t length) {
    const int bits = fHeader.BitCount;
    const uint32_t c = fHeader.Compression;
    const bool rle = (bits == 8 && c == kBiRle8) || (bits == 4 && c == kBiRle4);
    // What we can read: anything else is refused rather than shown blank.
    const bool supported =
        rle || ((bits == 1 || bits == 2 || bits == 4 || bits == 8) && c == kBiRgb) ||
        (bits == 16 && (c == kBiRgb || c == kBiBitfields || c == kBiAlphaBitfields)) ||
        (bits == 24 && c != kBiRle8 && c != kBiRle4 && c < 4) ||
        (bits == 32 && c != kBiRle8 && c != kBiRle4 && c != 4 && c != 5);
    if (!supported) return false;

    fNative = fParams.NativeFormat;
    if (bits == 1) {
        const auto& p = fParams.Palette;
        const TRGB black{0, 0, 0}, white{255, 255, 255};
        if (p.size() == 2 && p[0] == black && p[1] == white) {
            fOneBit = TOneBit::AsRead;
        } else if (p.size() == 2 && p[0] == white && p[1] == black) {
            fOneBit = TOneBit::Inverted;
        } else {
            // Any other palette keeps its colours.
            fOneBit = TOneBit::Colours;
        }
    }
    fPaletteTable = TIEPaletteTable(fParams.Palette);
    fRowLength = (fHeader.Width * bits + 31) / 32 * 4;
    const int64_t available = rle ? std::min(length, BytesLeft(fStream)) : BytesLeft(fStream);
    const double pixelsPerByte = rle ? 255.0 / 2 : 8.0 / bits;
    if (!SetupImage(fBitmap, fHeader.Width, fHeader.Height, TargetFormat(), fProgress,
                    EncodablePixels(available, pixelsPerByte))) {
        return true; // the abort flag is raised
    }
    if (fBitmap.PixelFormat() == ie8p) {
        for (size_t i = 0; i < fParams.Palette.size() && i < 256; ++i)
            fBitmap.SetPaletteColor(static_cast<int>(i), fParams.Palette[i]);
        fBitmap.PaletteUsed = 1 << bits;
    }
    fProgress.SetUnits(static_cast<int>(fHeader.Height));
    if (bits == 32 && !fIgnoreAlpha) {
        if (!fAlphaMask) fAlphaMask = std::make_unique<TIEMask>();
        if (!fAlphaMask->Allocate(static_cast<int>(fHeader.Width), static_cast<int>(fHeader.Height),
                                  8)) {
            fAlphaMask.reset();
            return false;
        }
        for (int y = 0; y < fAlphaMask->Height(); ++y)
            std::memset(fAlphaMask->ScanLine(y), 255, static_cast<size_t>(fHeader.Width));
    }
    if (rle) {
        ReadRle(length);
    } else if (bits == 24 || (bits == 1 && fOneBit != TOneBit::Colours)) {
        const int rowsRead = ReadRowsDirect();
        if (bits == 1 && fOneBit == TOneBit::Inverted) InvertRows(rowsRead);
    } else {
        ReadRowsConverted();
    }
    if (bits == 32 && fAlphaMask) FinishAlpha();
    return true;
}

// 24-bit and black-and-white rows have the bitmap's own layout.
int TBmpReader::ReadRowsDirect() {
    const int height = static_cast<int>(fHeader.Height);
    const int64_t rowBytes = fBitmap.RowBytes();
    const int64_t copy = std::min(rowBytes, fRowLength);
    // One block in memory, lowest address = bottom row: a bottom-up file fills it in one go.
    const bool contiguous = !fHeader.TopDown && rowBytes == fRowLength &&
                            fBitmap.Location() == ieMemory && !fBitmap.UsesFragments() &&
                            fBitmap.Row(0) == fBitmap.Row(height - 1) + (height - 1) * rowBytes;
    if (contiguous) {
        const int blockRows = BlockRows(rowBytes, height);
        for (int fileRow = 0; fileRow < height; fileRow += blockRows) {
            if (!NextRowProgress(fileRow)) return fileRow;
            const int rows = std::min(blockRows, height - fileRow);
            // File row i is bitmap row height - 1 - i, i rows above the bottom one.
            uint8_t* dest = fBitmap.Row(height - 1) + static_cast<int64_t>(fileRow) * rowBytes;
            const int64_t want = rows * rowBytes;
            const int64_t got = std::max<int64_t>(fStream.Read(dest, want), 0);
            if (got < want) return fileRow + static_cast<int>(got / rowBytes);
        }
        return height;
    }
    std::vector<uint8_t> row(static_cast<size_t>(fRowLength));
    for (int fileRow = 0; fileRow < height; ++fileRow) {
        if (!NextRowProgress(fileRow)) return fileRow;
        const int64_t got = std::max<int64_t>(fStream.Read(row.data(), fRowLength), 0);
        if (got < fRowLength) return fileRow; // a partial row stays zero
        std::memcpy(fBitmap.Row(BitmapRow(fileRow)), row.data(), static_cast<size_t>(copy));
    }
    return height;
}

void TBmpReader::ReadRowsConverted() {
    const int height = static_cast<int>(fHeader.Height);
    TRowReader rows(fStream, fRowLength, height);
    for (int fileRow = 0; fileRow < height; ++fileRow) {
        if (!NextRowProgress(fileRow)) return;
        const uint8_t* src = rows.Next();
        if (src == nullptr) return;
        ConvertRow(src, BitmapRow(fileRow));
    }
}

void TBmpReader::ConvertRow(const uint8_t* src, int bitmapRow) {
    const int width = static_cast<int>(fHeader.Width);
    const int bits = fHeader.BitCount;
    uint8_t* dest = fBitmap.Row(bitmapRow);
    if (bits <= 8) {
        const int perByte = 8 / bits;
        const int mask = (1 << bits) - 1;
        auto index = [&](int x) {
            const int shift = 8 - bits * (x % perByte + 1);
            return static_cast<uint8_t>((src[x / perByte] >> shift) & mask);
        };
        if (fBitmap.PixelFormat() == ie8p) {
            if (bits == 8) {
                std::memcpy(dest, src, static_cast<size_t>(width));
            } else {
                for (int x = 0; x < width; ++x)
                    dest[x] = index(x);
            }
        } else {
            auto* out = reinterpret_cast<TRGB*>(dest);
            for (int x = 0; x < width; ++x)
                out[x] = fPaletteTable[bits == 8 ? src[x] : index(x)];
        }
        return;
    }
    auto* out = reinterpret_cast<TRGB*>(dest);
    if (bits == 16) {
        const bool fields = fHeader.HasMasks;
        const TChannel r(fields ? fHeader.Masks[0] : 0x7C00), g(fields ? fHeader.Masks[1] : 0x03E0),
            b(fields ? fHeader.Masks[2] : 0x001F);
        for (int x = 0; x < width; ++x) {
            const uint32_t v = LoadLE16(src + 2 * x);
            out[x] = TRGB{b.Value(v), g.Value(v), r.Value(v)};
        }
        return;
    }
    // 32 bits
    uint8_t* alpha = fAlphaMask ? fAlphaMask->ScanLine(bitmapRow) : nullptr;
    if (!fHeader.HasMasks) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = src + 4 * x;
            out[x] = TRGB{p[0], p[1], p[2]};
            if (alpha != nullptr) {
                alpha[x] = p[3];
                if (p[3] != 0) fAllAlphaZero = false;
            }
        }
        return;
    }
    const TChannel r(fHeader.Masks[0]), g(fHeader.Masks[1]), b(fHeader.Masks[2]),
        a(fHeader.Masks[3]);
    for (int x = 0; x < width; ++x) {
        const uint32_t v = LoadLE32(src + 4 * x);
        out[x] = TRGB{b.Value(v), g.Value(v), r.Value(v)};
        if (alpha != nullptr) {
            alpha[x] = a.Mask != 0 ? a.Value(v) : 255;
            if (alpha[x] != 0) fAllAlphaZero = false;
        }
    }
}

void TBmpReader::ReadRle(int64_t length) {
    const std::vector<uint8_t> data = ReadBlock(fStream, length);
    const bool expand = fBitmap.PixelFormat() == ie24RGB;
    DecodeBmpRle(
        data, static_cast<int>(fHeader.Width), static_cast<int>(fHeader.Height),
        fHeader.BitCount == 4,
        [&](int fileRow, int x, std::span<const uint8_t> indexes) {
            uint8_t* row = fBitmap.Row(BitmapRow(fileRow));
            if (expand) {
                auto* out = reinterpret_cast<TRGB*>(row) + x;
                for (uint8_t i : indexes)
                    *out++ = fPaletteTable[i];
            } else {
                std::memcpy(row + x, indexes.data(), indexes.size());
            }
        },
        fProgress);
}

// A white-then-black palette: the bits read are turned so that 1 means white
// (rows the file did not hold stay zero).
void TBmpReader::InvertRows(int fileRows) {
    const int64_t bytes = fBitmap.RowBytes();
    for (int fileRow = 0; fileRow < fileRows; ++fileRow) {
        uint8_t* row = fBitmap.Row(BitmapRow(fileRow));
        for (int64_t i = 0; i < bytes; ++i)
            row[i] = static_cast<uint8_t>(~row[i]);
    }
}

// No alpha when every fourth byte was 0 or every value is 255.
void TBmpReader::FinishAlpha() {
    bool allOpaque = true;
    for (int y = 0; y < fAlphaMask->Height() && allOpaque; ++y) {
        const uint8_t* row = fAlphaMask->ScanLine(y);
        allOpaque = std::all_of(row, row + fAlphaMask->Width(), [](uint8_t v) { return v == 255; });
    }
    if (fAllAlphaZero || allOpaque) {
        fAlphaMask.reset();
        return;
    }
    fAlphaMask->SyncBoundingBox();
}

} // namespace

void ReadBmpStream(TStream& stream, TIEBitmap& bitmap, int64_t dataSize, TIOParamsVals& params,
                   TIOProgressRec& progress, bool preview, bool noFileHeader,
                   std::unique_ptr<TIEMask>& alphaMask, bool ignoreAlpha) {
    TBmpReader reader(stream, bitmap, params, progress, alphaMask, ignoreAlpha);
    reader.Read(dataSize, preview, noFileHeader);
}

} // namespace vellinor
