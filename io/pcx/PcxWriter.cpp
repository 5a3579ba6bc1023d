// Writing PCX images: the depth from the parameters, the palette from the
// two-colour conversion or the quantizer, then each row's plane lines.

#include "image/TIEBitmap.h"
#include "io/IOGuards.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/TwoColorConversion.h"
#include "io/pcx/PcxCodec.h"
#include "io/pcx/PcxHeader.h"
#include "io/pcx/PcxLineCoder.h"
#include "platform/Stream.h"
#include "proc/TIEQuantizer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace vellinor {

namespace {

constexpr size_t kFlushBytes = size_t{64} << 10;

class TPcxWriter {
public:
    TPcxWriter(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, TIOProgressRec& progress)
        : fStream(stream), fBitmap(bitmap), fParams(params), fProgress(progress) {}

    void Write();

private:
    int ChooseDepth() const;
    bool PrepareSource();
    bool PrepareBlackWhite();
    bool SizesFit() const;
    TPcxHeader MakeHeader() const;
    void WriteRows();
    void AddLine(const uint8_t* samples, int count, int stride, int first);
    void AddRow(int y);
    void WriteLongPalette();
    bool Flush();

    TStream& fStream;
    TIEBitmap& fBitmap;
    TIOParamsVals& fParams;
    TIOProgressRec& fProgress;

    int fDepth = 24;
    bool fRle = true;
    int fLineBytes = 0; // per plane, even
    TIEBitmap* fSource = nullptr;
    TIEBitmap fConverted;
    std::array<TRGB, 16> fShortPalette{};
    std::vector<TRGB> fLongPalette;
    std::unique_ptr<TIEQuantizer> fQuantizer;
    std::vector<uint8_t> fIndexes; // palette indexes of one row
    std::vector<uint8_t> fPacked;  // one row of 1- or 4-bit pixels
    std::vector<uint8_t> fOut;     // bytes not yet written
};

int TPcxWriter::ChooseDepth() const {
    if (fParams.BitsPerSample == 1) return 1;
    const int64_t bits = int64_t{fParams.BitsPerSample} * fParams.SamplesPerPixel;
    // Depths the format cannot hold go to the next one that holds them.
    if (bits >= 1 && bits <= 4) return 4;
    if (bits >= 5 && bits <= 8) return 8;
    return 24;
}

bool TPcxWriter::PrepareBlackWhite() {
    fShortPalette[0] = TRGB{0, 0, 0};
    fShortPalette[1] = TRGB{255, 255, 255};
    if (fBitmap.PixelFormat() == ie1g) {
        fSource = &fBitmap;
        return true;
    }
    fSource = &fConverted;
    TRGB color0{}, color1{};
    if (MakeTwoColorBitmap(fBitmap, fConverted, color0, color1)) {
        fShortPalette[0] = color0;
        fShortPalette[1] = color1;
        return true;
    }
    fConverted.CopyFrom(fBitmap);
    fConverted.ConvertTo(ie1g);
    return fConverted.PixelFormat() == ie1g;
}

bool TPcxWriter::PrepareSource() {
    if (fDepth == 1) return PrepareBlackWhite();
    fSource = &fBitmap;
    if (fBitmap.PixelFormat() != ie24RGB) {
        fConverted.CopyFrom(fBitmap);
        fConverted.ConvertTo(ie24RGB);
        if (fConverted.PixelFormat() != ie24RGB) return false;
        fSource = &fConverted;
    }
    if (fDepth == 4) {
        fQuantizer = std::make_unique<TIEQuantizer>(*fSource, fShortPalette, 16);
    } else if (fDepth == 8) {
        fLongPalette.assign(256, TRGB{});
        fQuantizer = std::make_unique<TIEQuantizer>(*fSource, fLongPalette, 256);
    }
    return true;
}

// The header holds the last column and row and the line length in 16 bits.
bool TPcxWriter::SizesFit() const {
    return fBitmap.Width() <= 0x10000 && fBitmap.Height() <= 0x10000 && fLineBytes <= 0xFFFF;
}

TPcxHeader TPcxWriter::MakeHeader() const {
    const int64_t width = fBitmap.Width(), height = fBitmap.Height();
    TPcxHeader header;
    header.Version = static_cast<uint8_t>(fParams.PcxVersion);
    header.Encoding = fRle ? 1 : 0;
    header.BitsPerPixel = static_cast<uint8_t>(fDepth == 24 ? 8 : fDepth);
    header.XMax = static_cast<uint16_t>(width - 1);
    header.YMax = static_cast<uint16_t>(height - 1);
    header.HorizontalDpi = static_cast<uint16_t>(fParams.ResolutionX());
    header.VerticalDpi = static_cast<uint16_t>(fParams.ResolutionY());
    if (fDepth <= 4) PcxPaletteToFile(fShortPalette, header.ShortPalette);
    header.Planes = fDepth == 24 ? 3 : 1;
    header.BytesPerLine = static_cast<uint16_t>(fLineBytes);
    header.PaletteInfo = fDepth == 24 ? 0 : 1;
    return header;
}

bool TPcxWriter::Flush() {
    if (fOut.empty()) return true;
    const auto count = static_cast<int64_t>(fOut.size());
    const bool written = fStream.Write(fOut.data(), count) == count;
    fOut.clear();
    if (!written) fProgress.Abort();
    return written;
}

// count samples of one plane line (sample k at first + k x stride): encoded,
// or raw and padded to the line length.
void TPcxWriter::AddLine(const uint8_t* samples, int count, int stride, int first) {
    const std::span<const uint8_t> all(samples, static_cast<size_t>(first) +
                                                    static_cast<size_t>(count - 1) * stride + 1);
    if (fRle) {
        EncodePcxLine(all, count, stride, first, fOut);
        return;
    }
    const size_t at = fOut.size();
    fOut.resize(at + static_cast<size_t>(fLineBytes), 0);
    for (int k = 0; k < count; ++k)
        fOut[at + static_cast<size_t>(k)] =
            all[static_cast<size_t>(first) + static_cast<size_t>(k) * stride];
}

void TPcxWriter::AddRow(int y) {
    const int width = fSource->Width();
    const uint8_t* row = fSource->Row(y);
    switch (fDepth) {
    case 1: {
        const int packed = (width + 7) / 8;
        std::copy(row, row + packed, fPacked.begin());
        // Bits past the last pixel are written clear.
        if (width % 8 != 0)
            fPacked[static_cast<size_t>(packed - 1)] &= static_cast<uint8_t>(0xFF00 >> (width % 8));
        AddLine(fPacked.data(), packed, 1, 0);
        break;
    }
    case 4: {
        fQuantizer->MapRow(reinterpret_cast<const TRGB*>(row), fIndexes.data(), width);
        const int packed = (width + 1) / 2;
        std::fill(fPacked.begin(), fPacked.end(), uint8_t{0});
        for (int x = 0; x < width; ++x) {
            const auto index = static_cast<uint8_t>(fIndexes[static_cast<size_t>(x)] & 15);
            fPacked[static_cast<size_t>(x / 2)] |=
                x % 2 == 0 ? static_cast<uint8_t>(index << 4) : index;
        }
        AddLine(fPacked.data(), packed, 1, 0);
        break;
    }
    case 8:
        fQuantizer->MapRow(reinterpret_cast<const TRGB*>(row), fIndexes.data(), width);
        AddLine(fIndexes.data(), width, 1, 0);
        break;
    default:
        // Red, green, blue planes from the blue-green-red samples.
        for (const int channel : {2, 1, 0})
            AddLine(row, width, 3, channel);
        break;
    }
}

void TPcxWriter::WriteRows() {
    const int height = fSource->Height();
    fIndexes.assign(static_cast<size_t>(fSource->Width()), 0);
    fPacked.assign(static_cast<size_t>(fLineBytes), 0);
    fProgress.SetUnits(height);
    for (int y = 0; y < height; ++y) {
        fProgress.Report(fProgress.PercentOf(y));
        if (fProgress.Aborted()) return;
        AddRow(y);
        if (fOut.size() >= kFlushBytes && !Flush()) return;
    }
}

void TPcxWriter::WriteLongPalette() {
    fOut.push_back(kPcxPaletteMarker);
    const size_t at = fOut.size();
    fOut.resize(at + kPcxLongPaletteBytes, 0);
    PcxPaletteToFile(fLongPalette, std::span(fOut).subspan(at));
}

void TPcxWriter::Write() {
    if (fBitmap.IsVoid()) {
        fProgress.Abort();
        return;
    }
    fDepth = ChooseDepth();
    fRle = fParams.PcxCompression != 0;
    const int width = fBitmap.Width();
    const int64_t lineBytes = fDepth == 1   ? (int64_t{width} + 7) / 8
                              : fDepth == 4 ? (int64_t{width} + 1) / 2
                                            : width;
    fLineBytes = static_cast<int>(std::min<int64_t>(lineBytes + lineBytes % 2, 0x10000));
    if (!SizesFit() || !PrepareSource()) {
        fProgress.Abort();
        return;
    }
    fOut.resize(kPcxHeaderSize);
    MakeHeader().Store(std::span<uint8_t, kPcxHeaderSize>(fOut.data(), kPcxHeaderSize));
    WriteRows();
    if (fProgress.Aborted()) return;
    if (fDepth == 8) WriteLongPalette();
    Flush();
}

} // namespace

void WritePcxStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
                    TIOProgressRec& progress) {
    try {
        TPcxWriter writer(stream, bitmap, params, progress);
        writer.Write();
    } catch (...) {
        progress.Abort();
    }
}

} // namespace vellinor
