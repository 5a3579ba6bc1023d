#pragma once
// The checks every reader makes before it trusts a number from a file. A file
// must never make us allocate far more than its bytes can encode, nor read or
// write outside a buffer:
// - SetupImage: refuses sizes whose byte count overflows, totals above one
//   gigapixel, and (for pictures above kUnbackedAllowance bytes) sizes that
//   the data left cannot encode at the format's best ratio; then Setup. On
//   refusal or allocation failure it raises the abort flag.
// - ReadBlock: a block of a claimed length, never more than the stream holds.
// - TIEPaletteTable: 256 entries whatever the file's palette holds, so any
//   byte index is safe (entries the file did not give are black).
// - TIEByteReader: bounds-checked reading of a buffer (RLE and similar).

#include "image/PixelFormat.h"
#include "platform/Color.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace vellinor {

class TIEBitmap;
class TStream;
struct TIOProgressRec;

constexpr int64_t kMaxImagePixels = 1'000'000'000;
// Pictures up to this many bytes are allocated whatever the data left says.
constexpr int64_t kUnbackedAllowance = int64_t{64} << 20;
// A picture whose data is truncated to a part of it still loads (the rows
// present), as long as the data covers at least 1 / kTruncationTolerance of it.
constexpr int64_t kTruncationTolerance = 4;

// Bytes the bitmap of this size and format takes; -1 when it overflows or a
// side is not positive.
int64_t ImageByteSize(int64_t width, int64_t height, TIEPixelFormat format);

// True when a picture of width x height may be allocated: sides positive, the
// byte count representable, at most kMaxImagePixels pixels, and, when above
// kUnbackedAllowance bytes, width x height at most kTruncationTolerance x
// encodablePixels. Pass encodablePixels < 0 when the data size is unknown
// (no bound from data).
bool ImageSizeAcceptable(int64_t width, int64_t height, TIEPixelFormat format,
                         int64_t encodablePixels = -1);

// Pixels that `bytes` of data can encode at best: bytes x pixelsPerByte
// (uncompressed 24 bits: 1/3; RLE8: 255/2), saturating.
int64_t EncodablePixels(int64_t bytes, double pixelsPerByte);

// ImageSizeAcceptable, then bitmap.Setup. Raises the abort flag and returns
// false when either fails; the bitmap is untouched on a refused size.
bool SetupImage(TIEBitmap& bitmap, int64_t width, int64_t height, TIEPixelFormat format,
                TIOProgressRec& progress, int64_t encodablePixels = -1);

// Bytes from the stream's position to its end (0 when unknown or past it).
int64_t BytesLeft(TStream& stream);

// Reads min(claimed, bytes left) bytes; the result is shorter when the stream
// ends early. Never allocates more than the stream holds.
std::vector<uint8_t> ReadBlock(TStream& stream, int64_t claimed);

// A palette of 256 entries: the given colours, then black.
class TIEPaletteTable {
public:
    TIEPaletteTable() = default;
    explicit TIEPaletteTable(std::span<const TRGB> colors) {
        const size_t n = std::min(colors.size(), fColors.size());
        std::copy_n(colors.begin(), n, fColors.begin());
    }
    const TRGB& operator[](uint8_t index) const { return fColors[index]; }

private:
    std::array<TRGB, 256> fColors{};
};

// Reads a buffer front to back; every read past the end fails.
class TIEByteReader {
public:
    explicit TIEByteReader(std::span<const uint8_t> data) : fData(data) {}
    size_t Left() const { return fData.size() - fPosition; }
    bool AtEnd() const { return fPosition >= fData.size(); }
    size_t Position() const { return fPosition; }
    bool Byte(uint8_t& value) {
        if (AtEnd()) return false;
        value = fData[fPosition++];
        return true;
    }
    // The next n bytes, or an empty span (and nothing consumed) when fewer are left.
    std::span<const uint8_t> Bytes(size_t n) {
        if (n > Left()) return {};
        const auto part = fData.subspan(fPosition, n);
        fPosition += n;
        return part;
    }
    bool Skip(size_t n) {
        if (n > Left()) {
            fPosition = fData.size();
            return false;
        }
        fPosition += n;
        return true;
    }

private:
    std::span<const uint8_t> fData;
    size_t fPosition = 0;
};

// Rows moved per block when rows go to or from a stream in blocks: at most
// 4 MiB and at most one per cent of the rows (so progress and the abort flag
// are still seen every per cent), at least one.
inline int BlockRows(int64_t rowBytes, int height) {
    const int64_t byBytes = (int64_t{4} << 20) / std::max<int64_t>(rowBytes, 1);
    return static_cast<int>(std::max<int64_t>(1, std::min<int64_t>(byBytes, height / 100)));
}

// Little-endian loads from a buffer of known size (callers check the size).
inline uint16_t LoadLE16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t LoadLE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void StoreLE16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreLE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace vellinor
