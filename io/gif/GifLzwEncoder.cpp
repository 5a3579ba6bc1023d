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
constexpr size_t kBlockBytes = 254;
// Packed codes are framed in pieces of this size, and the framed blocks
// written in chunks of about kChunkBytes.
constexpr size_t kRawBytes = 4096;
constexpr size_t kChunkBytes = size_t{1} << 16;

// Bytes framed into sub-blocks of kBlockBytes, written in chunks.
class TSubBlockWriter {
public:
    explicit TSubBlockWriter(TStream& stream) : fStream(stream) {
        fChunk.reserve(kChunkBytes + kRawBytes + kRawBytes / kBlockBytes + 2);
    }

    void Append(const uint8_t* data, size_t count) {
        while (count > 0) {
            const size_t part = std::min(count, kBlockBytes - fBlock.size());
            fBlock.insert(fBlock.end(), data, data + part);
            data += part;
            count -= part;
            if (fBlock.size() == kBlockBytes) EndBlock();
        }
        if (fChunk.size() >= kChunkBytes) Flush();
    }

    // Ends the last block and writes the terminator.
    void Finish() {
        if (!fBlock.empty()) EndBlock();
        fChunk.push_back(0);
        Flush();
    }

private:
    void EndBlock() {
        fChunk.push_back(static_cast<uint8_t>(fBlock.size()));
        fChunk.insert(fChunk.end(), fBlock.begin(), fBlock.end());
        fBlock.clear();
    }
    void Flush() {
        if (!fChunk.empty()) fStream.Write(fChunk.data(), static_cast<int64_t>(fChunk.size()));
        fChunk.clear();
    }

    TStream& fStream;
    std::vector<uint8_t> fBlock;
    std::vector<uint8_t> fChunk;
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
        if (fBitCount >= 32) {
            for (int i = 0; i < 4; ++i)
                fRaw[fRawCount + static_cast<size_t>(i)] = static_cast<uint8_t>(fBits >> (8 * i));
            fRawCount += 4;
            fBits >>= 32;
            fBitCount -= 32;
            if (fRawCount == kRawBytes) {
                fBlocks.Append(fRaw.data(), fRawCount);
                fRawCount = 0;
            }
        }
        if (cleared) {
            SetBits(fInitialBits);
        } else if (nextFree > fMaxCode) {
            SetBits(fCodeBits + 1);
        }
    }

    void Flush() {
        for (; fBitCount > 0; fBitCount -= 8) {
            fRaw[fRawCount++] = static_cast<uint8_t>(fBits);
            fBits >>= 8;
        }
        fBitCount = 0;
        fBlocks.Append(fRaw.data(), fRawCount);
        fRawCount = 0;
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
    std::array<uint8_t, kRawBytes + 8> fRaw{};
    size_t fRawCount = 0;
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
        // Locals, not members: the bytes written on a miss could alias them.
        const uint8_t mask = fPixelMask;
        const int64_t* entries = fEntries.data();
        int prefix = fPrefix;
        for (; x < width; ++x) {
            const int pixel = pixels[x] & mask;
            const int32_t key = (pixel << kMaxCodeBits) + prefix;
            int slot = (pixel << kHashShift) ^ prefix;
            int64_t entry = entries[slot];
            if (KeyOf(entry) == key) {
                prefix = CodeOf(entry);
                continue;
            }
            if (KeyOf(entry) >= 0) {
                const int step = slot == 0 ? 1 : kHashSize - slot;
                do {
                    slot -= step;
                    if (slot < 0) slot += kHashSize;
                    entry = entries[slot];
                } while (KeyOf(entry) != key && KeyOf(entry) > 0);
                if (KeyOf(entry) == key) {
                    prefix = CodeOf(entry);
                    continue;
                }
            }
            Miss(prefix, key, slot);
            prefix = pixel;
        }
        fPrefix = prefix;
    }

    void Finish() {
        if (fStarted) fCodes.Put(fPrefix, fNextFree, false);
        fCodes.Put(fClear + 1, fNextFree, false);
        fCodes.Flush();
    }

private:
    static constexpr int64_t kEmpty = -65536;
    static int32_t KeyOf(int64_t entry) { return static_cast<int32_t>(entry >> 16); }
    static int CodeOf(int64_t entry) { return static_cast<int>(entry & 0xFFFF); }

    void ClearTable() {
        fEntries.fill(kEmpty);
        fNextFree = fClear + 2;
    }

    // The string prefix + pixel is new: emit the prefix, then enter the
    // string at the free slot, or start a new table when all codes are used.
    void Miss(int prefix, int32_t key, int slot) {
        fCodes.Put(prefix, fNextFree, false);
        if (fNextFree < kMaxCodes) {
            fEntries[static_cast<size_t>(slot)] = int64_t{key} * 65536 + fNextFree++;
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
    // Each slot: key x 65536 + code; an empty slot's key is -1.
    std::array<int64_t, kHashSize> fEntries{};
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
