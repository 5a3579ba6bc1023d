// Writing GIF files: one image with a global colour table, a graphic control
// block, the LZW data and a comment block. The writer only appends, so it
// works into any stream, a counting one included.

#include "image/TIEBitmap.h"
#include "io/IOGuards.h"
#include "io/TIOParamsVals.h"
#include "io/TIOProgressRec.h"
#include "io/TwoColorConversion.h"
#include "io/gif/GifCodec.h"
#include "io/gif/GifColorTable.h"
#include "platform/Stream.h"
#include "proc/TIEQuantizer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace vellinor {

namespace {

constexpr int kMaxSide = 0xFFFF;
constexpr size_t kSpareIndexes = 9;
constexpr size_t kCommentBlockBytes = 255;

// Passes writes on and remembers whether any of them fell short, so that a
// full disk is noticed after the LZW routine, which reports nothing.
class TCheckedStream : public TStream {
public:
    explicit TCheckedStream(TStream& target) : fTarget(target) {}
    int64_t Read(void* buffer, int64_t count) override { return fTarget.Read(buffer, count); }
    int64_t Write(const void* buffer, int64_t count) override {
        const int64_t written = fTarget.Write(buffer, count);
        if (written != count) fFailed = true;
        return written;
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        return fTarget.Seek(offset, origin);
    }
    int64_t Size() override { return fTarget.Size(); }
    bool Failed() const { return fFailed; }

private:
    TStream& fTarget;
    bool fFailed = false;
};

int SumOfDifferences(TRGB a, TRGB b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

// The first of the entries closest to color.
int NearestEntry(std::span<const TRGB> palette, TRGB color) {
    int best = 0, bestDistance = SumOfDifferences(palette[0], color);
    for (size_t i = 1; i < palette.size(); ++i) {
        const int distance = SumOfDifferences(palette[i], color);
        if (distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}

void PutLE16(std::vector<uint8_t>& out, int value) {
    const auto v = static_cast<uint16_t>(std::clamp(value, 0, kMaxSide));
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

class TGifWriter {
public:
    TGifWriter(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params, TIOProgressRec& progress)
        : fStream(stream), fBitmap(bitmap), fParams(params), fProgress(progress) {}

    void Write();

private:
    bool PrepareSource();
    bool MakeIndexes();
    void MakeBilevelIndexes();
    void MakeQuantizedIndexes();
    int IndexOf(TRGB color) const;
    std::vector<uint8_t> Header() const;
    void AppendGraphicControl(std::vector<uint8_t>& out) const;
    void AppendDescriptor(std::vector<uint8_t>& out) const;
    std::vector<uint8_t> CommentsAndTrailer() const;
    bool Put(const std::vector<uint8_t>& bytes) {
        if (fStream.Write(bytes.data(), static_cast<int64_t>(bytes.size())) !=
            static_cast<int64_t>(bytes.size())) {
            fProgress.Abort();
            return false;
        }
        return true;
    }

    TStream& fStream;
    TIEBitmap& fBitmap;
    TIOParamsVals& fParams;
    TIOProgressRec& fProgress;

    int fBits = 8;
    bool fReserveTransparent = false;
    int fColors = 256;            // colours the quantizer may use
    TIEBitmap* fSource = nullptr; // the bitmap whose pixels are written
    TIEBitmap fConverted;
    std::vector<TRGB> fPalette; // 2^fBits entries
    std::unique_ptr<TIEQuantizer> fQuantizer;
    std::vector<uint8_t> fIndexes;
};

// The bitmap as ie1g for one bit; otherwise ie8p (when its indexes fit the
// colours written) or ie24RGB, converting a copy where needed.
bool TGifWriter::PrepareSource() {
    const TIEPixelFormat format = fBitmap.PixelFormat();
    fSource = &fBitmap;
    fPalette.assign(size_t{1} << fBits, TRGB{});
    if (fBits == 1) {
        fPalette[1] = TRGB{255, 255, 255};
        if (format == ie1g) return true;
        if (MakeTwoColorBitmap(fBitmap, fConverted, fPalette[0], fPalette[1])) {
            fSource = &fConverted;
            return true;
        }
        if (!fConverted.Setup(fBitmap.Width(), fBitmap.Height(), ie1g)) return false;
        fConverted.ConvertPixelsFrom(fBitmap);
        fSource = &fConverted;
        return true;
    }
    bool usable = format == ie24RGB;
    if (format == ie8p) {
        // Own indexes only when each one lies below the colours written.
        usable = true;
        for (int y = 0; y < fBitmap.Height() && usable; ++y) {
            const uint8_t* row = fBitmap.Row(y);
            usable = std::all_of(row, row + fBitmap.Width(),
                                 [&](uint8_t index) { return index < fColors; });
        }
    }
    if (usable) return true;
    fConverted.CopyFrom(fBitmap);
    fConverted.ConvertTo(ie24RGB);
    fSource = &fConverted;
    return fConverted.PixelFormat() == ie24RGB;
}

void TGifWriter::MakeBilevelIndexes() {
    const int width = fSource->Width();
    uint8_t* out = fIndexes.data();
    for (int y = 0; y < fSource->Height(); ++y) {
        const uint8_t* row = fSource->Row(y);
        for (int x = 0; x < width; ++x)
            *out++ = static_cast<uint8_t>((row[x >> 3] >> (7 - (x & 7))) & 1);
    }
}

void TGifWriter::MakeQuantizedIndexes() {
    fQuantizer = std::make_unique<TIEQuantizer>(
        *fSource, std::span<TRGB>(fPalette.data(), static_cast<size_t>(fColors)), fColors);
    const int width = fSource->Width();
    const bool direct = fSource->PixelFormat() == ie24RGB;
    TIEBitmap* alpha = fReserveTransparent ? fBitmap.AlphaPlane() : nullptr;
    const auto reserved = static_cast<uint8_t>(fColors);
    for (int y = 0; y < fSource->Height(); ++y) {
        uint8_t* out = fIndexes.data() + static_cast<size_t>(y) * width;
        const uint8_t* row = fSource->Row(y);
        if (direct) {
            fQuantizer->MapRow(reinterpret_cast<const TRGB*>(row), out, width);
        } else {
            std::memcpy(out, row, static_cast<size_t>(width));
        }
        if (alpha != nullptr) {
            const uint8_t* a = alpha->Row(y);
            for (int x = 0; x < width; ++x)
                if (a[x] < 255) out[x] = reserved;
        }
    }
}

bool TGifWriter::MakeIndexes() {
    const size_t pixels =
        static_cast<size_t>(fBitmap.Width()) * static_cast<size_t>(fBitmap.Height());
    try {
        fIndexes.assign(pixels + kSpareIndexes, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (fSource->PixelFormat() == ie1g) {
        MakeBilevelIndexes();
    } else {
        MakeQuantizedIndexes();
    }
    return true;
}

// The index of a colour: the quantizer's answer for a true-colour source
// when it names an entry, else the nearest colour written.
int TGifWriter::IndexOf(TRGB color) const {
    if (fQuantizer && fSource->PixelFormat() == ie24RGB) {
        const int index = fQuantizer->ColorToIndex(color);
        if (index >= 0 && index < fColors) return index;
    }
    return NearestEntry(std::span<const TRGB>(fPalette.data(), static_cast<size_t>(fColors)),
                        color);
}

std::vector<uint8_t> TGifWriter::Header() const {
    // A version that is not a GIF signature would make the file unreadable.
    const std::string& version = fParams.GifVersion;
    const bool valid = version.size() == 6 && version.starts_with("GIF");
    const std::string signature = valid ? version : std::string("GIF89a");
    std::vector<uint8_t> out(signature.begin(), signature.end());
    out.reserve(64 + 3 * fPalette.size());
    // The logical screen holds the image at its position.
    PutLE16(out, std::clamp(fParams.GifXPos, 0, kMaxSide) + fBitmap.Width());
    PutLE16(out, std::clamp(fParams.GifYPos, 0, kMaxSide) + fBitmap.Height());
    out.push_back(static_cast<uint8_t>(0x80 + (fBits - 1) * 16 + (fBits - 1)));
    out.push_back(static_cast<uint8_t>(IndexOf(fParams.GifBackground)));
    out.push_back(0); // aspect
    AppendGifColorTable(out, fPalette);
    AppendGraphicControl(out);
    AppendDescriptor(out);
    return out;
}

void TGifWriter::AppendGraphicControl(std::vector<uint8_t>& out) const {
    const int transparentIndex =
        fReserveTransparent ? fColors : IndexOf(fParams.GifTransparentColor);
    out.insert(out.end(), {0x21, 0xF9, 4});
    out.push_back(
        static_cast<uint8_t>((fParams.GifDisposal & 7) * 4 + (fParams.GifTransparent ? 1 : 0)));
    PutLE16(out, fParams.GifDelayTime);
    out.push_back(static_cast<uint8_t>(transparentIndex));
    out.push_back(0);
}

void TGifWriter::AppendDescriptor(std::vector<uint8_t>& out) const {
    out.push_back(0x2C);
    PutLE16(out, fParams.GifXPos);
    PutLE16(out, fParams.GifYPos);
    PutLE16(out, fBitmap.Width());
    PutLE16(out, fBitmap.Height());
    out.push_back(fParams.GifInterlaced ? 64 : 0);
}

// Each comment in sub-blocks of at most 255 bytes (an empty one would end
// the block early, so it is left out), then the trailer.
std::vector<uint8_t> TGifWriter::CommentsAndTrailer() const {
    std::vector<uint8_t> out = {0x21, 0xFE};
    for (const std::string& comment : fParams.GifComments) {
        for (size_t at = 0; at < comment.size(); at += kCommentBlockBytes) {
            const size_t length = std::min(kCommentBlockBytes, comment.size() - at);
            out.push_back(static_cast<uint8_t>(length));
            out.insert(out.end(), comment.begin() + static_cast<std::ptrdiff_t>(at),
                       comment.begin() + static_cast<std::ptrdiff_t>(at + length));
        }
    }
    out.push_back(0);
    out.push_back(0x3B);
    return out;
}

void TGifWriter::Write() {
    fProgress.Report(0);
    if (fProgress.Aborted()) return;
    if (fBitmap.IsVoid() || fBitmap.Width() > kMaxSide || fBitmap.Height() > kMaxSide) {
        fProgress.Abort(); // sizes are 16-bit in the file
        return;
    }
    fBits = fParams.BitsPerSample >= 1 && fParams.BitsPerSample <= 8 ? fParams.BitsPerSample : 8;
    // Transparency comes from the alpha plane only: a flag left from an
    // earlier file would make opaque pixels of this picture transparent. One
    // bit has no room for a transparent index beside black and white.
    fReserveTransparent = fBitmap.HasAlphaPlane() && fBits > 1;
    fColors = fReserveTransparent ? (1 << fBits) - 1 : 1 << fBits;
    fParams.GifTransparent = fReserveTransparent;
    if (!PrepareSource() || !MakeIndexes()) {
        fProgress.Abort();
        return;
    }
    fProgress.Report(30);
    if (fProgress.Aborted()) return;

    if (!Put(Header())) return;
    fProgress.Report(70);
    if (fProgress.Aborted()) return;

    const TGifLzwCompressor compress =
        fParams.GifLzwCompressor != nullptr ? fParams.GifLzwCompressor : DefaultGifLzwCompressor;
    if (compress == nullptr) {
        fProgress.Abort();
        return;
    }
    TCheckedStream checked(fStream);
    compress(checked, fBitmap.Height(), fBitmap.Width(), fBits, fIndexes, fParams.GifInterlaced);
    if (checked.Failed()) {
        fProgress.Abort();
        return;
    }
    fIndexes = {};
    if (!Put(CommentsAndTrailer())) return;
    fProgress.Report(100);
}

} // namespace

void WriteGifStream(TStream& stream, TIEBitmap& bitmap, TIOParamsVals& params,
                    TIOProgressRec& progress) {
    TGifWriter writer(stream, bitmap, params, progress);
    writer.Write();
}

} // namespace vellinor
