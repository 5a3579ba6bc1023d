// Encoding GIF LZW data: the classic encoder with an open-addressing hash
// table of 5003 entries (prefix code, next pixel) -> code, secondary probing
// backwards, and a clear code whenever the 4096 codes are used up.

#include "io/gif/GifInterlace.h"
#include "io/gif/GifLzw.h"
#include "platform/Stream.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace vellinor {

namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kMaxCodes = 1 << kMaxCodeBits;
constexpr int kHashSize = 5003;
constexpr int kHashShift = 4;
constexpr int kBlockBytes = 254;
// Sub-blocks are collected and written in chunks of about this size.
constexpr size_t kChunkBytes = size_t{1} << 16;

// Bytes framed into sub-blocks of kBlockBytes, written in chunks.
class TSubBlockWriter {
public:
    explicit TSubBlockWriter(TStream& stream) : fStream(stream), fChunk(kChunkBytes + 2 * 256) {
        fPosition = 1; // room for the first block's length byte
    }

    void Byte(uint8_t value) {
        fChunk[fPosition++] = value;
        if (fPosition - fBlockStart - 1 == kBlockBytes) EndBlock();
    }

    // Ends the last block and writes the terminator.
    void Finish() {
        if (fPosition - fBlockStart - 1 > 0) {
            fChunk[fBlockStart] = static_cast<uint8_t>(fPosition - fBlockStart - 1);
        } else {
            fPosition = fBlockStart;
        }
        fChunk[fPosition++] = 0;
        Flush(fPosition);
    }

private:
    void EndBlock() {
        fChunk[fBlockStart] = static_cast<uint8_t>(kBlockBytes);
        fBlockStart = fPosition;
        if (fBlockStart >= kChunkBytes) {
            Flush(fBlockStart);
            fBlockStart = 0;
        }
        fPosition = fBlockStart + 1;
    }
    void Flush(size_t bytes) {
        if (bytes > 0) fStream.Write(fChunk.data(), static_cast<int64_t>(bytes));
    }

    TStream& fStream;
    std::vector<uint8_t> fChunk;
    size_t fBlockStart = 0;
    size_t fPosition = 0;
};

// Codes packed least significant bit first, with the code size growing as
// the table fills and falling back after a clear code.
class TCodeWriter {
public:
    TCodeWriter(TSubBlockWriter& blocks, int minCodeSize)
        : fBlocks(blocks), fInitialBits(minCodeSize + 1) {
        SetBits(fInitialBits);
    }

    // Writes code at the current size, then adapts the size to nextFree (the
    // table's next free code at the time of writing).
    void Put(int code, int nextFree, bool cleared) {
        fBits |= static_cast<uint64_t>(code) << fBitCount;
        fBitCount += fCodeBits;
        while (fBitCount >= 8) {
            fBlocks.Byte(static_cast<uint8_t>(fBits));
            fBits >>= 8;
            fBitCount -= 8;
        }
        if (cleared) {
            SetBits(fInitialBits);
        } else if (nextFree > fMaxCode) {
            SetBits(fCodeBits + 1);
        }
    }

    void Flush() {
        while (fBitCount > 0) {
            fBlocks.Byte(static_cast<uint8_t>(fBits));
            fBits >>= 8;
            fBitCount = std::max(fBitCount - 8, 0);
        }
    }

private:
    void SetBits(int bits) {
        fCodeBits = bits;
        fMaxCode = bits == kMaxCodeBits ? kMaxCodes : (1 << bits) - 1;
    }

    TSubBlockWriter& fBlocks;
    int fInitialBits;
    int fCodeBits = 0;
    int fMaxCode = 0;
    uint64_t fBits = 0;
    int fBitCount = 0;
};

class TLzwEncoder {
public:
    TLzwEncoder(TCodeWriter& codes, int minCodeSize)
        : fCodes(codes), fClear(1 << minCodeSize), fPixelMask(static_cast<uint8_t>(fClear - 1)) {
        ClearTable();
        fCodes.Put(fClear, fNextFree, true);
    }

    void Row(const uint8_t* pixels, int width) {
        int x = 0;
        if (!fStarted && width > 0) {
            fPrefix = pixels[0] & fPixelMask;
            fStarted = true;
            x = 1;
        }
        for (; x < width; ++x)
            Add(pixels[x] & fPixelMask);
    }

    void Finish() {
        if (fStarted) fCodes.Put(fPrefix, fNextFree, false);
        fCodes.Put(fClear + 1, fNextFree, false);
        fCodes.Flush();
    }

private:
    void ClearTable() {
        fKeys.fill(-1);
        fNextFree = fClear + 2;
    }

    void Add(int pixel) {
        const int32_t key = (pixel << kMaxCodeBits) + fPrefix;
        int slot = (pixel << kHashShift) ^ fPrefix;
        if (fKeys[static_cast<size_t>(slot)] == key) {
            fPrefix = fCodeOf[static_cast<size_t>(slot)];
            return;
        }
        if (fKeys[static_cast<size_t>(slot)] >= 0) {
            const int step = slot == 0 ? 1 : kHashSize - slot;
            for (;;) {
                slot -= step;
                if (slot < 0) slot += kHashSize;
                const int32_t found = fKeys[static_cast<size_t>(slot)];
                if (found == key) {
                    fPrefix = fCodeOf[static_cast<size_t>(slot)];
                    return;
                }
                if (found <= 0) break;
            }
        }
        fCodes.Put(fPrefix, fNextFree, false);
        fPrefix = pixel;
        if (fNextFree < kMaxCodes) {
            fCodeOf[static_cast<size_t>(slot)] = static_cast<uint16_t>(fNextFree++);
            fKeys[static_cast<size_t>(slot)] = key;
        } else {
            ClearTable();
            fCodes.Put(fClear, fNextFree, true);
        }
    }

    TCodeWriter& fCodes;
    int fClear;
    uint8_t fPixelMask;
    int fNextFree = 0;
    int fPrefix = 0;
    bool fStarted = false;
    std::array<int32_t, kHashSize> fKeys{};
    std::array<uint16_t, kHashSize> fCodeOf{};
};

} // namespace

void GifLzwCompress(TStream& stream, int height, int width, int bitsPerPixel,
                    std::span<const uint8_t> indexes, bool interlaced) {
    const int minCodeSize = std::clamp(bitsPerPixel, kGifMinCodeSizeMin, 8);
    const auto sizeByte = static_cast<uint8_t>(minCodeSize);
    stream.Write(&sizeByte, 1);
    width = std::max(width, 0);
    height = std::max(height, 0);
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<uint8_t> padded;
    if (indexes.size() < pixels) {
        padded.assign(pixels, 0);
        std::copy(indexes.begin(), indexes.end(), padded.begin());
        indexes = padded;
    }
    TSubBlockWriter blocks(stream);
    TCodeWriter codes(blocks, minCodeSize);
    auto encoder = std::make_unique<TLzwEncoder>(codes, minCodeSize);
    if (width > 0) {
        for (const int y : GifStoredRowOrder(height, interlaced))
            encoder->Row(indexes.data() + static_cast<size_t>(y) * width, width);
    }
    encoder->Finish();
    blocks.Finish();
}

} // namespace vellinor
