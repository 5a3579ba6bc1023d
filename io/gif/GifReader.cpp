// Reading GIF files: the blocks in file order, every image counted, the
// selected one decoded into the bitmap.

#include "image/TIEBitmap.h"
#include "image/TIEMask.h"
#include "io/IOGuards.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/gif/GifCodec.h"
#include "io/gif/GifColorTable.h"
#include "io/gif/GifSubBlocks.h"
#include "platform/Stream.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <vector>

namespace vellinor {

namespace {

constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kGraphicControlLabel = 0xF9;
constexpr uint8_t kCommentLabel = 0xFE;

// Colour images this wide or high need data behind them (a size guard).
constexpr int kHugeSide = 65000;
constexpr int64_t kHugeImageTrailingBytes = 2000;
// At best one byte of LZW data stands for about 1500 pixels; this bound is
// generous.
constexpr double kLzwPixelsPerByte = 2048;

struct TGifDescriptor {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool HasLocalTable = false;
    bool Interlaced = false;
    int TableSizeField = 0;
};

class TGifReader {
public:
    TGifReader(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, TIOProgressRec& progress,
               bool preview, std::unique_ptr<TIEMask>& alphaMask, bool ignoreTransparency)
        : fStream(stream), fBitmap(bitmap), fParams(params), fProgress(progress), fPreview(preview),
          fAlphaMask(alphaMask), fIgnoreTransparency(ignoreTransparency) {}

    // Returns the number of images seen.
    int Read();

private:
    bool ReadHeader();
    void ReadExtension();
    // False when the stream ended inside the descriptor.
    bool ReadImage();
    void SkipImageData();
    void LoadImage(const TGifDescriptor& descriptor, const std::vector<TRGB>& localTable);
    bool DecodeIndexes(const TGifDescriptor& descriptor, TIEPixelFormat format,
                       std::vector<uint8_t>& indexes);
    void StorePixels(const TGifDescriptor& descriptor, TIEPixelFormat format,
                     const std::vector<uint8_t>& indexes, const TIEPaletteTable& colors);
    void MakeMask(const TGifDescriptor& descriptor, const std::vector<uint8_t>& indexes);
    bool Aborted() const { return fProgress.Aborted(); }

    TStream& fStream;
    TIEBitmap& fBitmap;
    TIOParamsVals& fParams;
    TIOProgressRec& fProgress;
    bool fPreview;
    std::unique_ptr<TIEMask>& fAlphaMask;
    bool fIgnoreTransparency;

    std::vector<TRGB> fGlobalTable;
    bool fHasGlobalTable = false;
    int fGlobalSizeField = 0;
    int fImageCount = 0;
    bool fSelectedFound = false;
    // The graphic control block of the selected image: packed, delay (2), index.
    std::array<uint8_t, 4> fControl{};
};

bool TGifReader::ReadHeader() {
    uint8_t header[13] = {};
    if (!fStream.ReadExact(header, 13) || std::memcmp(header, "GIF", 3) != 0) return false;
    fParams.GifVersion.assign(reinterpret_cast<const char*>(header), 6);
    fParams.GifScreenWidth = LoadLE16(header + 6);
    fParams.GifScreenHeight = LoadLE16(header + 8);
    fParams.GifAspect = header[12];
    fParams.SetResolutionX(DefaultResolution);
    fParams.SetResolutionY(DefaultResolution);
    fParams.SamplesPerPixel = 1;
    const uint8_t packed = header[10];
    if ((packed & 0x80) != 0) {
        fHasGlobalTable = true;
        fGlobalSizeField = packed & 7;
        fGlobalTable = ReadGifColorTable(fStream, GifTableEntries(fGlobalSizeField));
        fParams.GifBackground = TIEPaletteTable(fGlobalTable)[header[11]];
    }
    return true;
}

void TGifReader::ReadExtension() {
    uint8_t label = 0;
    if (!fStream.ReadExact(&label, 1)) return;
    if (label == kGraphicControlLabel && fImageCount == fParams.GifFrameIndex) {
        fControl = {};
        bool first = true;
        ForEachGifSubBlock(fStream, [&](std::span<const uint8_t> block) {
            if (first)
                std::copy_n(block.begin(), std::min<size_t>(block.size(), 4), fControl.begin());
            first = false;
        });
        return;
    }
    if (label == kCommentLabel) {
        ForEachGifSubBlock(fStream, [&](std::span<const uint8_t> block) {
            fParams.GifComments.emplace_back(reinterpret_cast<const char*>(block.data()),
                                             block.size());
        });
        return;
    }
    SkipGifSubBlocks(fStream);
}

bool TGifReader::ReadImage() {
    uint8_t d[9] = {};
    if (!fStream.ReadExact(d, 9)) return false;
    TGifDescriptor descriptor;
    descriptor.Left = LoadLE16(d);
    descriptor.Top = LoadLE16(d + 2);
    descriptor.Width = LoadLE16(d + 4);
    descriptor.Height = LoadLE16(d + 6);
    descriptor.HasLocalTable = (d[8] & 0x80) != 0;
    descriptor.Interlaced = (d[8] & 0x40) != 0;
    descriptor.TableSizeField = d[8] & 7;
    std::vector<TRGB> localTable;
    if (descriptor.HasLocalTable) {
        localTable = ReadGifColorTable(fStream, GifTableEntries(descriptor.TableSizeField));
    }
    if (fImageCount != fParams.GifFrameIndex || fSelectedFound) {
        SkipImageData();
        ++fImageCount;
        return true;
    }
    fSelectedFound = true;
    LoadImage(descriptor, localTable);
    // Without pixels the data are still to be passed over.
    if (fPreview) SkipImageData();
    ++fImageCount;
    return true;
}

void TGifReader::SkipImageData() {
    uint8_t minCodeSize = 0;
    fStream.ReadExact(&minCodeSize, 1);
    SkipGifSubBlocks(fStream);
}

void TGifReader::LoadImage(const TGifDescriptor& descriptor, const std::vector<TRGB>& localTable) {
    fProgress.Report(30);
    if (Aborted()) return;
    // The table in force: the local one, else the global one, else (none in
    // the file) gray levels equal to the indexes.
    std::vector<TRGB> table;
    int bits = 8;
    if (descriptor.HasLocalTable) {
        table = localTable;
        bits = descriptor.TableSizeField + 1;
    } else if (fHasGlobalTable) {
        table = fGlobalTable;
        bits = fGlobalSizeField + 1;
    } else {
        for (int i = 0; i < 256; ++i)
            table.push_back(
                TRGB{static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)});
    }
    const TIEPaletteTable colors(table);
    const uint8_t transparentIndex = fControl[3];
    fParams.GifTransparentColor = colors[transparentIndex];
    fParams.GifXPos = descriptor.Left;
    fParams.GifYPos = descriptor.Top;
    fParams.Width = fParams.StoredWidth = descriptor.Width;
    fParams.Height = fParams.StoredHeight = descriptor.Height;
    fParams.GifDelayTime = LoadLE16(fControl.data() + 1);
    fParams.GifTransparent = (fControl[0] & 1) != 0;
    fParams.GifDisposal = static_cast<uint8_t>((fControl[0] >> 2) & 7);
    fParams.GifInterlaced = descriptor.Interlaced;

    const TRGB black{0, 0, 0}, white{255, 255, 255};
    const bool blackAndWhite =
        bits == 1 && table.size() == 2 && table[0] == black && table[1] == white;
    const TIEPixelFormat format = blackAndWhite ? ie1g : fParams.NativeFormat ? ie8p : ie24RGB;
    std::vector<uint8_t> indexes;
    if (!fPreview && !DecodeIndexes(descriptor, format, indexes)) {
        fProgress.Abort();
        return;
    }
    if (!fPreview) {
        fProgress.Report(70);
        if (Aborted()) return;
    }
    fParams.Palette = table;
    fParams.BitsPerSample = bits;
    if (fPreview) return;

    if (!blackAndWhite && (descriptor.Width > kHugeSide || descriptor.Height > kHugeSide) &&
        BytesLeft(fStream) < kHugeImageTrailingBytes) {
        fProgress.Abort();
        return;
    }
    if (!SetupImage(fBitmap, descriptor.Width, descriptor.Height, format, fProgress)) return;
    StorePixels(descriptor, format, indexes, colors);
    if (fParams.GifTransparent && !fIgnoreTransparency) MakeMask(descriptor, indexes);
}

bool TGifReader::DecodeIndexes(const TGifDescriptor& descriptor, TIEPixelFormat format,
                               std::vector<uint8_t>& indexes) {
    // Neither the index buffer nor the bitmap may be larger than the data
    // left could describe.
    const int64_t encodable = EncodablePixels(BytesLeft(fStream), kLzwPixelsPerByte);
    if (!ImageSizeAcceptable(descriptor.Width, descriptor.Height, ie8g, encodable) ||
        !ImageSizeAcceptable(descriptor.Width, descriptor.Height, format, encodable)) {
        return false;
    }
    TGifLzwDecompressor decompress = fParams.GifLzwDecompressor != nullptr
                                         ? fParams.GifLzwDecompressor
                                         : DefaultGifLzwDecompressor;
    if (decompress == nullptr) return false;
    try {
        indexes.resize(static_cast<size_t>(descriptor.Width) *
                       static_cast<size_t>(descriptor.Height));
    } catch (const std::bad_alloc&) {
        return false;
    }
    const int64_t start = fStream.Position();
    decompress(fStream, descriptor.Height, descriptor.Width, indexes, descriptor.Interlaced);
    if (fStream.Position() == start) {
        indexes = {};
        return false;
    }
    return true;
}

void TGifReader::StorePixels(const TGifDescriptor& descriptor, TIEPixelFormat format,
                             const std::vector<uint8_t>& indexes, const TIEPaletteTable& colors) {
    const int width = descriptor.Width;
    if (format == ie8p) {
        for (int i = 0; i < 256; ++i)
            fBitmap.SetPaletteColor(i, colors[static_cast<uint8_t>(i)]);
        fBitmap.PaletteUsed = 1 << fParams.BitsPerSample;
    }
    for (int y = 0; y < descriptor.Height; ++y) {
        const uint8_t* in = indexes.data() + static_cast<size_t>(y) * width;
        uint8_t* row = fBitmap.Row(y);
        if (format == ie8p) {
            std::memcpy(row, in, static_cast<size_t>(width));
        } else if (format == ie24RGB) {
            auto* out = reinterpret_cast<TRGB*>(row);
            for (int x = 0; x < width; ++x)
                out[x] = colors[in[x]];
        } else {
            std::memset(row, 0, static_cast<size_t>((width + 7) / 8));
            for (int x = 0; x < width; ++x)
                if ((in[x] & 1) != 0)
                    row[x >> 3] = static_cast<uint8_t>(row[x >> 3] | (0x80 >> (x & 7)));
        }
    }
}

// A mask with 0 exactly where the transparent index is; none when no pixel
// has it.
void TGifReader::MakeMask(const TGifDescriptor& descriptor, const std::vector<uint8_t>& indexes) {
    const uint8_t transparent = fControl[3];
    const int width = descriptor.Width;
    if (std::find(indexes.begin(), indexes.end(), transparent) == indexes.end()) return;
    auto mask = std::make_unique<TIEMask>();
    if (!mask->Allocate(width, descriptor.Height, 8)) return;
    for (int y = 0; y < descriptor.Height; ++y) {
        const uint8_t* in = indexes.data() + static_cast<size_t>(y) * width;
        uint8_t* out = mask->ScanLine(y);
        for (int x = 0; x < width; ++x)
            out[x] = in[x] == transparent ? 0 : 255;
    }
    mask->SyncBoundingBox();
    fAlphaMask = std::move(mask);
}

int TGifReader::Read() {
    fProgress.Report(0);
    if (Aborted()) return 0;
    if (!ReadHeader()) {
        fProgress.Abort();
        return 0;
    }
    uint8_t introducer = 0;
    while (!Aborted() && fStream.ReadExact(&introducer, 1)) {
        if (introducer == kTrailer) break;
        if (introducer == kExtensionIntroducer) {
            ReadExtension();
        } else if (introducer == kImageSeparator) {
            if (!ReadImage()) break;
        }
    }
    fParams.SetFrameCount(fImageCount);
    // Asking for an image the file does not hold is a failure, not an
    // unchanged bitmap reported as loaded.
    if (!fSelectedFound) fProgress.Abort();
    if (!Aborted()) fProgress.Report(100);
    return fImageCount;
}

} // namespace

void ReadGifStream(TStream& stream, TIEBitmap& bitmap, int& frameCount, TIOParamsVals& params,
                   TIOProgressRec& progress, bool preview, std::unique_ptr<TIEMask>& alphaMask,
                   bool ignoreTransparency) {
    TGifReader reader(stream, bitmap, params, progress, preview, alphaMask, ignoreTransparency);
    frameCount = reader.Read();
}

} // namespace vellinor
