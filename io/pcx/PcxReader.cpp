// Reading PCX images: the header, the palettes, then the plane lines of each
// row by layout.

#include "image/TIEBitmap.h"
#include "io/IOGuards.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/pcx/PcxCodec.h"
#include "io/pcx/PcxHeader.h"
#include "io/pcx/PcxLineCoder.h"
#include "platform/Stream.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace vellinor {

namespace {

enum class TPcxLayout {
    BlackWhite,  // 1 bit, 1 plane
    Nibbles,     // 4 bits, 1 plane, through the header palette
    FourPlanes,  // 1 bit, 4 planes, through the header palette
    LongPalette, // 8 bits, 1 plane, through the trailing palette
    ThreePlanes, // 8 bits, 3 planes: red, green, blue
    Unsupported,
};

TPcxLayout LayoutOf(const TPcxHeader& h) {
    if (h.Planes == 1) {
        if (h.BitsPerPixel == 1) return TPcxLayout::BlackWhite;
        if (h.BitsPerPixel == 4) return TPcxLayout::Nibbles;
        if (h.BitsPerPixel == 8) return TPcxLayout::LongPalette;
    }
    if (h.Planes == 4 && h.BitsPerPixel == 1) return TPcxLayout::FourPlanes;
    if (h.Planes == 3 && h.BitsPerPixel == 8) return TPcxLayout::ThreePlanes;
    return TPcxLayout::Unsupported;
}

// Bytes one plane line must hold for the window's width.
int64_t NeededLineBytes(TPcxLayout layout, int64_t width) {
    switch (layout) {
    case TPcxLayout::BlackWhite:
    case TPcxLayout::FourPlanes:
        return (width + 7) / 8;
    case TPcxLayout::Nibbles:
        return (width + 1) / 2;
    default:
        return width;
    }
}

std::vector<TRGB> GrayRamp() {
    std::vector<TRGB> ramp(256);
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        ramp[static_cast<size_t>(i)] = TRGB{v, v, v};
    }
    return ramp;
}

class TPcxReader {
public:
    TPcxReader(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, TIOProgressRec& progress)
        : fStream(stream), fBitmap(bitmap), fParams(params), fProgress(progress) {}

    void Read(bool preview, int64_t dataSize);

private:
    bool ReadHeader();
    void ReadLongPalette(int64_t dataSize);
    void ReportParams();
    bool SetupBitmap(size_t dataBytes);
    void DecodeRows(std::span<const uint8_t> data);
    void StoreRow(int y, const uint8_t* lines);

    TStream& fStream;
    TIEBitmap& fBitmap;
    TIOParamsVals& fParams;
    TIOProgressRec& fProgress;

    int64_t fStart = 0;
    TPcxHeader fHeader;
    TPcxLayout fLayout = TPcxLayout::Unsupported;
    int fWidth = 0;
    int fHeight = 0;
    std::vector<TRGB> fShortPalette; // 16 entries
    std::vector<TRGB> fLongPalette;  // 256 entries, 8-bit single plane only
    TIEPaletteTable fLongTable;
};

bool TPcxReader::ReadHeader() {
    fStart = fStream.Position();
    std::array<uint8_t, kPcxHeaderSize> raw{};
    if (fStart < 0 || !fStream.ReadExact(raw.data(), kPcxHeaderSize)) return false;
    fHeader = TPcxHeader::Parse(raw);
    if (fHeader.Manufacturer != kPcxManufacturer || fHeader.BitsPerPixel > 8 ||
        fHeader.Encoding > 1) {
        return false;
    }
    if (fHeader.Width() <= 0 || fHeader.Height() <= 0) return false;
    fWidth = static_cast<int>(fHeader.Width());
    fHeight = static_cast<int>(fHeader.Height());
    return true;
}

// The last 768 bytes of the data. Data too short to hold a palette behind
// the header has none: its bytes are taken as grey levels.
void TPcxReader::ReadLongPalette(int64_t dataSize) {
    if (dataSize < kPcxMinSizeWithPalette) {
        fLongPalette = GrayRamp();
        fLongTable = TIEPaletteTable(fLongPalette);
        return;
    }
    const int64_t at = fStart + dataSize - kPcxLongPaletteBytes;
    std::vector<uint8_t> rgb;
    if (fStream.Seek(at, TSeekOrigin::soBeginning) == at)
        rgb = ReadBlock(fStream, kPcxLongPaletteBytes);
    rgb.resize(kPcxLongPaletteBytes, 0);
    fLongPalette = PcxPaletteFromFile(rgb);
    fLongTable = TIEPaletteTable(fLongPalette);
    fStream.Seek(fStart + kPcxHeaderSize, TSeekOrigin::soBeginning);
}

void TPcxReader::ReportParams() {
    fParams.BitsPerSample = fHeader.BitsPerPixel;
    fParams.SamplesPerPixel = fHeader.Planes;
    fParams.Width = fParams.StoredWidth = fWidth;
    fParams.Height = fParams.StoredHeight = fHeight;
    fParams.PcxVersion = fHeader.Version;
    fParams.SetFrameCount(1);
    if (fHeader.BitsPerPixel == 8) {
        // Three 8-bit planes carry no palette.
        if (fHeader.Planes == 1) {
            fParams.Palette = fLongPalette;
        } else {
            fParams.Palette.clear();
        }
    } else if (fLayout == TPcxLayout::FourPlanes) {
        fParams.Palette = fShortPalette;
        fParams.BitsPerSample = 4;
        fParams.SamplesPerPixel = 1;
    } else {
        const size_t entries = std::min<size_t>(size_t{1} << fHeader.BitsPerPixel, 16);
        fParams.Palette.assign(fShortPalette.begin(),
                               fShortPalette.begin() + static_cast<std::ptrdiff_t>(entries));
    }
}

bool TPcxReader::SetupBitmap(size_t dataBytes) {
    const TIEPixelFormat format = fLayout == TPcxLayout::BlackWhite ? ie1g : ie24RGB;
    // At best two bytes of code give 63 bytes of plane lines.
    const double decodedPerByte = fHeader.Encoding == 1 ? 31.5 : 1.0;
    const double rowBytes = static_cast<double>(fHeader.BytesPerLine) * fHeader.Planes;
    const int64_t encodable =
        EncodablePixels(static_cast<int64_t>(dataBytes), decodedPerByte * fWidth / rowBytes);
    return SetupImage(fBitmap, fWidth, fHeight, format, fProgress, encodable);
}

void TPcxReader::StoreRow(int y, const uint8_t* lines) {
    const size_t lineBytes = fHeader.BytesPerLine;
    uint8_t* row = fBitmap.Row(y);
    auto* rgb = reinterpret_cast<TRGB*>(row);
    switch (fLayout) {
    case TPcxLayout::BlackWhite: {
        const size_t packed = (static_cast<size_t>(fWidth) + 7) / 8;
        std::memcpy(row, lines, packed);
        // Bits past the last pixel stay clear.
        if (fWidth % 8 != 0) row[packed - 1] &= static_cast<uint8_t>(0xFF00 >> (fWidth % 8));
        break;
    }
    case TPcxLayout::Nibbles:
        for (int x = 0; x < fWidth; ++x) {
            const uint8_t pair = lines[x / 2];
            rgb[x] = fShortPalette[(x % 2 == 0 ? pair >> 4 : pair) & 15];
        }
        break;
    case TPcxLayout::FourPlanes:
        for (int x = 0; x < fWidth; ++x) {
            const int shift = 7 - (x % 8);
            int index = 0;
            for (int p = 0; p < 4; ++p)
                index |= ((lines[p * lineBytes + static_cast<size_t>(x / 8)] >> shift) & 1) << p;
            rgb[x] = fShortPalette[static_cast<size_t>(index)];
        }
        break;
    case TPcxLayout::LongPalette:
        for (int x = 0; x < fWidth; ++x)
            rgb[x] = fLongTable[lines[x]];
        break;
    case TPcxLayout::ThreePlanes: {
        const uint8_t* red = lines;
        const uint8_t* green = lines + lineBytes;
        const uint8_t* blue = lines + 2 * lineBytes;
        for (int x = 0; x < fWidth; ++x)
            rgb[x] = TRGB{blue[x], green[x], red[x]};
        break;
    }
    case TPcxLayout::Unsupported:
        break;
    }
}

void TPcxReader::DecodeRows(std::span<const uint8_t> data) {
    const size_t lineBytes = fHeader.BytesPerLine;
    std::vector<uint8_t> lines(lineBytes * fHeader.Planes);
    TPcxLineDecoder decoder(data, fHeader.Encoding == 1);
    fProgress.SetUnits(fHeight);
    for (int y = 0; y < fHeight; ++y) {
        fProgress.Report(fProgress.PercentOf(y));
        if (fProgress.Aborted()) return;
        for (size_t p = 0; p < fHeader.Planes; ++p)
            decoder.DecodePcxLine(std::span(lines).subspan(p * lineBytes, lineBytes));
        StoreRow(y, lines.data());
    }
}

void TPcxReader::Read(bool preview, int64_t dataSize) {
    if (!ReadHeader()) {
        fProgress.Abort();
        return;
    }
    if (fHeader.HorizontalDpi == 0 || fHeader.VerticalDpi == 0) {
        fParams.SetResolutionX(DefaultResolution);
        fParams.SetResolutionY(DefaultResolution);
    } else {
        fParams.SetResolutionX(static_cast<int32_t>(fHeader.HorizontalDpi));
        fParams.SetResolutionY(static_cast<int32_t>(fHeader.VerticalDpi));
    }
    fShortPalette = PcxPaletteFromFile(fHeader.ShortPalette);
    if (fHeader.Planes == 1 && fHeader.BitsPerPixel > 4) ReadLongPalette(dataSize);
    fLayout = LayoutOf(fHeader);
    ReportParams();
    // A layout we cannot show, or lines too short for the width, would give a
    // picture that is not the file's.
    if (fLayout == TPcxLayout::Unsupported ||
        fHeader.BytesPerLine < NeededLineBytes(fLayout, fWidth)) {
        fProgress.Abort();
        return;
    }
    if (preview) return;
    const std::vector<uint8_t> data = ReadBlock(fStream, dataSize - kPcxHeaderSize);
    if (!SetupBitmap(data.size())) return;
    DecodeRows(data);
}

} // namespace

void ReadPcxStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, bool preview,
                   TIOProgressRec& progress, int64_t dataSize) {
    try {
        TPcxReader reader(stream, bitmap, params, progress);
        reader.Read(preview, dataSize);
    } catch (...) {
        progress.Abort();
    }
}

} // namespace vellinor
